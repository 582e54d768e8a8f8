// The project-file loader's reader class, implemented in three files: ProjectLoader.cpp (a load
// from start to end), ProjectSettingsLoader.cpp (the settings) and ProjectElementsLoader.cpp (the
// elements).
#pragma once

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

#include "ProjectLoader.hpp"

namespace Runner::ProjectLoading {

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

    // Reads a dump instead of a project file (see LoadDumpText).
    void ReadDump() { dump = true; }

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
    bool dump = false;
};

} // namespace Runner::ProjectLoading
