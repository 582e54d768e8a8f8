// Opening a dump as the previous state of a building, and one table of settings for both versions.
#include "PreviousState.hpp"

#include <algorithm>
#include <map>
#include <set>

#include "../Project/ProjectLoader.hpp"

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

void MergeStories(Host::Project& previous, Json& model)
{
    Json& stories = ArrayAt(model, "stories");
    std::set<long long> inModel;
    for (const Json& story : stories)
        if (long long index = 0; IndexOf(story, index)) {
            inModel.insert(index);
            const bool known = std::any_of(previous.stories.begin(), previous.stories.end(),
                                           [&](const Host::Story& s) { return s.index == index; });
            const auto level = story.find("level");
            if (!known && index >= -32768 && index <= 32767)
                previous.stories.push_back({short(index), TextOf(story, "name"),
                                            level != story.end() && level->is_number() ? level->get<double>() : 0.0});
        }
    for (const Host::Story& story : previous.stories)
        if (inModel.count(story.index) == 0)
            stories.push_back({{"index", story.index}, {"name", story.name}, {"level", story.level}});
    std::sort(previous.stories.begin(), previous.stories.end(),
              [](const Host::Story& a, const Host::Story& b) { return a.index < b.index; });
}

void MergeLayers(Host::Project& previous, Json& model)
{
    Json& layers = ArrayAt(model, "layers");
    std::set<long long> inModel;
    for (const Json& layer : layers)
        if (long long index = 0; IndexOf(layer, index)) {
            inModel.insert(index);
            if (previous.FindLayer(API_AttributeIndex(index)) == nullptr && index >= 1 && index <= 32767)
                previous.layers.push_back({API_AttributeIndex(index), TextOf(layer, "name"), 0});
        }
    for (const Host::Layer& layer : previous.layers)
        if (inModel.count(layer.index) == 0)
            layers.push_back({{"index", layer.index}, {"name", layer.name}});
}

// The model's category slots in the previous state's table: found by code, or appended to it.
void MergeCategories(Host::Project& previous, Json& model)
{
    Json& categories = ArrayAt(model, "zoneCategories");
    std::map<long long, long long> renumbered;
    for (const Json& category : categories) {
        long long index = 0;
        if (!IndexOf(category, index) || !category.contains("code"))
            continue;
        const GS::UniString code(TextOf(category, "code"));
        const auto found = std::find_if(previous.zoneCategories.begin(), previous.zoneCategories.end(),
                                        [&](const Host::ZoneCategory& c) { return !c.deleted && c.code == code; });
        if (found != previous.zoneCategories.end()) {
            renumbered[index] = found->index;
            continue;
        }
        Host::ZoneCategory added;
        added.index = API_AttributeIndex(previous.zoneCategories.size() + 1);
        added.code = code;
        added.name = TextOf(category, "name");
        previous.zoneCategories.push_back(added);
        renumbered[index] = added.index;
    }
    Json table = Json::array();
    for (const Host::ZoneCategory& category : previous.zoneCategories) {
        if (category.deleted)
            table.push_back({{"index", category.index}, {"deleted", true}});
        else
            table.push_back({{"index", category.index}, {"code", category.code.ToUtf8()}, {"name", category.name}});
    }
    categories = std::move(table);
    if (!model.contains("zones") || !model["zones"].is_array())
        return;
    for (Json& zone : model["zones"]) {
        if (!zone.is_object())
            continue;
        // A zone without a category has slot 1 of the model's table.
        long long index = 1;
        const auto given = zone.find("category");
        if (given != zone.end()) {
            if (!given->is_number_integer())
                continue;
            index = given->get<long long>();
        }
        if (const auto found = renumbered.find(index); found != renumbered.end())
            zone["category"] = found->second;
    }
}

} // namespace

Status LoadPreviousState(const std::string& path, const std::vector<Host::LibPart>& library, Host::Project& previous)
{
    std::string text;
    if (Status status = ReadTextFile(path, text); !status)
        return status;
    Status status = LoadDumpText(text, path, library, previous);
    if (!status && text.find("\"zoneCategories\"") == std::string::npos &&
        text.find("\"palette\"") != std::string::npos)
        return Status::BadInput(
            status.Message() + " (a dump written before dumps held their storeys and zone categories: write it again)");
    return status;
}

void MergeSettings(Host::Project& previous, Json& model)
{
    MergeStories(previous, model);
    MergeLayers(previous, model);
    MergeCategories(previous, model);
}

} // namespace Runner::Revision
