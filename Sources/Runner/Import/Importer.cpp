// Reading (in parts at once, for a large model), mapping and building one after the other.
#include "Importer.hpp"

#include <chrono>

#include "../Project/JsonReader.hpp"
#include "../Project/ProjectLoader.hpp"
#include "IfcModel.hpp"
#include "ModelFile.hpp"
#include "ModelParts.hpp"
#include "ModelRecords.hpp"
#include "ProjectBuilder.hpp"

namespace Runner::Import {

namespace {

// The library's models are freed as soon as their records are read: the records hold all the
// project needs.
Status Import(std::string text, const std::string& fileName, const ImportOptions& options, ImportResult& result)
{
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::time_point from) {
        return std::chrono::duration<double>(Clock::now() - from).count();
    };
    Clock::time_point start = Clock::now();
    IfcModel model;
    if (Status status = ScanIfcModel(std::move(text), fileName, model); !status)
        return status;
    result.checkSeconds = seconds(start);
    ModelRecords records;
    const std::size_t parts = options.readerParts != 0 ? options.readerParts : PartsFor(model.scan);
    if (Status status = ReadRecordsInParts(model, options, parts, records, result.reading); !status)
        return status;
    start = Clock::now();
    result.summary.model = model.fileName;
    Status built = BuildProject(records, options, result.project, result.summary).Prefixed(model.fileName + ": ");
    result.buildSeconds = seconds(start);
    return built;
}

} // namespace

Status ImportModelText(std::string text, const std::string& fileName, const ImportOptions& options,
                       ImportResult& result)
{
    result = ImportResult();
    return Import(std::move(text), fileName, options, result);
}

Status ImportModelFile(const std::string& path, const ImportOptions& options, ImportResult& result)
{
    result = ImportResult();
    std::string text, textName;
    if (Status status = ReadModelFile(path, text, textName); !status)
        return status;
    return Import(std::move(text), textName, options, result);
}

namespace {

Status LoadImported(const ImportResult& result, const std::string& path, const std::vector<Host::LibPart>& library,
                    Host::Project& project)
{
    return LoadProjectJson(result.project, path, library, project);
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
