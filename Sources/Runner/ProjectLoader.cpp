// Project file loader: JSON to Host::Project, with strict validation of every value.
#include "ProjectLoader.hpp"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <memory_resource>
#include <set>
#include <span>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace Runner {

namespace {

struct TypeNameEntry {
    API_ElemTypeID type;
    const char* name;
};

constexpr TypeNameEntry typeNames[] = {
    {API_WallID, "wall"}, {API_ColumnID, "column"}, {API_BeamID, "beam"}, {API_WindowID, "window"},
    {API_DoorID, "door"}, {API_ObjectID, "object"}, {API_LampID, "lamp"}, {API_SlabID, "slab"},
    {API_RoofID, "roof"}, {API_MeshID, "mesh"},     {API_TextID, "text"}, {API_HatchID, "hatch"},
    {API_LineID, "line"}, {API_LabelID, "label"},   {API_ZoneID, "zone"},
};

constexpr std::size_t paramNameMax = API_NameLen - 1;

// Element entries list the members all elements have first, in this order, then their own.
constexpr std::string_view commonKeys[] = {"id", "guid", "story", "layer", "locked", "group", "observed"};
template <std::size_t N> constexpr bool CommonKeysFirst(const std::string_view (&keys)[N])
{
    for (std::size_t k = 0; k < std::size(commonKeys); ++k)
        if (k >= N || keys[k] != commonKeys[k])
            return false;
    return true;
}

// Zones, labels and other elements are read one by one while the file is parsed once what they
// refer to is known (the sections before them in the file); otherwise, and for everything else,
// from the whole document at the end. Either way sections are taken in the same order.
class Loader final : public JsonStream {
public:
    // `expectedElements` sizes the tables up front (an estimate; they grow past it as needed).
    Loader(const std::string& file, const std::vector<Host::LibPart>& library, std::size_t expectedElements);

    bool StreamArray(const std::string& key, const Json& root) override;
    bool Element(const std::string& key, std::size_t index, Json& element) override;
    void MemberRead(const std::string& key, const Json& root) override;
    const std::string& Error() const override { return reader.Error(); }

    // Reads what was not streamed from the whole document and hands the project over.
    bool Finish(const Json& root, Host::Project& out);

private:
    enum Step {
        StoriesStep,
        CurrentStoryStep,
        LayersStep,
        CombinationsStep,
        CategoriesStep,
        ZonesStep,
        LabelsStep,
        ElementsStep,
        StepCount
    };
    // Runs a step unless it ran already.
    bool Once(Step step, const std::function<bool()>& run);
    bool Settings(const Json& root);

    bool Stories(const Json& root);
    bool CurrentStory(const Json& root);
    bool Layers(const Json& root);
    bool LayerCombinations(const Json& root);
    bool ZoneCategories(const Json& root);
    bool Zones(const Json& root);
    bool Zone(const Json& value, std::size_t i);
    bool Labels(const Json& root);
    bool Label(const Json& value, std::size_t i);
    bool OtherElements(const Json& root);
    bool OtherElement(const Json& value, std::size_t i);
    bool LabelTool(const Json& root);
    bool Teamwork(const Json& root);
    bool Selection(const Json& root);
    bool Links();

    // Every element entry's members: these first, then those of its kind (see Members()).
    enum CommonKey { IdKey, GuidKey, StoryKey, LayerKey, LockedKey, GroupKey, ObservedKey, OwnKeys };
    using Members = std::span<const Json* const>;
    bool CommonFields(const Members& members, const JsonPath& path, Host::Element& element);
    bool LayerFlags(const Json& value, const std::string& path, UInt16& flags);
    bool Coord(const Json& value, const JsonPath& path, API_Coord& coord);
    bool Polygon(const Json& value, const JsonPath& path, std::vector<API_Coord>& polygon);
    bool ElementRef(const Json& value, const JsonPath& path, API_Guid& guid);
    bool LibPartRef(const Json& value, const JsonPath& path, const char* kind, const Host::LibPart*& part);
    bool Params(const Json& value, const JsonPath& path, const Host::LibPart& part, std::vector<Host::Param>& params);
    bool ParamValue(const Json& value, const JsonPath& path, Host::Param& param, bool declared);

    JsonReader reader;
    Host::Project project;
    // The loader's tables live as long as it does and only grow: they take their nodes from one
    // arena, which spares a large project a heap allocation and release per element.
    std::pmr::monotonic_buffer_resource arena;
    std::pmr::unordered_map<std::string, API_Guid> ids{&arena};
    std::pmr::unordered_set<API_Guid> guids{&arena};
    struct PendingLinks {
        API_Guid from;
        std::string path;
        Json links; // a copy: a streamed label is gone once read
    };
    std::vector<PendingLinks> pendingLinks;

