// The runner's `repeat` command from options to exit code.
#include "RepeatCommand.hpp"

#include <filesystem>

#include "Import/ModelFile.hpp"
#include "Import/StepScan.hpp"
#include "Project/StateDump.hpp"
#include "RunCommand.hpp"
#include "Tools/ModelRepeater.hpp"

namespace Runner {

int Repeat(const std::string& model, int copies, const std::string& path, std::ostream& out, std::ostream& err)
{
    namespace fs = std::filesystem;
    const fs::path parent = fs::path(path).parent_path();
    std::error_code ignored;
    std::string text, textName, repeated;
    Import::StepScan scan;
    Status status = !parent.empty() && !fs::is_directory(parent, ignored)
                        ? Status::BadInput(path + ": no folder " + parent.string())
                        : Import::ReadModelFile(model, text, textName);
    if (status)
        status = Import::ScanStepText(text, textName, scan);
    if (status)
        status = RepeatModel(text, textName, copies, repeated);
    if (status)
        status = WriteFileAtomically(path, repeated);
    if (!status) {
        err << "arealist-host: " << status.Message() << "\n";
        return ExitBadInput;
    }
    out << "wrote " << path << ": " << copies << " copies of " << model << ", " << scan.spaces * std::size_t(copies)
        << " spaces, " << repeated.size() / 1000000 << " MB\n";
    return ExitOk;
}

} // namespace Runner
