// The front-end's call: the converter's fixed pattern recognised in a raw command line, or any other
// call passed on to the real tool with its quality option renamed.
#pragma once

#include <string>
#include <vector>

namespace frontend {

enum class CallKind {
    CONVERSION,    // "-i <source> -y -sameq <output>" with a source
    NO_SOURCE,     // the pattern with nothing between "-i" and "-y"
    PASS_THROUGH,  // anything else
};

struct Call {
    CallKind kind = CallKind::PASS_THROUGH;
    std::string source;     // CONVERSION: the path, inner blanks kept, outer ones trimmed
    std::string output;     // CONVERSION and NO_SOURCE: the output name, e.g. "clip.avi.flv"
    std::string format;     // its extension in lower case, e.g. "flv"
    std::string arguments;  // PASS_THROUGH: the arguments for the real tool, quoting kept
};

// The command line without its first token (the program's name, quoted or not).
std::string arguments_of(const std::string& command_line);

// Reads the arguments; never fails: what is not the pattern is a pass-through call.
Call read_call(const std::string& arguments);

// The options that stand for "keep the source's quality" in a call that is not the pattern.
extern const char* const QUALITY_OPTIONS;

} // namespace frontend

namespace frontend {

// The arguments as one command-line text that a program reading it the usual way (the C runtime's
// rules) splits back into exactly these: arguments with blanks or quotes are quoted, quotes escaped.
std::string arguments_line(const std::vector<std::string>& arguments);

} // namespace frontend
