// libFuzzer target: arbitrary bytes as a session file never crash the parser.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../Sources/Runner/Session/SessionParser.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<Runner::Command> commands;
    (void)Runner::ParseSession(std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", commands);
    return 0;
}
