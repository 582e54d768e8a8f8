// Reading a dump as the previous state of a building, and one table of settings for both versions.
#include "PreviousState.hpp"

#include <map>
#include <set>

namespace Runner::Revision {

namespace {

// An entry's "index", when it is a whole number; the loader names any other value.
bool IndexOf(const Json& entry, long long& index)
{
    if (!entry.is_object())
        return false;
    const auto found = entry.find("index");
    if (found == entry.end() || !found->is_number_integer())
        return false;
    index = found->get<long long>();
    return true;
}

std::string TextOf(const Json& entry, const char* key)
{
    const auto found = entry.find(key);
    return found != entry.end() && found->is_string() ? found->get<std::string>() : std::string();
}

Json& ArrayAt(Json& object, const char* key)
{
    if (!object.contains(key) || !object[key].is_array())
        object[key] = Json::array();
    return object[key];
}

void MergeStories(const Json& dump, Json& model)
{
    Json& stories = ArrayAt(model, "stories");
    std::set<long long> known;
    for (const Json& story : stories)
        if (long long index = 0; IndexOf(story, index))
            known.insert(index);
    if (!dump.contains("stories") || !dump["stories"].is_array())
        return;
    for (const Json& story : dump["stories"])
        if (long long index = 0; IndexOf(story, index) && known.insert(index).second)
            stories.push_back(story);
}

// The model's layers keep their names; the dump's flags win, as the user left them.
void MergeLayers(const Json& dump, Json& model)
{
    Json& layers = ArrayAt(model, "layers");
    std::map<long long, std::size_t> known;
    for (std::size_t i = 0; i < layers.size(); ++i)
        if (long long index = 0; IndexOf(layers[i], index))
            known.emplace(index, i);
    if (!dump.contains("layers") || !dump["layers"].is_array())
        return;
    for (const Json& layer : dump["layers"]) {
        long long index = 0;
        if (!IndexOf(layer, index))
            continue;
        const auto found = known.find(index);
        if (found != known.end()) {
            if (layer.contains("flags"))
                layers[found->second]["flags"] = layer["flags"];
            continue;
        }
        Json added = layer;
        if (!added.contains("name"))
            added["name"] = "Layer " + std::to_string(index);
        known.emplace(index, layers.size());
        layers.push_back(std::move(added));
    }
}

// The dump's category slots in the merged table: found by code, or appended.
std::map<long long, long long> MergeCategories(const Json& dump, Json& model)
{
    Json& categories = ArrayAt(model, "zoneCategories");
    std::map<std::string, long long> byCode;
    long long last = 0;
    for (const Json& category : categories)
        if (long long index = 0; IndexOf(category, index)) {
            last = std::max(last, index);
            if (category.contains("code"))
                byCode.emplace(TextOf(category, "code"), index);
        }
    std::map<long long, long long> renumbered;
    if (!dump.contains("zoneCategories") || !dump["zoneCategories"].is_array())
        return renumbered; // an older dump: its slots are taken as the model's
    for (const Json& category : dump["zoneCategories"]) {
        long long index = 0;
        if (!IndexOf(category, index) || !category.contains("code"))
            continue;
        const std::string code = TextOf(category, "code");
        auto [found, fresh] = byCode.emplace(code, last + 1);
        if (fresh) {
            ++last;
            categories.push_back({{"index", last}, {"code", code}, {"name", TextOf(category, "name")}});
        }
        renumbered.emplace(index, found->second);
    }
    return renumbered;
}

} // namespace

Status ReadPreviousDump(const std::string& path, Json& dump)
{
    std::string text;
    if (Status status = ReadTextFile(path, text); !status)
        return status;
    if (Status status = ParseJsonText(text, path, dump); !status)
        return status;
    for (const char* key : {"zones", "labels", "palette"})
        if (!dump.is_object() || !dump.contains(key))
            return Status::BadInput(path + ": not a state dump of an earlier run (it has no \"" + key + "\")");
    for (const char* key : {"zones", "labels"})
        if (!dump[key].is_array())
            return Status::BadInput(path + ": /" + key + ": expected an array, got " + JsonReader::TypeName(dump[key]));
    return Status::Ok();
}

void MergeWithModel(Json& dump, Json& model, Json& previous)
{
    MergeStories(dump, model);
    MergeLayers(dump, model);
    const std::map<long long, long long> renumbered = MergeCategories(dump, model);

    previous = Json::object();
    for (const char* key : {"stories", "currentStory", "layers", "zoneCategories", "labelTool"})
        if (model.contains(key))
            previous[key] = model[key];
    Json zones = std::move(dump["zones"]);
    for (Json& zone : zones) {
        if (!zone.is_object())
            continue;
        // Links are made both ways from the labels' side.
        zone.erase("links");
        long long category = 0;
        if (zone.contains("category") && zone["category"].is_number_integer()) {
            category = zone["category"].get<long long>();
            if (const auto found = renumbered.find(category); found != renumbered.end())
                zone["category"] = found->second;
        }
    }
    previous["zones"] = std::move(zones);
    previous["labels"] = std::move(dump["labels"]);
}

} // namespace Runner::Revision
