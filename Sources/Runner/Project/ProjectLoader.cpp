// Project file loader: JSON to Host::Project, with strict validation of every value. This file
// runs a load (streamed sections, the rest from the whole document); ProjectSettingsLoader.cpp
// and ProjectElementsLoader.cpp read the sections.
#include "ProjectLoader.hpp"

#include "ProjectLoaderReader.hpp"

namespace Runner {

namespace ProjectLoading {

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
    if (dump) {
        // The state's parts that are no part of a project: the session's, not the building's.
        if (!root.is_object() || !root.contains("palette"))
            return reader.Fail("", "not a state dump of an earlier run (it has no \"palette\")");
        if (!reader.Object(root, "",
                           {"stories", "layers", "zoneCategories", "zones", "labels", "suspendGroups",
                            "currentLayerCombination", "palette", "alerts", "debug", "undo", "memosOutstanding"}))
            return false;
    } else if (!reader.Object(root, "",
                              {"stories", "currentStory", "layers", "layerCombinations", "zoneCategories", "teamwork",
                               "zones", "labels", "elements", "labelTool", "selection"})) {
        return false;
    }
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

} // namespace ProjectLoading

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

} // namespace

using ProjectLoading::Loader;

namespace {

// A project file and a dump are read alike; a dump also brings its links, and its elements are
// longer in the text.
Status LoadText(const std::string& text, const std::string& fileName, const std::vector<Host::LibPart>& library,
                bool dump, Host::Project& project)
{
    // Elements take a few hundred bytes each in a project file; reserving for one per 128 bytes
    // (256 in a dump) spares large files the regrowth of their tables.
    Loader loader(fileName, library, text.size() / (dump ? 256 : 128));
    if (dump)
        loader.ReadDump();
    Json root;
    if (Status status = ParseJsonText(text, fileName, root, &loader); !status)
        return status;
    if (!loader.Finish(root, project))
        return Status::BadInput(loader.Error());
    return Status::Ok();
}

} // namespace

Status LoadProjectText(const std::string& text, const std::string& fileName, const std::vector<Host::LibPart>& library,
                       Host::Project& project)
{
    return LoadText(text, fileName, library, false, project);
}

Status LoadProjectJson(const Json& root, const std::string& fileName, const std::vector<Host::LibPart>& library,
                       Host::Project& project)
{
    Loader loader(fileName, library, 0);
    if (!loader.Finish(root, project))
        return Status::BadInput(loader.Error());
    return Status::Ok();
}

Status LoadDumpText(const std::string& text, const std::string& fileName, const std::vector<Host::LibPart>& library,
                    Host::Project& project)
{
    return LoadText(text, fileName, library, true, project);
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