    struct {
        const std::string zones = "/zones";
        const std::string labels = "/labels";
        const std::string elements = "/elements";
    } sectionPaths;
    std::array<bool, StepCount> done{};
    std::set<std::string> membersRead;
    Step streaming = StepCount; // the section whose elements arrive through Element()
};

Loader::Loader(const std::string& file, const std::vector<Host::LibPart>& library, std::size_t expectedElements)
    : reader(file)
{
    project.libParts = library.empty() ? Host::HostLibrary() : library;
    Host::EnsureHostLibrary(project);
    project.elements.Reserve(expectedElements);
    ids.reserve(expectedElements);
    guids.reserve(expectedElements);
}

bool Loader::Once(Step step, const std::function<bool()>& run)
{
    if (done[step])
        return true;
    done[step] = true;
    return run();
}

bool Loader::Settings(const Json& root)
{
    return Once(StoriesStep, [&] { return Stories(root); }) &&
           Once(CurrentStoryStep, [&] { return CurrentStory(root); }) &&
           Once(LayersStep, [&] { return Layers(root); }) &&
           Once(CombinationsStep, [&] { return LayerCombinations(root); }) &&
           Once(CategoriesStep, [&] { return ZoneCategories(root); });
}

bool Loader::StreamArray(const std::string& key, const Json& root)
{
    // Zones need the stories, layers and categories; labels the zones (their parents); other
    // elements come after labels. A section that arrives earlier waits in the document.
    auto read = [&](const char* member) { return membersRead.count(member) != 0; };
    Step step = StepCount;
    if (key == "zones" && read("stories") && read("layers") && read("zoneCategories"))
        step = ZonesStep;
    else if (key == "labels" && done[ZonesStep])
        step = LabelsStep;
    else if (key == "elements" && done[ZonesStep] && done[LabelsStep])
        step = ElementsStep;
    if (step == StepCount || !reader.Error().empty())
        return false;
    // The sections read so far are all there is of them: settle them now, with the current story
    // and the layer combinations when they came already (otherwise at the end). A failed step
    // leaves its message, and the first element then stops the parse.
    bool ok = Once(StoriesStep, [&] { return Stories(root); });
    if (ok && read("currentStory"))
        ok = Once(CurrentStoryStep, [&] { return CurrentStory(root); });
    ok = ok && Once(LayersStep, [&] { return Layers(root); });
    if (ok && read("layerCombinations"))
        ok = Once(CombinationsStep, [&] { return LayerCombinations(root); });
    ok = ok && Once(CategoriesStep, [&] { return ZoneCategories(root); });
    done[step] = true;
    streaming = step;
    return true;
}

bool Loader::Element(const std::string& /*key*/, std::size_t index, Json& element)
{
    if (!reader.Error().empty())
        return false;
    switch (streaming) {
    case ZonesStep:
        return Zone(element, index);
    case LabelsStep:
        return Label(element, index);
    case ElementsStep:
        return OtherElement(element, index);
    default:
        return false;
    }
}

void Loader::MemberRead(const std::string& key, const Json& /*root*/)
{
    membersRead.insert(key);
    streaming = StepCount;
}

bool Loader::Finish(const Json& root, Host::Project& out)
{
    if (!reader.Error().empty())
        return false;
    if (!reader.Object(root, "",
                       {"stories", "currentStory", "layers", "layerCombinations", "zoneCategories", "teamwork", "zones",
                        "labels", "elements", "labelTool", "selection"}))
        return false;
    std::size_t elementCount = project.elements.size();
    for (const char* section : {"zones", "labels", "elements"}) {
        auto found = root.find(section);
        if (found != root.end() && found->is_array())
            elementCount += found->size();
    }
    project.elements.Reserve(elementCount);
    ids.reserve(elementCount);
    guids.reserve(elementCount);
    if (!Settings(root) || !Once(ZonesStep, [&] { return Zones(root); }) ||
        !Once(LabelsStep, [&] { return Labels(root); }) || !Once(ElementsStep, [&] { return OtherElements(root); }) ||
        !Links() || !LabelTool(root) || !Teamwork(root) || !Selection(root))
        return false;
    out = std::move(project);
    return true;
}

bool Loader::Stories(const Json& root)
{
    if (!root.contains("stories")) {
        project.stories.push_back(Host::Story{0, "Ground floor", 0.0});
    } else {
        const Json& stories = root["stories"];
        if (!reader.Array(stories, "/stories"))
            return false;
        if (stories.empty())
            return reader.Fail("/stories", "a project needs at least one story");
        for (std::size_t i = 0; i < stories.size(); ++i) {
            const std::string path = JsonReader::Index("/stories", i);
            const Json& value = stories[i];
            if (!reader.Object(value, path, {"index", "name", "level"}))
                return false;
            if (!value.contains("index"))
                return reader.Fail(path, "missing key \"index\"");
            Host::Story story;
            long long index = 0;
            if (!reader.Integer(value["index"], JsonPath(path, "index"), -32768, 32767, index))
                return false;
            story.index = short(index);
            if (value.contains("name") && !reader.String(value["name"], JsonPath(path, "name"), story.name))
                return false;
            if (value.contains("level") && !reader.Number(value["level"], JsonPath(path, "level"), story.level))
                return false;
            for (const Host::Story& other : project.stories)
                if (other.index == story.index)
                    return reader.Fail(JsonPath(path, "index"), "duplicate story index " + std::to_string(index));
            project.stories.push_back(story);
        }
    }
    return true;
}

bool Loader::CurrentStory(const Json& root)
{
    project.currentStory = project.stories.front().index;
    if (root.contains("currentStory")) {
        long long current = 0;
        if (!reader.Integer(root["currentStory"], "/currentStory", -32768, 32767, current))
            return false;
        const bool exists = std::any_of(project.stories.begin(), project.stories.end(),
                                        [&](const Host::Story& story) { return story.index == current; });
        if (!exists)
            return reader.Fail("/currentStory", "no story with index " + std::to_string(current));
        project.currentStory = short(current);
    }
    return true;
}

bool Loader::LayerFlags(const Json& value, const std::string& path, UInt16& flags)
{
    long long given = 0;
    if (value.contains("flags") && !reader.Integer(value["flags"], JsonPath(path, "flags"), 0, 65535, given))
        return false;
    flags = UInt16(given);
    bool on = false;
    if (value.contains("hidden")) {
        if (!reader.Bool(value["hidden"], JsonPath(path, "hidden"), on))
            return false;
        flags = on ? UInt16(flags | APILay_Hidden) : UInt16(flags & ~APILay_Hidden);
    }
    if (value.contains("locked")) {
        if (!reader.Bool(value["locked"], JsonPath(path, "locked"), on))
            return false;
        flags = on ? UInt16(flags | APILay_Locked) : UInt16(flags & ~APILay_Locked);
    }
    return true;
}

bool Loader::Layers(const Json& root)
{
    if (!root.contains("layers")) {
        project.layers.push_back(Host::Layer{1, "Default", 0});
        return true;
    }
    const Json& layers = root["layers"];
    if (!reader.Array(layers, "/layers"))
        return false;
    if (layers.empty())
        return reader.Fail("/layers", "a project needs at least one layer");
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const std::string path = JsonReader::Index("/layers", i);
        const Json& value = layers[i];
        if (!reader.Object(value, path, {"index", "name", "hidden", "locked", "flags"}))
            return false;
        if (!value.contains("index"))
            return reader.Fail(path, "missing key \"index\"");
        long long index = 0;
        Host::Layer layer;
        if (!reader.Integer(value["index"], JsonPath(path, "index"), 1, 32767, index))
            return false;
        layer.index = API_AttributeIndex(index);
        if (project.FindLayer(layer.index) != nullptr)
            return reader.Fail(JsonPath(path, "index"), "duplicate layer index " + std::to_string(index));
        if (value.contains("name") && !reader.String(value["name"], JsonPath(path, "name"), layer.name))
            return false;
        if (!LayerFlags(value, path, layer.flags))
            return false;
        project.layers.push_back(layer);
    }
    return true;
}

