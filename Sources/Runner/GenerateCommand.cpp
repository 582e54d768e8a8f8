// The runner's `generate` command from options to exit code.
#include "GenerateCommand.hpp"

#include <filesystem>

#include "Project/StateDump.hpp"
#include "RunCommand.hpp"

namespace Runner {

int Generate(const TowerOptions& options, const std::string& path, std::ostream& out, std::ostream& err)
{
    namespace fs = std::filesystem;
    const fs::path parent = fs::path(path).parent_path();
    std::error_code ignored;
    std::string text;
    TowerCounts counts;
    Status status = !parent.empty() && !fs::is_directory(parent, ignored)
                        ? Status::BadInput(path + ": no folder " + parent.string())
                        : GenerateTower(options, text, counts).Prefixed("generate: ");
    if (status)
        status = WriteFileAtomically(path, text).Prefixed("generate: ");
    if (!status) {
        err << "arealist-host: " << status.Message() << "\n";
        return ExitBadInput;
    }
    out << "wrote " << path << ": " << options.storeys << " storeys, " << counts.tops << " TOPs (" << counts.maisonettes
        << " maisonettes), " << counts.zones << " zones (" << counts.staircases << " staircases without TOP, "
        << counts.inconsistent << " inconsistent), " << counts.arealists << " Arealists\n";
    return ExitOk;
}

} // namespace Runner
