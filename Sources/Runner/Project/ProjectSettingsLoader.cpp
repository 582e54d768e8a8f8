// Project file loader: the project's settings (stories, layers and their combinations, zone
// categories, the label tool, Teamwork, the selection).
#include "ProjectLoaderReader.hpp"

namespace Runner::ProjectLoading {

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

} // namespace Runner::ProjectLoading
