// Fuzz target: replace_string in every mode and from every start, with its string argument outside
// the buffer, as a temporary behind which the result goes, or as one the result overwrites. The
// result is compared with a plain model of the scan: non-overlapping matches from the start, left
// to right.
#include "core/string_functions.h"
#include "string_fuzzing.h"

#include <algorithm>
#include <vector>

namespace {

using fuzzing::require;

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool match_at(const std::string& text, std::size_t p, const std::string& search, bool ignore_case) {
    if (search.empty() || p + search.size() > text.size()) return false;
    for (std::size_t i = 0; i < search.size(); ++i)
        if (ignore_case ? folded(text[p + i]) != folded(search[i]) : text[p + i] != search[i]) return false;
    return true;
}

// Into the buffer: every match replaced. In place: only a replacement of the search's length is
// written, the text keeping its length.
std::string model(const std::string& text, const std::string& search, const std::string& with, int mode, int start) {
    bool ignore_case = mode & rt::REPLACE_IGNORE_CASE;
    bool in_place = mode & rt::REPLACE_IN_PLACE;
    if (in_place && with.size() != search.size()) return text;
    std::size_t begin = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    std::string out = text.substr(0, std::min(begin, text.size()));
    for (std::size_t p = begin; p < text.size();) {
        if (match_at(text, p, search, ignore_case)) {
            out += with;
            p += search.size();
        } else {
            out += text[p++];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::start_core();
    FuzzedDataProvider input(data, size);
    int mode = input.ConsumeIntegralInRange<int>(0, 7);
    int start = input.ConsumeIntegralInRange<int>(-2, 40);
    int lead = input.ConsumeIntegralInRange<int>(0, 20);
    fuzzing::Placement placement = fuzzing::consume_placement(input);
    std::string search = fuzzing::consume_text(input, 8);
    std::string with = fuzzing::consume_text(input, 64);
    std::string text = fuzzing::consume_text(input, 4096);
    std::string expected = model(text, search, with, mode, start);

    if (mode & rt::REPLACE_IN_PLACE) {
        // A block of exactly the text's size, so that a write past its end is caught.
        std::vector<char> block(text.begin(), text.end());
        block.push_back(0);
        rt::replace_string(block.data(), search.c_str(), with.c_str(), mode, start, 0);
        require(std::string(block.data(), text.size()) == expected && block.back() == 0);
        return 0;
    }
    fuzzing::Call call = fuzzing::place(text.c_str(), placement, lead);
    rt::replace_string(const_cast<char*>(call.argument), search.c_str(), with.c_str(), mode, start,
                       call.result_position);
    require(fuzzing::result_at(call.result_position, lead) == expected);
    return 0;
}
