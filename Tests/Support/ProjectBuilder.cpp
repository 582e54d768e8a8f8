// Small host projects for tests.
#include "ProjectBuilder.hpp"

#include <stdexcept>

namespace TestSupport {

namespace {
Host::Param StringParam(const std::string& name, const std::string& value)
{
    Host::Param param;
    param.name = name;
    param.type = APIParT_CString;
    param.text = GS::UniString(value);
    return param;
}

void SetString(std::vector<Host::Param>& params, const std::string& name, const std::string& value)
{
    for (Host::Param& param : params)
        if (param.name == name) {
            param.text = GS::UniString(value);
            return;
        }
    params.push_back(StringParam(name, value));
}

const Host::LibPart& PartNamed(const Host::Project& project, const std::string& name)
{
    const Host::LibPart* part = project.FindLibPart(name);
    if (part == nullptr)
        throw std::invalid_argument("ProjectBuilder: no library part named " + name);
    return *part;
}
} // namespace

ProjectBuilder::ProjectBuilder(std::vector<Host::LibPart> library)
{
    project.libParts = std::move(library);
    project.stories = {Host::Story{0, "Ground floor", 0.0}};
    project.layers = {Host::Layer{1, "Layer 1", 0}};
    const Host::LibPart* generic = project.FindLibPart("Generic Label");
    project.labelTool.libInd = generic != nullptr ? generic->index : 0;
    project.labelTool.layer = 1;
}

ProjectBuilder& ProjectBuilder::Story(short index, const std::string& name, double level)
{
    for (Host::Story& story : project.stories)
        if (story.index == index) {
            story = Host::Story{index, name, level};
            return *this;
        }
    project.stories.push_back(Host::Story{index, name, level});
    return *this;
}

ProjectBuilder& ProjectBuilder::CurrentStory(short index)
{
    project.currentStory = index;
    return *this;
}

ProjectBuilder& ProjectBuilder::Layer(API_AttributeIndex index, const std::string& name, UInt16 flags)
{
    if (Host::Layer* layer = project.EditLayer(index)) {
        *layer = Host::Layer{index, name, flags};
        return *this;
    }
    project.layers.push_back(Host::Layer{index, name, flags});
    return *this;
}

ProjectBuilder& ProjectBuilder::Category(API_AttributeIndex index, const std::string& code, const std::string& name,
                                         bool deleted)
{
    project.zoneCategories.push_back(Host::ZoneCategory{index, deleted, GS::UniString(code), name});
    return *this;
}

ProjectBuilder& ProjectBuilder::Combination(API_AttributeIndex index, const std::string& name,
                                            std::map<API_AttributeIndex, UInt16> flags)
{
    project.layerCombinations.push_back(Host::LayerCombination{index, name, std::move(flags)});
    return *this;
}

ProjectBuilder& ProjectBuilder::Zone(const ZoneEntry& entry)
{
    Host::Element zone;
    zone.guid = Guid(entry.id);
    zone.id = entry.id;
    zone.type = API_ZoneID;
    zone.story = entry.story;
    zone.layer = entry.layer;
    zone.category = entry.category;
    zone.number = GS::UniString(entry.number.empty() ? entry.id : entry.number);
    zone.name = GS::UniString(entry.name.empty() ? "Room " + entry.id : entry.name);
    zone.quantities = entry.quantities;
    zone.pos = entry.pos;
    zone.locked = entry.locked;
    zone.observed = entry.observed;
    const Host::LibPart& stamp = PartNamed(project, entry.top ? "Zone Stamp" : "Zone Stamp Plain");
    zone.libInd = stamp.index;
    zone.params = stamp.params;
    if (entry.top)
        SetString(zone.params, "stApartmentId", *entry.top);
    project.elements.Add(std::move(zone));
    return *this;
}

ProjectBuilder& ProjectBuilder::Label(const LabelEntry& entry)
{
    const Host::LibPart& part = PartNamed(project, entry.libPart);
    Host::Element label;
    label.guid = Guid(entry.id);
    label.id = entry.id;
    label.type = API_LabelID;
    label.story = entry.story;
    label.layer = entry.layer;
    label.labelClass = APILblClass_Symbol;
    label.libInd = part.index;
    label.symbolSettings.libInd = part.index;
    label.begC = label.midC = label.endC = entry.pos;
    label.observed = entry.observed;
    label.locked = entry.locked;
    label.params = part.params;
    for (const auto& [name, value] : entry.params)
        SetString(label.params, name, value);
    project.elements.Add(std::move(label));
    for (const std::string& other : entry.links)
        LinkBoth(entry.id, other);
    return *this;
}

ProjectBuilder& ProjectBuilder::Wall(const std::string& id, short story, API_AttributeIndex layer)
{
    Host::Element wall;
    wall.guid = Guid(id);
    wall.id = id;
    wall.type = API_WallID;
    wall.story = story;
    wall.layer = layer;
    wall.endPoint = API_Coord{1.0, 0.0};
    project.elements.Add(std::move(wall));
    return *this;
}

ProjectBuilder& ProjectBuilder::Lock(const std::vector<std::string>& ids)
{
    for (const std::string& id : ids)
        if (const Host::Element* element = project.FindById(id))
            project.elements.Edit(element->guid)->locked = true;
    return *this;
}

ProjectBuilder& ProjectBuilder::LinkBoth(const std::string& a, const std::string& b)
{
    project.elements.Link(Guid(a), Guid(b), 0);
    project.elements.Link(Guid(b), Guid(a), 0);
    return *this;
}

ProjectBuilder& ProjectBuilder::Shared(bool shared, bool grant)
{
    project.teamwork.shared = shared;
    project.teamwork.grant = grant;
    return *this;
}

ProjectBuilder& ProjectBuilder::Held(const std::string& user, const std::vector<std::string>& ids)
{
    for (const std::string& id : ids)
        project.teamwork.held[user].push_back(Guid(id));
    return *this;
}

ProjectBuilder& ProjectBuilder::Reserved(const std::vector<std::string>& ids)
{
    for (const std::string& id : ids)
        project.teamwork.reserved.insert(Guid(id));
    return *this;
}

ProjectBuilder& ProjectBuilder::LabelTool(const std::string& libPart, API_AttributeIndex layer)
{
    project.labelTool.libInd = PartNamed(project, libPart).index;
    project.labelTool.layer = layer;
    return *this;
}

} // namespace TestSupport
