// The result that a string function writes into the calling thread's string buffer.
#pragma once

#include "core/strings.h"

#include <gtest/gtest.h>

#include <string>

namespace test_support {

// The text write(result position) leaves at the buffer's position, checked to end the buffer on its terminator; then reset.
template <class Write>
std::string written_by(Write write) {
    rt::StringBuffer& buffer = rt::current_string_buffer();
    int saved = buffer.position;
    write(saved);
    std::string result = buffer.base + saved;
    EXPECT_EQ(buffer.position, saved + static_cast<int>(result.size())) << "position ends on the terminator";
    rt::set_buffer_position(saved);
    return result;
}

} // namespace test_support