bool Loader::LayerCombinations(const Json& root)
{
    if (!root.contains("layerCombinations"))
        return true;
    const Json& combinations = root["layerCombinations"];
    if (!reader.Array(combinations, "/layerCombinations"))
        return false;
    for (std::size_t i = 0; i < combinations.size(); ++i) {
        const std::string path = JsonReader::Index("/layerCombinations", i);
        const Json& value = combinations[i];
        if (!reader.Object(value, path, {"index", "name", "layers"}))
            return false;
        if (!value.contains("index"))
            return reader.Fail(path, "missing key \"index\"");
        long long index = 0;
        Host::LayerCombination combination;
        if (!reader.Integer(value["index"], JsonPath(path, "index"), 1, 32767, index))
            return false;
        combination.index = API_AttributeIndex(index);
        for (const Host::LayerCombination& other : project.layerCombinations)
            if (other.index == combination.index)
                return reader.Fail(JsonPath(path, "index"),
                                   "duplicate layer combination index " + std::to_string(index));
        if (value.contains("name") && !reader.String(value["name"], JsonPath(path, "name"), combination.name))
            return false;
        if (value.contains("layers")) {
            const Json& layers = value["layers"];
            if (!layers.is_object())
                return reader.Fail(JsonPath(path, "layers"), "expected an object, got " + JsonReader::TypeName(layers));
            for (const auto& item : layers.items()) {
                const std::string layerPath = JsonReader::Key(JsonPath(path, "layers"), item.key());
                long long layerIndex = 0;
                try {
                    std::size_t used = 0;
                    layerIndex = std::stoll(item.key(), &used);
                    if (used != item.key().size())
                        layerIndex = -1;
                } catch (...) {
                    layerIndex = -1;
                }
                if (layerIndex < 1 || layerIndex > 32767)
                    return reader.Fail(layerPath, "a layer index (a positive integer) is expected as key");
                if (project.FindLayer(API_AttributeIndex(layerIndex)) == nullptr)
                    return reader.Fail(layerPath, "no layer with index " + item.key());
                if (!reader.Object(item.value(), layerPath, {"hidden", "locked", "flags"}))
                    return false;
                UInt16 flags = 0;
                if (!LayerFlags(item.value(), layerPath, flags))
                    return false;
                combination.flags[API_AttributeIndex(layerIndex)] = flags;
            }
        }
        project.layerCombinations.push_back(combination);
    }
    return true;
}

