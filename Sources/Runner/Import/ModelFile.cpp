// Telling the formats apart, and unpacking a zipped model with libzip: the archive is read from
// memory, its members' names are checked before anything is unpacked, and the one model is
// unpacked in pieces up to a cap, whatever size its header claims.
#include "ModelFile.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <vector>

#include <zip.h>

#include "../Project/JsonReader.hpp"

namespace Runner::Import {

namespace {

// The content after a byte-order mark, blanks and comments.
std::string_view Start(std::string_view content)
{
    if (content.substr(0, 3) == "\xEF\xBB\xBF")
        content.remove_prefix(3);
    for (;;) {
        const std::size_t first = content.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos)
            return {};
        content.remove_prefix(first);
        if (content.substr(0, 2) != "/*")
            return content;
        const std::size_t close = content.find("*/", 2);
        if (close == std::string_view::npos)
            return {};
        content.remove_prefix(close + 2);
    }
}

bool IsModelName(const std::string& name)
{
    if (name.size() < 4 || name.back() == '/')
        return false;
    std::string extension = name.substr(name.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".ifc";
}

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

std::string ZipError(zip_error_t& error)
{
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

Status Unzip(const std::string& content, const std::string& fileName, std::string& text, std::string& textName,
             std::size_t cap)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(content.data(), content.size(), 0, &error);
    if (source == nullptr)
        return Status::BadInput(fileName + ": cannot read the zip archive: " + ZipError(error));
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        zip_source_free(source);
        return Status::BadInput(fileName + ": not a readable zip archive: " + ZipError(error));
    }
    zip_error_fini(&error);

    std::vector<std::pair<zip_uint64_t, std::string>> models;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (name != nullptr && IsModelName(name))
            models.emplace_back(zip_uint64_t(i), name);
    }
    if (models.empty())
        return Status::BadInput(fileName + ": the zip archive holds no IFC model (a member named *.ifc)");
    if (models.size() > 1) {
        std::string names;
        for (std::size_t i = 0; i < models.size() && i < 5; ++i)
            names += (i == 0 ? "" : ", ") + models[i].second;
        return Status::BadInput(fileName + ": the zip archive holds " + std::to_string(models.size()) +
                                " IFC models (" + names + (models.size() > 5 ? ", ..." : "") + "); one is expected");
    }

    const auto& [index, name] = models.front();
    textName = fileName + "/" + name;
    std::unique_ptr<zip_file_t, MemberCloser> member(zip_fopen_index(archive.get(), index, 0));
    if (!member)
        return Status::BadInput(textName + ": cannot unpack it: " + zip_strerror(archive.get()));
    // The size the archive claims only sizes the first reservation; the cap is what holds.
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive.get(), index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) != 0)
        text.reserve(std::min<std::size_t>(stat.size, cap));
    text.clear();
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const zip_int64_t read = zip_fread(member.get(), buffer.data(), buffer.size());
        if (read < 0)
            return Status::BadInput(textName + ": cannot unpack it: " + zip_file_strerror(member.get()));
        if (read == 0)
            break;
        if (text.size() + std::size_t(read) > cap) {
            text = std::string();
            return Status::BadInput(textName + ": unpacks to more than " + std::to_string(cap >> 20) +
                                    " MB, more than the import takes");
        }
        text.append(buffer.data(), std::size_t(read));
    }
    return Status::Ok();
}

} // namespace

Status FormatOfContent(std::string_view content, const std::string& fileName, FileFormat& format)
{
    if (content.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
        content.substr(0, 4) == std::string_view("PK\x05\x06", 4)) {
        format = FileFormat::Zip;
        return Status::Ok();
    }
    const std::string_view start = Start(content);
    if (start.substr(0, 12) == "ISO-10303-21") {
        format = FileFormat::StepText;
        return Status::Ok();
    }
    if (start.substr(0, 1) == "{") {
        format = FileFormat::ProjectFile;
        return Status::Ok();
    }
    return Status::BadInput(fileName +
                            ": neither an IFC model (STEP text beginning ISO-10303-21;), a zipped IFC model (.ifczip) "
                            "nor a project file (a JSON object)");
}

Status ModelText(std::string content, const std::string& fileName, std::string& text, std::string& textName,
                 std::size_t cap)
{
    if (content.compare(0, 4, "PK\x03\x04", 4) == 0 || content.compare(0, 4, "PK\x05\x06", 4) == 0)
        return Unzip(content, fileName, text, textName, cap);
    // Anything else goes to the pre-scan as it stands, which names what it expects
    // (ISO-10303-21;) when it is no STEP text.
    text = std::move(content);
    textName = fileName;
    return Status::Ok();
}

bool IsModelFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), std::streamsize(head.size()));
    head.resize(std::size_t(in.gcount()));
    FileFormat format = FileFormat::ProjectFile;
    return FormatOfContent(head, path, format) && format != FileFormat::ProjectFile;
}

Status ReadModelFile(const std::string& path, std::string& text, std::string& textName)
{
    std::string content;
    if (Status status = ReadTextFile(path, content); !status)
        return status;
    return ModelText(std::move(content), path, text, textName);
}

} // namespace Runner::Import
