// Reading, mapping and building one after the other.
#include "Importer.hpp"

#include <algorithm>
#include <cctype>

#include "../Project/JsonReader.hpp"
#include "../Project/ProjectLoader.hpp"
#include "IfcModel.hpp"
#include "ModelRecords.hpp"
#include "ProjectBuilder.hpp"

namespace Runner::Import {

bool IsModelPath(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string extension = path.substr(path.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".ifc";
}

namespace {

Status Import(IfcModel& model, const ImportOptions& options, ImportResult& result)
{
    ModelRecords records;
    if (Status status = ReadModelRecords(model, options, records); !status)
        return status;
    model.model.reset(); // the records hold all that is needed; the model's memory goes now
    result.summary.model = model.fileName;
    return BuildProject(records, options, result.project, result.summary).Prefixed(model.fileName + ": ");
}

} // namespace

Status ImportModelText(std::string text, const std::string& fileName, const ImportOptions& options,
                       ImportResult& result)
{
    result = ImportResult();
    IfcModel model;
    if (Status status = ReadIfcModel(std::move(text), fileName, model); !status)
        return status;
    return Import(model, options, result);
}

Status ImportModelFile(const std::string& path, const ImportOptions& options, ImportResult& result)
{
    result = ImportResult();
    IfcModel model;
    if (Status status = OpenIfcModel(path, model); !status)
        return status;
    return Import(model, options, result);
}

Status LoadModelProject(const std::string& path, const ImportOptions& options,
                        const std::vector<Host::LibPart>& library, Host::Project& project, ImportSummary* summary)
{
    ImportResult result;
    if (Status status = ImportModelFile(path, options, result); !status)
        return status;
    if (Status status = LoadProjectText(result.project.dump(), path, library, project); !status)
        return status;
    if (summary != nullptr)
        *summary = std::move(result.summary);
    return Status::Ok();
}

} // namespace Runner::Import