bool Loader::ZoneCategories(const Json& root)
{
    if (!root.contains("zoneCategories"))
        return true;
    const Json& categories = root["zoneCategories"];
    if (!reader.Array(categories, "/zoneCategories"))
        return false;
    std::map<API_AttributeIndex, Host::ZoneCategory> slots;
    for (std::size_t i = 0; i < categories.size(); ++i) {
        const std::string path = JsonReader::Index("/zoneCategories", i);
        const Json& value = categories[i];
        if (!reader.Object(value, path, {"index", "code", "name", "deleted"}))
            return false;
        if (!value.contains("index"))
            return reader.Fail(path, "missing key \"index\"");
        long long index = 0;
        Host::ZoneCategory category;
        if (!reader.Integer(value["index"], JsonPath(path, "index"), 1, 32767, index))
            return false;
        category.index = API_AttributeIndex(index);
        if (slots.count(category.index) != 0)
            return reader.Fail(JsonPath(path, "index"), "duplicate zone category index " + std::to_string(index));
        if (value.contains("deleted") && !reader.Bool(value["deleted"], JsonPath(path, "deleted"), category.deleted))
            return false;
        std::string code;
        if (value.contains("code")) {
            if (!reader.String(value["code"], JsonPath(path, "code"), code))
                return false;
            // The host's attribute record holds the code in a field of 25 units.
            if (Utf16Length(code) > 24)
                return reader.Fail(JsonPath(path, "code"), "zone category code too long: at most 24 UTF-16 units");
        }
        category.code = GS::UniString(code);
        if (value.contains("name") && !reader.String(value["name"], JsonPath(path, "name"), category.name))
            return false;
        if (category.deleted && (value.contains("code") || value.contains("name")))
            return reader.Fail(path, "a deleted zone category has no code or name");
        slots[category.index] = category;
    }
    // Slots run from 1 without gaps: a missing slot is one that was deleted.
    if (!slots.empty()) {
        const API_AttributeIndex last = slots.rbegin()->first;
        for (API_AttributeIndex index = 1; index <= last; ++index) {
            auto found = slots.find(index);
            if (found != slots.end()) {
                project.zoneCategories.push_back(found->second);
            } else {
                Host::ZoneCategory gap;
                gap.index = index;
                gap.deleted = true;
                project.zoneCategories.push_back(gap);
            }
        }
    }
    return true;
}

bool Loader::CommonFields(const Members& members, const JsonPath& path, Host::Element& element)
{
    if (members[IdKey] == nullptr)
        return reader.Fail(path, "missing key \"id\"");
    const JsonPath idPath(path, "id");
    if (!reader.String(*members[IdKey], idPath, element.id))
        return false;
    if (element.id.empty())
        return reader.Fail(idPath, "an element id must not be empty");
    auto [slot, fresh] = ids.try_emplace(element.id);
    if (!fresh)
        return reader.Fail(idPath, "duplicate element id \"" + element.id + "\"");
    if (members[GuidKey] != nullptr) {
        std::string text;
        if (!reader.String(*members[GuidKey], JsonPath(path, "guid"), text))
            return false;
        GS::Guid parsed;
        if (!parsed.FromString(text.c_str()) || parsed.IsNull())
            return reader.Fail(JsonPath(path, "guid"),
                               "not a GUID (XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX): \"" + text + "\"");
        element.guid = GSGuid2APIGuid(parsed);
    } else {
        element.guid = Host::GuidFromName(element.id);
    }
    if (!guids.insert(element.guid).second)
        return reader.Fail(JsonPath(path, members[GuidKey] != nullptr ? "guid" : "id"), "duplicate element GUID");
    slot->second = element.guid;
    long long number = project.stories.front().index;
    if (members[StoryKey] != nullptr &&
        !reader.Integer(*members[StoryKey], JsonPath(path, "story"), -32768, 32767, number))
        return false;
    const bool storyExists = std::any_of(project.stories.begin(), project.stories.end(),
                                         [&](const Host::Story& story) { return story.index == number; });
    if (!storyExists)
        return reader.Fail(JsonPath(path, "story"), "no story with index " + std::to_string(number));
    element.story = short(number);
    number = project.layers.front().index;
    if (members[LayerKey] != nullptr && !reader.Integer(*members[LayerKey], JsonPath(path, "layer"), 1, 32767, number))
        return false;
    if (project.FindLayer(API_AttributeIndex(number)) == nullptr)
        return reader.Fail(JsonPath(path, "layer"), "no layer with index " + std::to_string(number));
    element.layer = API_AttributeIndex(number);
    if (members[LockedKey] != nullptr && !reader.Bool(*members[LockedKey], JsonPath(path, "locked"), element.locked))
        return false;
    if (members[ObservedKey] != nullptr &&
        !reader.Bool(*members[ObservedKey], JsonPath(path, "observed"), element.observed))
        return false;
    number = 0;
    if (members[GroupKey] != nullptr &&
        !reader.Integer(*members[GroupKey], JsonPath(path, "group"), 0, 1000000000, number))
        return false;
    element.group = number == 0 ? APINULLGuid : Host::GuidFromName("group:" + std::to_string(number));
    return true;
}

bool Loader::Coord(const Json& value, const JsonPath& path, API_Coord& coord)
{
    if (!value.is_array() || value.size() != 2)
        return reader.Fail(path, "expected [x, y], got " + (value.is_array() ? std::to_string(value.size()) + " values"
                                                                             : JsonReader::TypeName(value)));
    return reader.Number(value[0], JsonPath(path, std::size_t(0)), coord.x) &&
           reader.Number(value[1], JsonPath(path, std::size_t(1)), coord.y);
}

bool Loader::Polygon(const Json& value, const JsonPath& path, std::vector<API_Coord>& polygon)
{
    if (!reader.Array(value, path))
        return false;
    if (value.size() < 3)
        return reader.Fail(path, "a polygon needs at least three points, got " + std::to_string(value.size()));
    polygon.resize(value.size());
    for (std::size_t i = 0; i < value.size(); ++i)
        if (!Coord(value[i], JsonPath(path, i), polygon[i]))
            return false;
    return true;
}

