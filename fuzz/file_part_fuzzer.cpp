// Fuzz target: get_file_part of any path, outside the buffer, a temporary behind which the result
// goes, or one the result overwrites; and is_valid_file_name of the path and of its file part.
// The file part holds no separator and no quote and is the path's tail after its last separator,
// up to a quote; a path without separators and quotes is its own file part.
#include "system/file_names.h"
#include "string_fuzzing.h"

namespace {

using fuzzing::require;

bool is_plain_name(const std::string& text) {
    if (text.empty()) return false;
    for (unsigned char c : text)
        if (c < 32 || std::strchr("\"\\/:*?<>|", c)) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::start_core();
    FuzzedDataProvider input(data, size);
    int lead = input.ConsumeIntegralInRange<int>(0, 20);
    fuzzing::Placement placement = fuzzing::consume_placement(input);
    std::string path = fuzzing::consume_text(input, 2048);

    fuzzing::Call call = fuzzing::place(path.c_str(), placement, lead);
    rt::get_file_part(call.argument, call.result_position);
    std::string part = fuzzing::result_at(call.result_position, lead);

    std::size_t last_separator = path.find_last_of("\\/");
    std::size_t begin = last_separator == std::string::npos ? (path[0] == '"' ? 1 : 0) : last_separator + 1;
    require(part.find_first_of("\\/\"") == std::string::npos);
    require(path.compare(begin, part.size(), part) == 0);
    require(begin + part.size() == path.size() || path[begin + part.size()] == '"');
    if (path.find_first_of("\\/\"") == std::string::npos) require(part == path);
    require(rt::is_valid_file_name(path.c_str()) == (is_plain_name(path) ? 1 : 0));
    require(rt::is_valid_file_name(part.c_str()) == (is_plain_name(part) ? 1 : 0));
    return 0;
}
