// The `import` command from options to exit code.
#include "ImportCommand.hpp"

#include <filesystem>

#include "Import/Importer.hpp"
#include "Project/StateDump.hpp"
#include "RunCommand.hpp"

namespace Runner {

Status ImportOptionTexts::Resolve(Import::ImportOptions& options) const
{
    if (Status status = Import::ParseTopFrom(topFrom, options); !status)
        return status;
    if (!topPattern.empty())
        if (Status status = Import::ParseTopPattern(topPattern, options); !status)
            return status;
    for (const std::string& quantity : quantities)
        if (Status status = Import::ParseQuantityOption(quantity, options); !status)
            return status;
    return Import::ParseCategoryFrom(categoryFrom, options);
}

int ImportModel(const std::string& model, const std::string& outPath, const Import::ImportOptions& options,
                std::ostream& out, std::ostream& err)
{
    namespace fs = std::filesystem;
    const fs::path parent = fs::path(outPath).parent_path();
    std::error_code ignored;
    Import::ImportResult result;
    Status status = !parent.empty() && !fs::is_directory(parent, ignored)
                        ? Status::BadInput(outPath + ": no folder " + parent.string())
                        : Import::ImportModelFile(model, options, result);
    if (status)
        status = WriteFileAtomically(outPath, result.project.dump(1) + "\n");
    if (!status) {
        err << "arealist-host: " << status.Message() << "\n";
        return ExitBadInput;
    }
    Import::PrintSummary(result.summary, out);
    out << "wrote " << outPath << "\n";
    return ExitOk;
}

} // namespace Runner