bool Loader::ElementRef(const Json& value, const JsonPath& path, API_Guid& guid)
{
    std::string id;
    if (!reader.String(value, path, id))
        return false;
    auto found = ids.find(id);
    if (found == ids.end())
        return reader.Fail(path, "no element with id \"" + id + "\"");
    guid = found->second;
    return true;
}

bool Loader::LibPartRef(const Json& value, const JsonPath& path, const char* kind, const Host::LibPart*& part)
{
    std::string name;
    if (!reader.String(value, path, name))
        return false;
    part = project.FindLibPart(name);
    if (part == nullptr) {
        std::string known;
        for (const Host::LibPart& candidate : project.libParts)
            if (candidate.kind == kind)
                known += (known.empty() ? "\"" : ", \"") + candidate.name + "\"";
        return reader.Fail(path, "no library part named \"" + name + "\" (known: " + known + ")");
    }
    if (part->kind != kind)
        return reader.Fail(path, "library part \"" + name + "\" is not a " + kind);
    return true;
}

bool Loader::ParamValue(const Json& value, const JsonPath& path, Host::Param& param, bool declared)
{
    const bool wantString = declared && param.type == APIParT_CString;
    auto scalarText = [&](const Json& item, const JsonPath& itemPath, GS::UniString& out) {
        std::string text;
        if (!reader.String(item, itemPath, text))
            return false;
        out = GS::UniString(text);
        return true;
    };
    if (value.is_array()) {
        if (declared && !param.isArray)
            return reader.Fail(path, "parameter \"" + param.name + "\" is a scalar, got an array");
        if (value.empty())
            return reader.Fail(path, "an array parameter needs at least one value");
        const bool rows = value[0].is_array();
        const std::size_t columns = rows ? value[0].size() : 1;
        if (rows && columns == 0)
            return reader.Fail(JsonPath(path, "0"), "a row needs at least one value");
        bool isString = wantString;
        if (!declared)
            isString = rows ? (!value[0].empty() && value[0][0].is_string()) : value[0].is_string();
        std::vector<double> numbers;
        std::vector<GS::UniString> texts;
        for (std::size_t r = 0; r < value.size(); ++r) {
            const std::string rowPath = JsonReader::Index(path, r);
            const Json& row = value[r];
            if (rows != row.is_array())
                return reader.Fail(rowPath, "mixed rows and values in an array parameter");
            if (rows && row.size() != columns)
                return reader.Fail(rowPath, "all rows need " + std::to_string(columns) + " values");
            for (std::size_t c = 0; c < columns; ++c) {
                const Json& item = rows ? row[c] : row;
                const std::string itemPath = rows ? JsonReader::Index(rowPath, c) : rowPath;
                if (isString) {
                    GS::UniString text;
                    if (!scalarText(item, itemPath, text))
                        return false;
                    texts.push_back(text);
                } else {
                    double number = 0;
                    if (!reader.Number(item, itemPath, number))
                        return false;
                    numbers.push_back(number);
                }
            }
        }
        if (!declared)
            param.type = isString ? APIParT_CString : APIParT_RealNum;
        param.isArray = true;
        param.dim1 = Int32(value.size());
        param.dim2 = Int32(columns);
        param.numbers = std::move(numbers);
        param.texts = std::move(texts);
        return true;
    }
    if (declared && param.isArray)
        return reader.Fail(path, "parameter \"" + param.name + "\" is an array, got " + JsonReader::TypeName(value));
    if (value.is_string() && (!declared || wantString)) {
        if (!declared)
            param.type = APIParT_CString;
        return scalarText(value, path, param.text);
    }
    if (value.is_boolean() && (!declared || !wantString)) {
        if (!declared)
            param.type = APIParT_Boolean;
        param.number = value.get<bool>() ? 1.0 : 0.0;
        return true;
    }
    if (value.is_number() && (!declared || !wantString)) {
        if (!declared)
            param.type = APIParT_RealNum;
        return reader.Number(value, path, param.number);
    }
    return reader.Fail(path, "parameter \"" + param.name + "\" expects " + (wantString ? "a string" : "a number") +
                                 ", got " + JsonReader::TypeName(value));
}

bool Loader::Params(const Json& value, const JsonPath& path, const Host::LibPart& part,
                    std::vector<Host::Param>& params)
{
    if (!value.is_object())
        return reader.Fail(path, "expected an object, got " + JsonReader::TypeName(value));
    for (const auto& item : value.items()) {
        const std::string paramPath = JsonReader::Key(path, item.key());
        const std::string& name = item.key();
        if (name.empty() || name.size() > paramNameMax)
            return reader.Fail(paramPath, "a parameter name has 1 to " + std::to_string(paramNameMax) + " characters");
        for (unsigned char c : name)
            if (c < 0x21 || c > 0x7E)
                return reader.Fail(paramPath, "a parameter name is plain ASCII without blanks");
        auto found = std::find_if(params.begin(), params.end(), [&](const Host::Param& p) { return p.name == name; });
        const bool declared = found != params.end();
        if (!declared && !part.params.empty())
            return reader.Fail(paramPath, "library part \"" + part.name + "\" has no parameter \"" + name + "\"");
        Host::Param fresh;
        fresh.name = name;
        Host::Param& param = declared ? *found : fresh;
        if (!ParamValue(item.value(), paramPath, param, declared))
            return false;
        if (!declared)
            params.push_back(fresh);
    }
    return true;
}

