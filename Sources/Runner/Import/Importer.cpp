// Reading, mapping and building one after the other.
#include "Importer.hpp"

#include "../Project/JsonReader.hpp"
#include "../Project/ProjectLoader.hpp"
#include "IfcModel.hpp"
#include "ModelFile.hpp"
#include "ModelRecords.hpp"
#include "ProjectBuilder.hpp"

namespace Runner::Import {

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

namespace {

Status LoadImported(const ImportResult& result, const std::string& path, const std::vector<Host::LibPart>& library,
                    Host::Project& project)
{
    return LoadProjectText(result.project.dump(), path, library, project);
}

} // namespace

Status LoadModelProject(const std::string& path, const ImportOptions& options,
                        const std::vector<Host::LibPart>& library, Host::Project& project, ImportSummary* summary)
{
    ImportResult result;
    if (Status status = ImportModelFile(path, options, result); !status)
        return status;
    if (Status status = LoadImported(result, path, library, project); !status)
        return status;
    if (summary != nullptr)
        *summary = std::move(result.summary);
    return Status::Ok();
}

Status LoadModelOrProject(const std::string& path, const ImportOptions& options,
                          const std::vector<Host::LibPart>& library, Host::Project& project, bool& imported,
                          ImportSummary* summary)
{
    imported = false;
    std::string content;
    if (Status status = ReadTextFile(path, content); !status)
        return status;
    FileFormat format = FileFormat::ProjectFile;
    if (Status status = FormatOfContent(content, path, format); !status)
        return status;
    if (format == FileFormat::ProjectFile)
        return LoadProjectText(content, path, library, project);
    imported = true;
    std::string text, textName;
    if (Status status = ModelText(std::move(content), path, text, textName); !status)
        return status;
    ImportResult result;
    if (Status status = ImportModelText(std::move(text), textName, options, result); !status)
        return status;
    if (Status status = LoadImported(result, path, library, project); !status)
        return status;
    if (summary != nullptr)
        *summary = std::move(result.summary);
    return Status::Ok();
}

} // namespace Runner::Import
