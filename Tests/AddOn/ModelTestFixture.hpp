// A small project in the emulated host with the add-on linked in, for the tests of the Arealist
// model, its updates and the safeguards: zones with TOP identifiers, Arealists and their links.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../../Sources/AddOn/Arealist.hpp"
#include "../../Sources/AddOn/ArealistParams.hpp"
#include "../../Sources/AddOn/Safeguards.hpp"
#include "../../Sources/Host/API/APIFunctionTable.hpp"
#include "../../Sources/Host/Model/Application.hpp"

struct ZoneEntry {
    std::string id = {};
    std::optional<std::string> top = {}; // no value: the stamp lacks stApartmentId
    std::array<double, 5> quantities{10.0, 10.0, 9.0, 8.0, 0.0};
    API_AttributeIndex category = 1;
    short story = 0;
    API_AttributeIndex layer = 1;
    std::string number = {};
    std::string name = {};
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Host::Options options;
        options.resourcesDir = AREALIST_RESOURCES_DIR;
        ConfigureOptions(options);
        app = std::make_unique<Host::Application>(options);
        std::string error;
        ASSERT_TRUE(app->LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs, error)) << error;
        const Host::StartResult start = app->StartAddOn();
        ASSERT_EQ(start.registerResult, NoError);
        ASSERT_EQ(start.initializeResult, NoError);

        project.stories = {Host::Story{0, "Ground floor", 0.0}, Host::Story{1, "First floor", 3.0}};
        project.layers = {Host::Layer{1, "Layer", 0}, Host::Layer{2, "Hidden", APILay_Hidden}};
        project.zoneCategories = {Host::ZoneCategory{1, false, "LIV", "Living"},
                                  Host::ZoneCategory{2, false, "BAL", "Balcony"},
                                  Host::ZoneCategory{3, false, "STO", "Storage"}};
        project.libParts = app->LibraryParts();
    }

    void TearDown() override
    {
        if (app != nullptr) {
            EXPECT_EQ(app->MemosOutstanding(), 0) << "a memo was not released";
        }
    }

    virtual void ConfigureOptions(Host::Options&) {}

    const Host::LibPart& Part(const std::string& name) const
    {
        for (const Host::LibPart& part : project.libParts) {
            if (part.name == name)
                return part;
        }
        ADD_FAILURE() << "no library part " << name;
        return project.libParts.front();
    }

    API_Guid AddZone(const ZoneEntry& entry)
    {
        Host::Element zone;
        zone.guid = Host::GuidFromName(entry.id);
        zone.id = entry.id;
        zone.type = API_ZoneID;
        zone.story = entry.story;
        zone.layer = entry.layer;
        zone.number = GS::UniString(entry.number.empty() ? entry.id : entry.number);
        zone.name = GS::UniString(entry.name.empty() ? "Room " + entry.id : entry.name);
        zone.category = entry.category;
        zone.quantities = entry.quantities;
        zone.observed = true;
        zone.libInd = Part("Zone Stamp").index;
        if (entry.top) {
            Host::Param param;
            param.name = "stApartmentId";
            param.type = APIParT_CString;
            param.text = GS::UniString(*entry.top);
            zone.params.push_back(param);
        }
        Host::Param other;
        other.name = "stOther";
        other.type = APIParT_CString;
        other.text = "x";
        zone.params.push_back(other);
        project.elements.Add(zone);
        return zone.guid;
    }

    API_Guid AddArealist(const std::string& id, const GS::UniString& top, const std::vector<API_Guid>& zones,
                         const std::string& partName = "Arealist", short story = 0, API_AttributeIndex layer = 1)
    {
        const Host::LibPart& part = Part(partName);
        Host::Element label;
        label.guid = Host::GuidFromName(id);
        label.id = id;
        label.type = API_LabelID;
        label.story = story;
        label.layer = layer;
        label.labelClass = APILblClass_Symbol;
        label.libInd = part.index;
        label.begC = API_Coord{5.0, 7.0};
        label.observed = true;
        label.params = part.params;
        bool hasTop = false;
        for (Host::Param& param : label.params) {
            if (param.name == "al_apartmentId") {
                param.text = top;
                hasTop = true;
            }
        }
        if (!hasTop) {
            Host::Param param;
            param.name = "al_apartmentId";
            param.type = APIParT_CString;
            param.text = top;
            label.params.push_back(param);
        }
        project.elements.Add(label);
        for (const API_Guid& zone : zones)
            LinkBoth(label.guid, zone);
        return label.guid;
    }

    void LinkBoth(const API_Guid& a, const API_Guid& b)
    {
        project.elements.Link(a, b, 0);
        project.elements.Link(b, a, 0);
    }

    void Open() { app->OpenProject(project); }

    Host::Project& Live() { return app->GetProject(); }
    const Host::Element& Elem(const API_Guid& guid) { return *app->GetProject().Find(guid); }
    // The live element to change directly (outside any undo step), as a test's set-up.
    Host::Element& EditElem(const API_Guid& guid) { return *app->GetProject().elements.Edit(guid); }

    const Host::Param* ParamOf(const API_Guid& element, const std::string& name)
    {
        for (const Host::Param& param : Elem(element).params) {
            if (param.name == name)
                return &param;
        }
        return nullptr;
    }

    // Elements `from` links to, in link order.
    std::vector<API_Guid> LinksFrom(const API_Guid& from)
    {
        std::vector<API_Guid> result;
        app->GetProject().elements.LinksFrom(from)->ForEach(
            [&](const Host::LinkList::Entry& link) { result.push_back(link.partner); });
        return result;
    }

    bool Linked(const API_Guid& a, const API_Guid& b)
    {
        const Host::ElementStore& elements = app->GetProject().elements;
        return elements.LinksFrom(a)->Contains(b) && elements.LinksFrom(b)->Contains(a);
    }

    static GSErrCode InCommand(const std::function<GSErrCode()>& work)
    {
        return ACAPI_CallUndoableCommand("test step", work);
    }

    Host::FaultInjector& Faults() { return app->GetFaults(); }
    Host::UserQueue& User() { return app->GetUserQueue(); }

    Host::Project project;
    std::unique_ptr<Host::Application> app;
};

inline std::vector<API_Guid> ToVector(const GS::Array<API_Guid>& array)
{
    return std::vector<API_Guid>(array.begin(), array.end());
}

inline std::vector<API_Guid> ToVector(const GuidSet& set)
{
    return std::vector<API_Guid>(set.begin(), set.end());
}

inline std::ostream& operator<<(std::ostream& out, const API_Guid& guid)
{
    return out << APIGuidToString(guid).ToUtf8();
}