bool Loader::Zones(const Json& root)
{
    if (!root.contains("zones"))
        return true;
    const Json& zones = root["zones"];
    if (!reader.Array(zones, "/zones"))
        return false;
    for (std::size_t i = 0; i < zones.size(); ++i)
        if (!Zone(zones[i], i))
            return false;
    return true;
}

bool Loader::Zone(const Json& value, std::size_t i)
{
    const JsonPath path(sectionPaths.zones, i);
    enum { CategoryKey = OwnKeys, NumberKey, NameKey, TopKey, QuantitiesKey, PosKey, PolygonKey, KeyCount };
    static constexpr std::string_view keys[KeyCount] = {"id",    "guid",       "story",    "layer",  "locked",
                                                        "group", "observed",   "category", "number", "name",
                                                        "top",   "quantities", "pos",      "polygon"};
    static_assert(CommonKeysFirst(keys));
    std::array<const Json*, KeyCount> members{};
    if (!reader.Members(value, path, keys, members))
        return false;
    Host::Element zone;
    zone.type = API_ZoneID;
    if (!CommonFields(members, path, zone))
        return false;
    std::string text;
    if (members[NumberKey] != nullptr) {
        if (!reader.String(*members[NumberKey], JsonPath(path, "number"), text))
            return false;
        zone.number = GS::UniString(text);
    }
    if (members[NameKey] != nullptr) {
        if (!reader.String(*members[NameKey], JsonPath(path, "name"), text))
            return false;
        zone.name = GS::UniString(text);
    }
    long long category = project.zoneCategories.empty() ? 0 : 1;
    if (members[CategoryKey] != nullptr) {
        if (!reader.Integer(*members[CategoryKey], JsonPath(path, "category"), 1, 32767, category))
            return false;
        if (category > static_cast<long long>(project.zoneCategories.size()))
            return reader.Fail(JsonPath(path, "category"), "no zone category with index " + std::to_string(category));
    }
    zone.category = API_AttributeIndex(category);
    if (members[QuantitiesKey] != nullptr) {
        const Json& quantities = *members[QuantitiesKey];
        const JsonPath quantitiesPath(path, "quantities");
        if (!quantities.is_array() || quantities.size() != 5)
            return reader.Fail(quantitiesPath,
                               "expected an array of five numbers, got " +
                                   (quantities.is_array() ? std::to_string(quantities.size()) + " values"
                                                          : JsonReader::TypeName(quantities)));
        for (std::size_t q = 0; q < 5; ++q)
            if (!reader.Number(quantities[q], JsonPath(quantitiesPath, q), zone.quantities[q]))
                return false;
    }
    if (members[PosKey] != nullptr && !Coord(*members[PosKey], JsonPath(path, "pos"), zone.pos))
        return false;
    if (members[PolygonKey] != nullptr && !Polygon(*members[PolygonKey], JsonPath(path, "polygon"), zone.polygon))
        return false;
    std::optional<std::string> top;
    if (members[TopKey] != nullptr && !members[TopKey]->is_null()) {
        const Json& given = *members[TopKey];
        if (!given.is_string())
            return reader.Fail(JsonPath(path, "top"), "expected a string or null, got " + JsonReader::TypeName(given));
        if (!reader.String(given, JsonPath(path, "top"), text))
            return false;
        top = text;
    }
    SetZoneStamp(project, zone, top);
    project.elements.Add(std::move(zone));
    return true;
}

bool Loader::Labels(const Json& root)
{
    if (!root.contains("labels"))
        return true;
    const Json& labels = root["labels"];
    if (!reader.Array(labels, "/labels"))
        return false;
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (!Label(labels[i], i))
            return false;
    return true;
}

bool Loader::Label(const Json& value, std::size_t i)
{
    const JsonPath path(sectionPaths.labels, i);
    enum { LibPartKey = OwnKeys, ClassKey, PosKey, ParamsKey, LinksKey, ParentKey, KeyCount };
    static constexpr std::string_view keys[KeyCount] = {"id",     "guid",     "story",   "layer", "locked",
                                                        "group",  "observed", "libPart", "class", "pos",
                                                        "params", "links",    "parent"};
    static_assert(CommonKeysFirst(keys));
    std::array<const Json*, KeyCount> members{};
    if (!reader.Members(value, path, keys, members))
        return false;
    Host::Element label;
    label.type = API_LabelID;
    if (!CommonFields(members, path, label))
        return false;
    if (members[LibPartKey] == nullptr)
        return reader.Fail(path, "missing key \"libPart\"");
    const Host::LibPart* part = nullptr;
    if (!LibPartRef(*members[LibPartKey], JsonPath(path, "libPart"), "label", part))
        return false;
    label.libInd = part->index;
    label.symbolSettings.libInd = part->index;
    label.params = part->params;
    if (members[ClassKey] != nullptr) {
        std::string labelClass;
        if (!reader.String(*members[ClassKey], JsonPath(path, "class"), labelClass))
            return false;
        if (labelClass != "symbol" && labelClass != "text")
            return reader.Fail(JsonPath(path, "class"), "expected \"symbol\" or \"text\"");
        label.labelClass = labelClass == "symbol" ? APILblClass_Symbol : APILblClass_Text;
    }
    if (members[PosKey] != nullptr && !Coord(*members[PosKey], JsonPath(path, "pos"), label.begC))
        return false;
    label.midC = label.begC;
    label.endC = label.begC;
    if (members[ParamsKey] != nullptr && !Params(*members[ParamsKey], JsonPath(path, "params"), *part, label.params))
        return false;
    if (members[ParentKey] != nullptr && !members[ParentKey]->is_null()) {
        if (!ElementRef(*members[ParentKey], JsonPath(path, "parent"), label.parent))
            return false;
        label.parentType = project.Find(label.parent)->type;
    }
    if (members[LinksKey] != nullptr) {
        if (!reader.Array(*members[LinksKey], JsonPath(path, "links")))
            return false;
        pendingLinks.push_back({label.guid, JsonPath(path, "links").Text(), *members[LinksKey]});
    }
    project.elements.Add(std::move(label));
    return true;
}

