// RS: strict reading of resource files. Every fault is reported with the file and the JSON path
// of the offending value; nothing of a faulty folder is kept.
#include "RSReader.hpp"

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

namespace RS {

namespace {

using nlohmann::json;

constexpr std::uintmax_t MaxFileSize = 16u << 20;
constexpr Int64 MaxArrayCells = 100000;

const std::pair<const char*, API_AddParID> paramTypes[] = {
    {"integer", APIParT_Integer},     {"length", APIParT_Length},       {"angle", APIParT_Angle},
    {"realnum", APIParT_RealNum},     {"lightswitch", APIParT_LightSw}, {"rgbcolor", APIParT_ColRGB},
    {"intensity", APIParT_Intens},    {"linetype", APIParT_LineTyp},    {"material", APIParT_Mater},
    {"fillpattern", APIParT_FillPat}, {"pencolor", APIParT_PenCol},     {"string", APIParT_CString},
    {"boolean", APIParT_Boolean},
};

class Reader {
public:
    Reader(std::string file, ModuleContent& content, std::string& error)
        : file(std::move(file)), content(content), error(error)
    {
    }

    bool ReadDocument(const json& document)
    {
        if (!document.is_object())
            return Fail("$", "expected an object with resource lists");
        for (const auto& [key, value] : document.items()) {
            bool ok = true;
            if (key == "comment")
                ok = value.is_string() || Fail(key, "expected a text");
            else if (key == "strings")
                ok = ReadList(value, key, &Reader::ReadStrings);
            else if (key == "menus")
                ok = ReadList(value, key, &Reader::ReadMenu);
            else if (key == "alerts")
                ok = ReadList(value, key, &Reader::ReadAlert);
            else if (key == "panels")
                ok = ReadList(value, key, &Reader::ReadPanel);
            else if (key == "libParts")
                ok = ReadList(value, key, &Reader::ReadLibPart);
            else
                ok = Fail(key, "unknown resource list (expected strings, menus, alerts, panels, libParts)");
            if (!ok)
                return false;
        }
        return true;
    }

private:
    using ItemReader = bool (Reader::*)(const json&, const std::string&);

    bool Fail(const std::string& path, const std::string& what)
    {
        error = file + ": " + path + ": " + what;
        return false;
    }

    bool ReadList(const json& list, const std::string& path, ItemReader reader)
    {
        if (!list.is_array())
            return Fail(path, "expected a list");
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (!(this->*reader)(list[i], path + "[" + std::to_string(i) + "]"))
                return false;
        }
        return true;
    }

    bool CheckKeys(const json& object, const std::string& path, std::initializer_list<const char*> required,
                   std::initializer_list<const char*> optional)
    {
        if (!object.is_object())
            return Fail(path, "expected an object");
        for (const char* key : required) {
            if (!object.contains(key))
                return Fail(path, std::string("missing \"") + key + "\"");
        }
        for (auto entry = object.begin(); entry != object.end(); ++entry) {
            const std::string& key = entry.key();
            const auto matches = [&key](const char* name) { return key == name; };
            if (key != "comment" && std::none_of(required.begin(), required.end(), matches) &&
                std::none_of(optional.begin(), optional.end(), matches))
                return Fail(path + "." + key, "unknown key");
        }
        return true;
    }

    bool GetInt(const json& value, const std::string& path, Int64 min, Int64 max, Int64& out)
    {
        if (!value.is_number_integer())
            return Fail(path, "expected a whole number");
        if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::uint64_t(max))
            return Fail(path, "expected a number from " + std::to_string(min) + " to " + std::to_string(max));
        out = value.get<Int64>();
        if (out < min || out > max)
            return Fail(path, "expected a number from " + std::to_string(min) + " to " + std::to_string(max));
        return true;
    }

    bool GetInt32(const json& object, const char* key, const std::string& path, Int64 min, Int64 max, Int32& out)
    {
        Int64 value = 0;
        if (!GetInt(object.at(key), path + "." + key, min, max, value))
            return false;
        out = Int32(value);
        return true;
    }

