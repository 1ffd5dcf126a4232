// What the fuzz targets of the string functions share: the portable core started once, a fresh
// string buffer for every input (so that the reservations of the call under test move it), a text
// argument placed outside the buffer or as a temporary inside it, and the check of the buffer
// contract of every string-returning function.
#pragma once

#include "fuzzing.h"

#include "core/memory.h"
#include "core/strings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzzing {

inline void start_core() {
    static bool started = [] {
        rt::create_main_heap();
        rt::init_string_engine();
        return true;
    }();
    (void)started;
}

// Where a call's text argument lies and where its result goes.
enum class Placement {
    Outside,         // the argument on the ordinary heap, the result at the buffer's start
    BehindArgument,  // the argument a temporary in the buffer, the result behind it
    OverArgument,    // the argument a temporary in the buffer, the result written over it
};

struct Call {
    const char* argument;
    int result_position;
};

// A new, 16-byte buffer, `lead` bytes of earlier text in it, then the argument as asked: `text`
// itself for Placement::Outside (the caller keeps it alive), else a copy of it in the buffer.
inline Call place(const char* text, Placement placement, int lead) {
    rt::release_string_buffer();
    rt::StringBuffer& buffer = rt::current_string_buffer();
    rt::append_to_buffer(std::string(static_cast<std::size_t>(lead), 'L').c_str());
    if (placement == Placement::Outside) return {text, buffer.position};
    int saved = buffer.position;
    rt::append_to_buffer(text);
    if (placement == Placement::BehindArgument) ++buffer.position;  // step over its terminator
    return {buffer.base + saved, placement == Placement::BehindArgument ? buffer.position : saved};
}

inline Placement consume_placement(FuzzedDataProvider& input) {
    return static_cast<Placement>(input.ConsumeIntegralInRange<int>(0, 2));
}

// The text up to the first zero byte: what a zero-terminated argument holds.
inline std::string consume_text(FuzzedDataProvider& input, std::size_t max_length) {
    return input.ConsumeRandomLengthString(max_length).c_str();
}

// The result at result_position, after checking that the position ends on its terminator and that
// the earlier text in the buffer is intact.
inline std::string result_at(int result_position, int lead) {
    rt::StringBuffer& buffer = rt::current_string_buffer();
    require(buffer.position >= result_position && buffer.position < buffer.capacity);
    std::string result(buffer.base + result_position);
    require(buffer.position == result_position + static_cast<int>(result.size()));
    for (int i = 0; i < lead; ++i) require(buffer.base[i] == 'L');
    return result;
}

} // namespace fuzzing
