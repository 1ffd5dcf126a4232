// Fuzz target: the front-end's reading of its raw command line. A conversion has a source and an
// output that both lie in the text, the output without quotes; a call passed on never keeps the old
// quality flag outside quotes (reading its arguments again changes nothing); the program's name is
// never part of the arguments.
#include "call.h"
#include "fuzzing.h"

#include <cstdint>
#include <string>

using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    line = line.substr(0, line.find('\0'));
    std::string arguments = frontend::arguments_of(line);
    require(arguments.size() <= line.size() && line.compare(line.size() - arguments.size(), arguments.size(), arguments) == 0);

    frontend::Call call = frontend::read_call(arguments);
    switch (call.kind) {
    case frontend::CallKind::CONVERSION:
        require(!call.source.empty() && arguments.find(call.source) != std::string::npos);
        [[fallthrough]];
    case frontend::CallKind::NO_SOURCE:
        require(!call.output.empty() && call.output.find('"') == std::string::npos);
        require(arguments.find(call.output) != std::string::npos);
        break;
    case frontend::CallKind::PASS_THROUGH:
        frontend::Call again = frontend::read_call(call.arguments);
        require(again.kind == frontend::CallKind::PASS_THROUGH && again.arguments == call.arguments);
        break;
    }
    return 0;
}
