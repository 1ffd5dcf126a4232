// Fuzz target: any bytes through the PNG decoder's check and, when it accepts them, its decoding
// into plain bottom-up rows of the size it announced.
#include "graphics/image_data.h"
#include "graphics/png_decoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Pictures beyond this many pixels are checked but not decoded, to keep each run small.
constexpr int64_t MAX_DECODED_PIXELS = 1 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rt::DecodeJob job{};
    job.data = data;
    job.size = static_cast<int>(size > INT32_MAX ? INT32_MAX : size);
    if (!rt::png_check(&job)) return 0;
    if (int64_t{job.width} * job.height <= MAX_DECODED_PIXELS) {
        int row_length = rt::row_bytes(job.width, job.depth);
        std::vector<uint8_t> bits(static_cast<size_t>(row_length) * job.height);
        rt::png_decode(&job, bits.data(), row_length, rt::DECODE_BOTTOM_UP);
    }
    rt::png_close(&job);
    return 0;
}
