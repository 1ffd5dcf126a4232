// PNG data decoded into a caller's buffer two ways: through the runtime's decoder (the search for
// a decoder, its header check, its rows bottom-up and its close, as the image library drives them)
// and through a minimal direct libpng read loop. Both give rows of blue, green, red bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The whole file, or "" when it cannot be read.
std::string read_whole_file(const std::string& path);
// Registers the runtime's PNG decoder, then decodes; the buffer is resized to the rows' bytes.
// False when the data is not PNG or its rows failed.
bool decode_with_runtime_decoder(const std::string& png, std::vector<uint8_t>& pixels);
bool decode_with_libpng(const std::string& png, std::vector<uint8_t>& pixels);

} // namespace bench