bool Loader::OtherElements(const Json& root)
{
    if (!root.contains("elements"))
        return true;
    const Json& elements = root["elements"];
    if (!reader.Array(elements, "/elements"))
        return false;
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (!OtherElement(elements[i], i))
            return false;
    return true;
}

bool Loader::OtherElement(const Json& value, std::size_t i)
{
    const JsonPath path(sectionPaths.elements, i);
    enum { TypeKey = OwnKeys, PosKey, EndKey, KeyCount };
    static constexpr std::string_view keys[KeyCount] = {"id",    "guid",     "story", "layer", "locked",
                                                        "group", "observed", "type",  "pos",   "end"};
    static_assert(CommonKeysFirst(keys));
    std::array<const Json*, KeyCount> members{};
    if (!reader.Members(value, path, keys, members))
        return false;
    Host::Element element;
    if (members[TypeKey] == nullptr)
        return reader.Fail(path, "missing key \"type\"");
    std::string typeName;
    if (!reader.String(*members[TypeKey], JsonPath(path, "type"), typeName))
        return false;
    if (!ElementTypeFromName(typeName, element.type) || element.type == API_ZoneID || element.type == API_LabelID)
        return reader.Fail(JsonPath(path, "type"),
                           "unknown element type \"" + typeName + "\" (zones and labels have sections of their own)");
    if (!CommonFields(members, path, element))
        return false;
    if (members[PosKey] != nullptr && !Coord(*members[PosKey], JsonPath(path, "pos"), element.pos))
        return false;
    if (members[EndKey] != nullptr && !Coord(*members[EndKey], JsonPath(path, "end"), element.endPoint))
        return false;
    element.begC = element.pos;
    project.elements.Add(std::move(element));
    return true;
}

bool Loader::Links()
{
    // Links are kept in the order made; the set answers "made already?" for large projects.
    for (const PendingLinks& pending : pendingLinks) {
        for (std::size_t i = 0; i < pending.links.size(); ++i) {
            const JsonPath path(pending.path, i);
            API_Guid to;
            if (!ElementRef(pending.links[i], path, to))
                return false;
            if (to == pending.from)
                return reader.Fail(path, "an element cannot be linked to itself");
            // Links are made in both directions; a link made already was given twice.
            if (!project.elements.Link(pending.from, to, 0))
                return reader.Fail(path, "link given twice");
            project.elements.Link(to, pending.from, 0);
        }
    }
    return true;
}

bool Loader::LabelTool(const Json& root)
{
    const Host::LibPart* generic = project.FindLibPart("Generic Label");
    if (generic != nullptr) {
        project.labelTool.libInd = generic->index;
        project.labelTool.symbolSettings.libInd = generic->index;
        project.labelTool.params = generic->params;
    }
    project.labelTool.layer = project.layers.front().index;
    if (!root.contains("labelTool"))
        return true;
    const Json& value = root["labelTool"];
    if (!reader.Object(value, "/labelTool", {"class", "libPart", "layer", "params"}))
        return false;
    const Host::LibPart* part = generic;
    if (value.contains("libPart")) {
        if (!LibPartRef(value["libPart"], "/labelTool/libPart", "label", part))
            return false;
        project.labelTool.libInd = part->index;
        project.labelTool.symbolSettings.libInd = part->index;
        project.labelTool.params = part->params;
    }
    if (value.contains("class")) {
        std::string labelClass;
        if (!reader.String(value["class"], "/labelTool/class", labelClass))
            return false;
        if (labelClass != "symbol" && labelClass != "text")
            return reader.Fail("/labelTool/class", "expected \"symbol\" or \"text\"");
        project.labelTool.labelClass = labelClass == "symbol" ? APILblClass_Symbol : APILblClass_Text;
    }
    if (value.contains("layer")) {
        long long layer = 0;
        if (!reader.Integer(value["layer"], "/labelTool/layer", 1, 32767, layer))
            return false;
        if (project.FindLayer(API_AttributeIndex(layer)) == nullptr)
            return reader.Fail("/labelTool/layer", "no layer with index " + std::to_string(layer));
        project.labelTool.layer = API_AttributeIndex(layer);
    }
    if (value.contains("params") && part != nullptr &&
        !Params(value["params"], "/labelTool/params", *part, project.labelTool.params))
        return false;
    return true;
}

