// Builds small host projects for tests: stories, layers, categories, combinations, zones,
// labels, walls, links and Teamwork state, with GUIDs derived from element ids.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "../../Sources/Host/Model/Project.hpp"

namespace TestSupport {

struct ZoneEntry {
    std::string id{};
    short story = 0;
    API_AttributeIndex layer = 1;
    API_AttributeIndex category = 1;
    std::string number{};
    std::string name{};
    std::optional<std::string> top{}; // no value: the zone stamp has no stApartmentId
    std::array<double, 5> quantities{20.0, 20.0, 19.5, 19.5, 0.0};
    API_Coord pos{};
    bool locked = false;
    bool observed = false;
};

struct LabelEntry {
    std::string id{};
    std::string libPart = "Generic Label";
    short story = 0;
    API_AttributeIndex layer = 1;
    API_Coord pos{};
    std::map<std::string, std::string> params{}; // string values set (or added) by name
    std::vector<std::string> links{};            // linked both ways
    bool observed = false;
    bool locked = false;
};

class ProjectBuilder {
public:
    // A project with story 0, layer 1 and the given library (the host's own by default).
    explicit ProjectBuilder(std::vector<Host::LibPart> library = Host::HostLibrary());

    ProjectBuilder& Story(short index, const std::string& name = "", double level = 0.0);
    ProjectBuilder& CurrentStory(short index);
    ProjectBuilder& Layer(API_AttributeIndex index, const std::string& name = "", UInt16 flags = 0);
    ProjectBuilder& Category(API_AttributeIndex index, const std::string& code, const std::string& name,
                             bool deleted = false);
    ProjectBuilder& Combination(API_AttributeIndex index, const std::string& name,
                                std::map<API_AttributeIndex, UInt16> flags);
    ProjectBuilder& Zone(const ZoneEntry& entry);
    ProjectBuilder& Label(const LabelEntry& entry);
    ProjectBuilder& Wall(const std::string& id, short story = 0, API_AttributeIndex layer = 1);
    ProjectBuilder& Lock(const std::vector<std::string>& ids);
    ProjectBuilder& LinkBoth(const std::string& a, const std::string& b);
    ProjectBuilder& Shared(bool shared, bool grant = true);
    ProjectBuilder& Held(const std::string& user, const std::vector<std::string>& ids);
    ProjectBuilder& Reserved(const std::vector<std::string>& ids);
    ProjectBuilder& LabelTool(const std::string& libPart, API_AttributeIndex layer);

    static API_Guid Guid(const std::string& id) { return Host::GuidFromName(id); }
    Host::Project Build() const { return project; }

private:
    Host::Project project;
};

} // namespace TestSupport
