// Fuzz target: format_date of any date by any mask, the mask outside the buffer, a temporary behind
// which the result goes, or one the result overwrites. The result is compared with a plain model of
// the token rules (the tokens tried longest first, in any letter case; a "%" that starts none is
// text), with the parts of the date taken from the C library in UTC.
#include "core/dates.h"
#include "string_fuzzing.h"

#include <ctime>

namespace {

using fuzzing::require;

std::string two_digits(int value) { return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)}; }

bool token_at(const std::string& mask, std::size_t at, const char* token) {
    std::size_t length = std::strlen(token);
    if (at + length > mask.size()) return false;
    for (std::size_t i = 0; i < length; ++i) {
        char c = mask[at + i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != token[i]) return false;
    }
    return true;
}

std::string model(const std::string& mask, int32_t date) {
    std::tm parts{};
    if (date >= 0) {
        std::time_t value = date;
        gmtime_r(&value, &parts);
        parts.tm_year += 1900;
        parts.tm_mon += 1;
    }
    const struct {
        const char* token;
        int value;
    } tokens[] = {{"yyyy", parts.tm_year}, {"yy", parts.tm_year}, {"mm", parts.tm_mon}, {"dd", parts.tm_mday},
                  {"hh", parts.tm_hour},   {"ii", parts.tm_min},  {"ss", parts.tm_sec}};
    std::string out;
    for (std::size_t at = 0; at < mask.size();) {
        bool replaced = false;
        for (const auto& token : tokens) {
            if (mask[at] != '%' || !token_at(mask, at + 1, token.token)) continue;
            bool year = std::strlen(token.token) == 4;
            out += year ? two_digits(token.value / 100) + two_digits(token.value) : two_digits(token.value);
            at += 1 + std::strlen(token.token);
            replaced = true;
            break;
        }
        if (!replaced) out += mask[at++];
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::start_core();
    FuzzedDataProvider input(data, size);
    int32_t date = input.ConsumeIntegral<int32_t>();
    int lead = input.ConsumeIntegralInRange<int>(0, 20);
    fuzzing::Placement placement = fuzzing::consume_placement(input);
    bool null_mask = input.ConsumeIntegralInRange<int>(0, 31) == 0;
    std::string mask = fuzzing::consume_text(input, 12000);

    fuzzing::Call call = fuzzing::place(mask.c_str(), placement, lead);
    char* result = rt::format_date(null_mask ? nullptr : call.argument, date, call.result_position);
    std::string text = fuzzing::result_at(call.result_position, lead);
    require(result == rt::current_string_buffer().base + call.result_position);
    require(text == (null_mask ? std::string() : model(mask, date)));
    return 0;
}
