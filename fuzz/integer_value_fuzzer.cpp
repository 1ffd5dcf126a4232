// Fuzz target: integer_value of any text (read to its terminator, never further), and of any 64-bit
// value written in decimal, after "$" in hexadecimal or after "%" in binary, with leading blanks, a
// sign and a trailing character that is no digit of that base: the value must come back.
#include "core/string_functions.h"
#include "string_fuzzing.h"

#include <vector>

namespace {

using fuzzing::require;

std::string digits_of(uint64_t magnitude, int base, bool upper_case) {
    const char* digits = upper_case ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[magnitude % static_cast<uint64_t>(base)]);
        magnitude /= static_cast<uint64_t>(base);
    } while (magnitude);
    return text;
}

void round_trip(FuzzedDataProvider& input) {
    int64_t value = input.ConsumeIntegral<int64_t>();
    const int bases[] = {10, 16, 2};
    int base = bases[input.ConsumeIntegralInRange<int>(0, 2)];
    std::string text(input.ConsumeIntegralInRange<std::size_t>(0, 3), input.ConsumeBool() ? ' ' : '\t');
    bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    if (negative) text += '-';
    else if (input.ConsumeBool()) text += '+';
    if (base != 10) text += base == 16 ? '$' : '%';
    text += std::string(input.ConsumeIntegralInRange<std::size_t>(0, 2), '0') + digits_of(magnitude, base, input.ConsumeBool());
    text += base == 16 ? "g1" : base == 10 ? "a1" : "21";
    require(rt::integer_value(text.c_str()) == value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The raw bytes as a text of exactly that many bytes and its terminator.
    std::vector<char> text(data, data + size);
    text.push_back(0);
    rt::integer_value(text.data());
    FuzzedDataProvider input(data, size);
    round_trip(input);
    return 0;
}
