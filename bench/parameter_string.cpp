// Both builds consume their result the same way: one byte read through a volatile sink.
#include "parameter_string.h"

#include "core/strings.h"

#include <cstring>
#include <string>

namespace bench {

namespace {

volatile char sink;

constexpr const char* FIRST_PIECE = "-i ";
constexpr const char* MIDDLE_PIECE = " -y  -sameq  ";
constexpr const char* SEPARATOR = ".";

std::size_t consumed(const char* text, std::size_t length) {
    sink = text[length - 1];
    return length;
}

} // namespace

std::size_t build_in_string_buffer(const ParameterPieces& pieces) {
    const int at = rt::current_string_buffer().position;
    for (const char* piece : {FIRST_PIECE, pieces.clean_path, MIDDLE_PIECE, pieces.base_name, SEPARATOR, pieces.extension})
        rt::append_to_buffer(piece);
    const rt::StringBuffer& buffer = rt::current_string_buffer();
    std::size_t length = consumed(buffer.base + at, static_cast<std::size_t>(buffer.position - at));
    rt::set_buffer_position(at);
    return length;
}

std::size_t build_in_std_string(const ParameterPieces& pieces) {
    std::string parameters;
    parameters.reserve(std::strlen(FIRST_PIECE) + std::strlen(pieces.clean_path) + std::strlen(MIDDLE_PIECE) +
                       std::strlen(pieces.base_name) + std::strlen(SEPARATOR) + std::strlen(pieces.extension));
    parameters.append(FIRST_PIECE).append(pieces.clean_path).append(MIDDLE_PIECE);
    parameters.append(pieces.base_name).append(SEPARATOR).append(pieces.extension);
    return consumed(parameters.c_str(), parameters.size());
}

} // namespace bench
