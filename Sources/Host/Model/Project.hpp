// The emulated host's project: the undoable model (elements with their links, layers, layer
// combinations, zone categories, element counters) and the workspace around it (stories, the
// library, Teamwork, selection, label tool, Suspend Groups). A value type: tests copy projects
// and compare them to check that undo is exact.
#pragma once

#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "ElementStore.hpp"

namespace Host {

class Journal;

struct Teamwork {
    bool shared = false;
    std::string user = "me";
    std::map<std::string, std::vector<API_Guid>> held; // other users and the elements they hold
    std::unordered_set<API_Guid> reserved;             // elements reserved by the current user
    bool grant = true;                                 // other users release what they hold when the user asks for it
};

struct LabelTool {
    API_LblClassID labelClass = APILblClass_Symbol;
    Int32 libInd = 0; // 0: the host's "Generic Label"
    API_AttributeIndex layer = 1;
    API_LabelTextSettings textSettings;
    API_LabelSymbolSettings symbolSettings;
    std::vector<Param> params; // current parameter values of the tool's library part
};

// What undo and redo take back. During a session every change of elements and links passes
// through `elements` and every change of a layer through EditLayer; both record what they touch
// in the attached journal.
struct Model {
    std::vector<Layer> layers;
    std::vector<LayerCombination> layerCombinations;
    std::vector<ZoneCategory> zoneCategories;
    ElementStore elements; // in creation order, deleted ones included, with their links

    Model() = default;
    Model(const Model& other);
    Model& operator=(const Model& other);
    Model(Model&& other) noexcept;
    Model& operator=(Model&& other) noexcept;

    const Element* Find(const API_Guid& guid) const { return elements.Find(guid); }
    const Layer* FindLayer(API_AttributeIndex index) const;
    const ZoneCategory* FindZoneCategory(API_AttributeIndex index) const;
    const LayerCombination* FindLayerCombination(API_AttributeIndex index) const;
    // The layer to change; nullptr for an unknown index.
    Layer* EditLayer(API_AttributeIndex index);
    // Every link in the project, element by element (tests and the dump).
    std::vector<Link> AllLinks() const;

    // The journal that records changes from now on (nullptr: nothing is recorded).
    void Attach(Journal* journal);

private:
    Journal* journal = nullptr;
};

// The state around the model that undo leaves alone.
struct Workspace {
    std::vector<Story> stories;
    short currentStory = 0;
    std::vector<LibPart> libParts; // host library first, then built-in libraries of add-ons
    Teamwork teamwork;
    LabelTool labelTool;
    std::vector<API_Guid> selection;
    bool suspendGroups = false;

    const LibPart* FindLibPart(const std::string& name) const;
    const LibPart* FindLibPart(Int32 index) const;
};

struct Project : Model, Workspace {
    // Linear: for the names sessions use, not for the host's operations.
    const Element* FindById(const std::string& id) const;
    bool IsReserved(const API_Guid& guid) const { return teamwork.reserved.count(guid) != 0; }
};

// The host's own library: "Generic Label", "Zone Stamp" (with stApartmentId) and "Zone Stamp Plain".
std::vector<LibPart> HostLibrary();
// Adds the host's own library parts to a project that has none yet (index 1 upwards).
void EnsureHostLibrary(Project& project);

// Empty when the projects are equal; otherwise a description of the first difference found.
std::string ProjectDifference(const Project& a, const Project& b);

// Empty when no live element keeps a link, in either direction, to an element that is deleted or
// that the project does not hold; otherwise the first such link. Holds whenever no notification
// series is open: a deleted element's links go when the series or command that deleted it ends.
// Reads the whole project: for tests.
std::string LinkToGoneElement(const Project& project);

// Deterministic GUID derived from a name (element ids of project files, generator seeds).
API_Guid GuidFromName(const std::string& name);

} // namespace Host
