// The front-end's call: the converter's fixed pattern recognised in a raw command line.
//
// The pattern is "-i", blanks, the source, blanks, "-y", blanks, "-sameq" or "-same_quant", blanks,
// the output name, with any amount of blank space. The source is everything between "-i " and the
// last " -y " that the rest of the pattern follows, so a path holding spaces (or " -y ") is kept whole.
#include "call.h"

#include <cctype>
#include <vector>

namespace frontend {

const char* const QUALITY_OPTIONS = "-q:v 2";

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && is_blank(text[begin])) ++begin;
    while (end > begin && is_blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// The command-line tokens, each as written (quotes included), split at blanks outside quotes.
std::vector<std::string> raw_tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && is_blank(text[at])) ++at;
        if (at == text.size()) break;
        std::size_t begin = at;
        bool quoted = false;
        for (; at < text.size() && (quoted || !is_blank(text[at])); ++at)
            if (text[at] == '"') quoted = !quoted;
        tokens.push_back(text.substr(begin, at - begin));
    }
    return tokens;
}

bool is_quality_flag(const std::string& token) { return token == "-sameq" || token == "-same_quant"; }

// The output name's extension in lower case, or "" when it has none.
std::string extension_of(const std::string& name) {
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || name.find_first_of("\\/", dot) != std::string::npos) return "";
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// Another caller may quote the source and the output; the converter never does.
std::string unquoted(const std::string& path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') return path.substr(1, path.size() - 2);
    return path;
}

// Matches "-y <quality flag> <output>" at the tail, where the output is all the rest (an output
// name with blanks stays whole); sets output and returns true.
bool read_tail(const std::string& tail, std::string& output) {
    std::vector<std::string> tokens = raw_tokens(tail);
    if (tokens.size() < 3 || tokens[0] != "-y" || !is_quality_flag(tokens[1])) return false;
    std::size_t flag = tail.find(tokens[1]);
    output = unquoted(trimmed(tail.substr(flag + tokens[1].size())));
    return !output.empty() && output.find('"') == std::string::npos;
}

std::string pass_through(const std::string& arguments) {
    std::string joined;
    for (const std::string& token : raw_tokens(arguments)) {
        if (!joined.empty()) joined += ' ';
        joined += is_quality_flag(token) ? QUALITY_OPTIONS : token;
    }
    return joined;
}

// One argument as the C runtime reads it back: backslashes are literal except before a quote.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, '\\');
    return text + '"';
}

} // namespace

std::string arguments_of(const std::string& command_line) {
    std::size_t at = 0;
    while (at < command_line.size() && is_blank(command_line[at])) ++at;
    bool quoted = false;
    for (; at < command_line.size() && (quoted || !is_blank(command_line[at])); ++at)
        if (command_line[at] == '"') quoted = !quoted;
    return command_line.substr(at);
}

Call read_call(const std::string& arguments) {
    Call call;
    std::string text = trimmed(arguments);
    if (text.compare(0, 2, "-i") == 0 && (text.size() == 2 || is_blank(text[2]))) {
        // The last " -y" after which the rest is the pattern's tail: the source may hold " -y ".
        for (std::size_t y = text.rfind("-y"); y != std::string::npos && y >= 2; y = text.rfind("-y", y - 1)) {
            if (!is_blank(text[y - 1]) || !read_tail(text.substr(y), call.output)) continue;
            call.source = unquoted(trimmed(text.substr(2, y - 2)));
            call.format = extension_of(call.output);
            call.kind = call.source.empty() ? CallKind::NO_SOURCE : CallKind::CONVERSION;
            return call;
        }
    }
    call.arguments = pass_through(arguments);
    return call;
}

std::string arguments_line(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) line += (line.empty() ? "" : " ") + quoted(argument);
    return line;
}

} // namespace frontend