    // Texts are limited to what a host string field holds (255 UTF-16 units).
    bool GetText(const json& value, const std::string& path, GS::UniString& out)
    {
        if (!value.is_string())
            return Fail(path, "expected a text");
        out = GS::UniString(value.get<std::string>());
        if (out.GetLength() > 255)
            return Fail(path, "text longer than 255 UTF-16 units");
        return true;
    }

    bool GetTextList(const json& value, const std::string& path, std::size_t min, std::size_t max,
                     std::vector<GS::UniString>& out)
    {
        if (!value.is_array() || value.size() < min || value.size() > max)
            return Fail(path, "expected a list of " + std::to_string(min) + " to " + std::to_string(max) + " texts");
        out.resize(value.size());
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (!GetText(value[i], path + "[" + std::to_string(i) + "]", out[i]))
                return false;
        }
        return true;
    }

    bool GetId(const json& object, const std::string& path, short& id)
    {
        Int64 value = 0;
        if (!GetInt(object.at("id"), path + ".id", 1, 32767, value))
            return false;
        id = short(value);
        return true;
    }

    template <typename Map> bool CheckUnique(const Map& map, short id, const std::string& path, const char* kind)
    {
        if (map.count(id) != 0)
            return Fail(path + ".id", std::string(kind) + " " + std::to_string(id) + " is defined twice");
        return true;
    }

    bool ReadStrings(const json& object, const std::string& path)
    {
        short id = 0;
        std::vector<GS::UniString> items;
        if (!CheckKeys(object, path, {"id", "items"}, {}) || !GetId(object, path, id) ||
            !CheckUnique(content.strings, id, path, "string list") ||
            !GetTextList(object["items"], path + ".items", 1, 1000, items))
            return false;
        content.strings.emplace(id, std::move(items));
        return true;
    }

    bool ReadMenu(const json& object, const std::string& path)
    {
        MenuResource menu;
        if (!CheckKeys(object, path, {"id", "items"}, {}) || !GetId(object, path, menu.id) ||
            !CheckUnique(content.menus, menu.id, path, "menu") ||
            !GetTextList(object["items"], path + ".items", 1, 100, menu.items))
            return false;
        content.menus.emplace(menu.id, std::move(menu));
        return true;
    }

    // "^0".."^3" are the substitution texts; a "^" before any other digit is a typing error.
    bool CheckPlaceholders(const GS::UniString& text, const std::string& path)
    {
        const std::u16string& units = text.Units();
        for (std::size_t i = 0; i + 1 < units.size(); ++i) {
            if (units[i] == u'^' && units[i + 1] >= u'4' && units[i + 1] <= u'9')
                return Fail(path, "only ^0 to ^3 can be substituted");
        }
        return true;
    }

    bool ReadAlert(const json& object, const std::string& path)
    {
        AlertResource alert;
        Int64 defaultButton = 1;
        if (!CheckKeys(object, path, {"id", "largeText", "buttons", "defaultButton"}, {"smallText"}) ||
            !GetId(object, path, alert.id) || !CheckUnique(content.alerts, alert.id, path, "alert") ||
            !GetText(object["largeText"], path + ".largeText", alert.largeText) ||
            !CheckPlaceholders(alert.largeText, path + ".largeText") ||
            (object.contains("smallText") && (!GetText(object["smallText"], path + ".smallText", alert.smallText) ||
                                              !CheckPlaceholders(alert.smallText, path + ".smallText"))) ||
            !GetTextList(object["buttons"], path + ".buttons", 1, 3, alert.buttons) ||
            !GetInt(object["defaultButton"], path + ".defaultButton", 1, Int64(alert.buttons.size()), defaultButton))
            return false;
        alert.defaultButton = short(defaultButton);
        content.alerts.emplace(alert.id, std::move(alert));
        return true;
    }

    bool ReadPanel(const json& object, const std::string& path)
    {
        PanelResource panel;
        if (!CheckKeys(object, path, {"id", "kind", "width", "height", "items"}, {"title"}) ||
            !GetId(object, path, panel.id) || !CheckUnique(content.panels, panel.id, path, "panel") ||
            !GetInt32(object, "width", path, 1, 10000, panel.width) ||
            !GetInt32(object, "height", path, 1, 10000, panel.height) ||
            (object.contains("title") && !GetText(object["title"], path + ".title", panel.title)))
            return false;
        const json& kind = object["kind"];
        if (!kind.is_string() || (kind != "dialog" && kind != "palette"))
            return Fail(path + ".kind", "expected \"dialog\" or \"palette\"");
        panel.kind = kind.get<std::string>();
        const json& items = object["items"];
        if (!items.is_array())
            return Fail(path + ".items", "expected a list");
        std::set<short> ids;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const std::string itemPath = path + ".items[" + std::to_string(i) + "]";
            ItemResource item;
            if (!ReadPanelItem(items[i], itemPath, panel, item))
                return false;
            if (!ids.insert(item.id).second)
                return Fail(itemPath + ".id", "item " + std::to_string(item.id) + " is defined twice");
            panel.items.push_back(std::move(item));
        }
        content.panels.emplace(panel.id, std::move(panel));
        return true;
    }

    bool ReadPanelItem(const json& object, const std::string& path, const PanelResource& panel, ItemResource& item)
    {
        if (!CheckKeys(object, path, {"id", "type", "x", "y", "width", "height"}, {"text"}) ||
            !GetId(object, path, item.id) || !GetInt32(object, "x", path, 0, panel.width, item.x) ||
            !GetInt32(object, "y", path, 0, panel.height, item.y) ||
            !GetInt32(object, "width", path, 0, panel.width - item.x, item.width) ||
            !GetInt32(object, "height", path, 0, panel.height - item.y, item.height) ||
            (object.contains("text") && !GetText(object["text"], path + ".text", item.text)))
            return false;
        const json& type = object["type"];
        if (!type.is_string() || (type != "button" && type != "separator" && type != "lefttext" && type != "listbox"))
            return Fail(path + ".type", "expected \"button\", \"separator\", \"lefttext\" or \"listbox\"");
        item.type = type.get<std::string>();
        return true;
    }

    bool ReadLibPart(const json& object, const std::string& path)
    {
        LibPartResource part;
        if (!CheckKeys(object, path, {"id", "name", "guid", "kind", "params"}, {}) || !GetId(object, path, part.id) ||
            !CheckUnique(content.libParts, part.id, path, "library part"))
            return false;
        if (!object["name"].is_string() || object["name"].get<std::string>().empty() ||
            object["name"].get<std::string>().size() > 127)
            return Fail(path + ".name", "expected a name of 1 to 127 bytes");
        part.name = object["name"].get<std::string>();
        GS::Guid guid;
        if (!object["guid"].is_string() || !guid.FromString(object["guid"].get<std::string>().c_str()) || guid.IsNull())
            return Fail(path + ".guid", "expected a GUID \"XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX\"");
        part.guid = guid.ToUniString().ToUtf8();
        const json& kind = object["kind"];
        if (!kind.is_string() || (kind != "label" && kind != "zonestamp" && kind != "object"))
            return Fail(path + ".kind", "expected \"label\", \"zonestamp\" or \"object\"");
        part.kind = kind.get<std::string>();
        for (const auto& [id, other] : content.libParts) {
            if (other.guid == part.guid)
                return Fail(path + ".guid", "the GUID of library part " + std::to_string(id) + " again");
        }
        const json& params = object["params"];
        if (!params.is_array())
            return Fail(path + ".params", "expected a list");
        std::set<std::string> names;
        for (std::size_t i = 0; i < params.size(); ++i) {
            const std::string paramPath = path + ".params[" + std::to_string(i) + "]";
            LibParamResource param;
            if (!ReadParam(params[i], paramPath, param))
                return false;
            if (!names.insert(param.name).second)
                return Fail(paramPath + ".name", "parameter \"" + param.name + "\" is declared twice");
            part.params.push_back(std::move(param));
        }
        content.libParts.emplace(part.id, std::move(part));
        return true;
    }

    // Parameter names must fit the host's 32-byte name field and be plain identifiers.
    static bool IsParamName(const std::string& name)
    {
        if (name.empty() || name.size() >= API_NameLen)
            return false;
        return std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        });
    }

    bool ReadParamValue(const json& value, const std::string& path, const LibParamResource& param,
                        LibParamResource& out)
    {
        if (param.type == APIParT_CString) {
            GS::UniString text;
            if (!GetText(value, path, text))
                return false;
            out.strings.push_back(text);
        } else if (param.type == APIParT_Boolean && value.is_boolean()) {
            out.numbers.push_back(value.get<bool>() ? 1.0 : 0.0);
        } else {
            if (!value.is_number())
                return Fail(path, "expected a number");
            out.numbers.push_back(value.get<double>());
        }
        return true;
    }

    bool ReadParam(const json& object, const std::string& path, LibParamResource& param)
    {
        if (!CheckKeys(object, path, {"name", "type"}, {"value", "dims", "values"}))
            return false;
        if (!object["name"].is_string() || !IsParamName(object["name"].get<std::string>()))
            return Fail(path + ".name", "expected a name of 1 to 31 letters, digits or underscores");
        param.name = object["name"].get<std::string>();
        const json& type = object["type"];
        const auto* known = std::find_if(std::begin(paramTypes), std::end(paramTypes), [&type](const auto& entry) {
            return type.is_string() && type == entry.first;
        });
        if (known == std::end(paramTypes))
            return Fail(path + ".type", "unknown parameter type");
        param.type = known->second;
        if (!object.contains("dims")) {
            if (object.contains("values"))
                return Fail(path + ".values", "a scalar has a \"value\", not \"values\"");
            if (!object.contains("value"))
                return Fail(path, "missing \"value\"");
            return ReadParamValue(object["value"], path + ".value", param, param);
        }
        if (object.contains("value"))
            return Fail(path + ".value", "an array has \"values\", not \"value\"");
        if (!object.contains("values"))
            return Fail(path, "missing \"values\"");
        const json& dims = object["dims"];
        Int64 dim1 = 0, dim2 = 0;
        if (!dims.is_array() || dims.size() != 2)
            return Fail(path + ".dims", "expected [rows, columns]");
        if (!GetInt(dims[0], path + ".dims[0]", 1, MaxArrayCells, dim1) ||
            !GetInt(dims[1], path + ".dims[1]", 1, MaxArrayCells, dim2))
            return false;
        if (dim1 * dim2 > MaxArrayCells)
            return Fail(path + ".dims", "array larger than " + std::to_string(MaxArrayCells) + " cells");
        param.isArray = true;
        param.dim1 = Int32(dim1);
        param.dim2 = Int32(dim2);
        const json& values = object["values"];
        if (!values.is_array() || Int64(values.size()) != dim1 * dim2)
            return Fail(path + ".values", "expected " + std::to_string(dim1 * dim2) + " values, row by row");
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!ReadParamValue(values[i], path + ".values[" + std::to_string(i) + "]", param, param))
                return false;
        }
        return true;
    }

    std::string file;
    ModuleContent& content;
    std::string& error;
};

} // namespace

