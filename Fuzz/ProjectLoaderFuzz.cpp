// libFuzzer target: arbitrary bytes as a project file never crash the loader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../Sources/Runner/ProjectLoader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<Host::LibPart> library = Host::HostLibrary();
    Host::Project project;
    (void)Runner::LoadProjectText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.json", library,
                                  project);
    return 0;
}
