// The runner's `generate` command from options to exit code.
#include "GenerateCommand.hpp"

#include <filesystem>

#include "Project/StateDump.hpp"
#include "RunCommand.hpp"
#include "Tools/TowerIfcWriter.hpp"

namespace Runner {

namespace {

Status FolderOf(const std::string& option, const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path parent = fs::path(path).parent_path();
    std::error_code ignored;
    if (!parent.empty() && !fs::is_directory(parent, ignored))
        return Status::BadInput(option + path + ": no folder " + parent.string());
    return Status::Ok();
}

bool SameFile(const std::string& a, const std::string& b)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    return fs::weakly_canonical(a, ignored) == fs::weakly_canonical(b, ignored);
}

} // namespace

int Generate(const TowerOptions& options, const std::string& path, const std::string& ifcPath, std::ostream& out,
             std::ostream& err)
{
    std::string text, ifc;
    TowerCounts counts;
    TowerModel model;
    Status status = FolderOf("", path);
    if (status && !ifcPath.empty()) {
        status = FolderOf("--ifc ", ifcPath);
        if (status && SameFile(path, ifcPath))
            status = Status::BadInput("--ifc " + ifcPath + ": the same file as the project file");
    }
    if (status)
        status = GenerateTower(options, text, counts, ifcPath.empty() ? nullptr : &model).Prefixed("generate: ");
    if (status && !ifcPath.empty())
        ifc = TowerIfcText(model, std::filesystem::path(ifcPath).filename().string());
    if (status)
        status = WriteFileAtomically(path, text).Prefixed("generate: ");
    if (status && !ifcPath.empty()) {
        status = WriteFileAtomically(ifcPath, ifc).Prefixed("generate: ");
        if (!status) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
    if (!status) {
        err << "arealist-host: " << status.Message() << "\n";
        return ExitBadInput;
    }
    out << "wrote " << path << ": " << options.storeys << " storeys, " << counts.tops << " TOPs (" << counts.maisonettes
        << " maisonettes), " << counts.zones << " zones (" << counts.staircases << " staircases without TOP, "
        << counts.inconsistent << " inconsistent), " << counts.arealists << " Arealists\n";
    if (!ifcPath.empty())
        out << "wrote " << ifcPath << ": the same tower as an IFC4 model, " << model.storeys.size() << " storeys, "
            << model.zones.size() << " spaces\n";
    return ExitOk;
}

} // namespace Runner