bool ReadResourceText(const std::string& fileName, const std::string& text, ModuleContent& content, std::string& error)
{
    // Invalid UTF-8 inside texts is a parse error too, so every text reaching the add-on is clean.
    json document = json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        try {
            const json again = json::parse(text);
            (void)again;
        } catch (const json::parse_error& parseError) {
            std::string what = parseError.what();
            const std::size_t bracket = what.find("] ");
            error = fileName + ": invalid JSON: " + (bracket == std::string::npos ? what : what.substr(bracket + 2));
            return false;
        }
        error = fileName + ": invalid JSON";
        return false;
    }
    Reader reader(fileName, content, error);
    return reader.ReadDocument(document);
}

bool ReadModuleFolder(const std::filesystem::path& folder, ModuleContent& content, std::string& error)
{
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".json")
            files.push_back(it->path());
    }
    if (ec) {
        error = folder.string() + ": cannot list the resource folder: " + ec.message();
        return false;
    }
    if (files.empty()) {
        error = folder.string() + ": no resource files (*.json)";
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        const std::string name = path.string();
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (ec || size > MaxFileSize) {
            error = name + ": " + (ec ? "cannot read the file" : "file larger than 16 MB");
            return false;
        }
        std::ifstream stream(path, std::ios::binary);
        std::stringstream buffer;
        buffer << stream.rdbuf();
        if (!stream) {
            error = name + ": cannot read the file";
            return false;
        }
        if (!ReadResourceText(name, buffer.str(), content, error))
            return false;
    }
    return true;
}

} // namespace RS
