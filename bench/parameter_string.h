// The conversion job's parameter string, "-i <path> -y  -sameq  <base name>.<extension>", built
// two ways for the same pieces: in the runtime's string buffer, as the job builds it, and in a
// std::string with reserve and appends. Each returns the length built, after reading the text's
// last byte, so that no compiler can drop the work.
#pragma once

#include <cstddef>

namespace bench {

// A source chosen in a deep folder, converted to MPG.
struct ParameterPieces {
    const char* clean_path = "C:\\Documents_and_Settings\\User\\My_Documents\\My_Videos\\holiday_2009.avi";
    const char* base_name = "holiday_2009.avi";
    const char* extension = "mpg";
};

// In the calling thread's string buffer (the runtime's string engine must be started), at its
// position, which is given back afterwards.
std::size_t build_in_string_buffer(const ParameterPieces& pieces);
std::size_t build_in_std_string(const ParameterPieces& pieces);

} // namespace bench
