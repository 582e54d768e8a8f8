// The runner's `generate` command from options to exit code.
#include "GenerateCommand.hpp"

#include <filesystem>

#include "RunCommand.hpp"
#include "StateDump.hpp"

namespace Runner {

int Generate(const TowerOptions& options, const std::string& path, std::ostream& out, std::ostream& err)
{
    namespace fs = std::filesystem;
    std::string error;
    const fs::path parent = fs::path(path).parent_path();
    std::error_code ignored;
    if (!parent.empty() && !fs::is_directory(parent, ignored))
        error = path + ": no folder " + parent.string();
    std::string text;
    TowerCounts counts;
    if (error.empty() && !GenerateTower(options, text, counts, error))
        error = "generate: " + error;
    if (error.empty())
        if (const Status status = WriteFileAtomically(path, text); !status)
            error = "generate: " + status.Message();
    if (!error.empty()) {
        err << "arealist-host: " << error << "\n";
        return ExitBadInput;
    }
    out << "wrote " << path << ": " << options.storeys << " storeys, " << counts.tops << " TOPs (" << counts.maisonettes
        << " maisonettes), " << counts.zones << " zones (" << counts.staircases << " staircases without TOP, "
        << counts.inconsistent << " inconsistent), " << counts.arealists << " Arealists\n";
    return ExitOk;
}

} // namespace Runner