bool Loader::Teamwork(const Json& root)
{
    if (!root.contains("teamwork"))
        return true;
    const Json& value = root["teamwork"];
    if (!reader.Object(value, "/teamwork", {"shared", "user", "held", "grant"}))
        return false;
    Host::Teamwork& teamwork = project.teamwork;
    if (value.contains("shared") && !reader.Bool(value["shared"], "/teamwork/shared", teamwork.shared))
        return false;
    if (value.contains("grant") && !reader.Bool(value["grant"], "/teamwork/grant", teamwork.grant))
        return false;
    if (value.contains("user")) {
        if (!reader.String(value["user"], "/teamwork/user", teamwork.user))
            return false;
        if (teamwork.user.empty())
            return reader.Fail("/teamwork/user", "the user name must not be empty");
    }
    if (!value.contains("held"))
        return true;
    const Json& held = value["held"];
    if (!held.is_object())
        return reader.Fail("/teamwork/held", "expected an object, got " + JsonReader::TypeName(held));
    std::map<std::string, std::string> holder; // element id -> user
    for (const auto& item : held.items()) {
        const std::string path = JsonReader::Key("/teamwork/held", item.key());
        if (item.key().empty() || Utf16Length(item.key()) > 255)
            return reader.Fail(path, "a user name has 1 to 255 characters");
        if (!reader.Array(item.value(), path))
            return false;
        for (std::size_t i = 0; i < item.value().size(); ++i) {
            const std::string elementPath = JsonReader::Index(path, i);
            API_Guid guid;
            if (!ElementRef(item.value()[i], elementPath, guid))
                return false;
            const std::string id = item.value()[i].get<std::string>();
            if (holder.count(id) != 0)
                return reader.Fail(elementPath, "\"" + id + "\" is already held by \"" + holder[id] + "\"");
            holder[id] = item.key();
            if (item.key() == teamwork.user)
                teamwork.reserved.insert(guid);
            else
                teamwork.held[item.key()].push_back(guid);
        }
    }
    return true;
}

bool Loader::Selection(const Json& root)
{
    if (!root.contains("selection"))
        return true;
    const Json& selection = root["selection"];
    if (!reader.Array(selection, "/selection"))
        return false;
    for (std::size_t i = 0; i < selection.size(); ++i) {
        API_Guid guid;
        if (!ElementRef(selection[i], JsonReader::Index("/selection", i), guid))
            return false;
        if (std::find(project.selection.begin(), project.selection.end(), guid) != project.selection.end())
            return reader.Fail(JsonReader::Index("/selection", i), "element selected twice");
        project.selection.push_back(guid);
    }
    return true;
}

} // namespace

Status LoadProjectText(const std::string& text, const std::string& fileName, const std::vector<Host::LibPart>& library,
                       Host::Project& project)
{
    // Elements take a few hundred bytes each in a project file; reserving for one per 128 bytes
    // spares large files the regrowth of their tables.
    Loader loader(fileName, library, text.size() / 128);
    Json root;
    if (Status status = ParseJsonText(text, fileName, root, &loader); !status)
        return status;
    if (!loader.Finish(root, project))
        return Status::BadInput(loader.Error());
    return Status::Ok();
}

Status LoadProjectFile(const std::string& path, const std::vector<Host::LibPart>& library, Host::Project& project)
{
    std::string text;
    if (Status status = ReadTextFile(path, text); !status)
        return status;
    return LoadProjectText(text, path, library, project);
}

void SetZoneStamp(const Host::Project& project, Host::Element& zone, const std::optional<std::string>& top)
{
    // A zone's TOP lives in its stamp's stApartmentId; without a TOP the zone's stamp lacks that
    // parameter altogether.
    // Loading a large project sets the stamp of every zone: built in place, in one allocation.
    const std::string_view partName = top ? "Zone Stamp" : "Zone Stamp Plain";
    const Host::LibPart* part = nullptr;
    for (const Host::LibPart& candidate : project.libParts)
        if (part == nullptr && candidate.name == partName)
            part = &candidate;
    std::vector<Host::Param> params;
    params.reserve((part != nullptr ? part->params.size() : 0) + 1);
    if (top) {
        Host::Param& param = params.emplace_back();
        param.name = "stApartmentId";
        param.type = APIParT_CString;
        param.text = GS::UniString(*top);
    }
    if (part != nullptr) {
        // The part's other parameters, each keeping the zone's value when it has one of that shape.
        for (const Host::Param& fresh : part->params) {
            if (fresh.name == "stApartmentId")
                continue;
            const Host::Param* kept = &fresh;
            for (const Host::Param& old : zone.params)
                if (old.name == fresh.name && old.type == fresh.type && old.isArray == fresh.isArray)
                    kept = &old;
            params.push_back(*kept);
        }
        zone.libInd = part->index;
    }
    zone.params = std::move(params);
}

std::string ElementTypeName(API_ElemTypeID type)
{
    for (const TypeNameEntry& entry : typeNames)
        if (entry.type == type)
            return entry.name;
    return std::string();
}

bool ElementTypeFromName(const std::string& name, API_ElemTypeID& type)
{
    for (const TypeNameEntry& entry : typeNames)
        if (name == entry.name) {
            type = entry.type;
            return true;
        }
    return false;
}

} // namespace Runner
