// Shared fixture of the live-synchronisation and dispatcher tests: the add-on linked in and started,
// a small project builder, and an independent oracle of what an Arealist must show.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../../Sources/AddOn/Arealist.hpp"
#include "../../Sources/AddOn/CheckPalette.hpp"
#include "../../Sources/Host/Glue/ACAPGlue.hpp"
#include "Support/HostFixture.hpp"

namespace LiveTest {

using TestSupport::LabelEntry;
using TestSupport::ProjectBuilder;
using TestSupport::ZoneEntry;

// A parameter edit that sets a text value.
inline Host::ParamValue Text(const std::string& text)
{
    Host::ParamValue value;
    value.text = GS::UniString(text);
    return value;
}

// A parameter edit that removes the parameter.
inline Host::ParamValue Removed()
{
    Host::ParamValue value;
    value.remove = true;
    return value;
}

// A zone stamp's TOP parameter.
inline Host::Param ZoneTopParam(const std::string& top)
{
    Host::Param param;
    param.name = "stApartmentId";
    param.type = APIParT_CString;
    param.text = GS::UniString(top);
    return param;
}

// The zone's TOP, or false when its stamp has no stApartmentId.
inline bool ZoneTop(const Host::Element& zone, GS::UniString& top)
{
    const Host::Param* param = FindParam(zone, "stApartmentId");
    if (param == nullptr)
        return false;
    top = param->text;
    return true;
}

inline std::vector<API_Guid> LinksFrom(const Host::Project& project, const API_Guid& from)
{
    std::vector<API_Guid> result;
    if (const Host::LinkList* links = project.elements.LinksFrom(from))
        links->ForEach([&](const Host::LinkList::Entry& link) { result.push_back(link.partner); });
    return result;
}

inline bool Linked(const Host::Project& project, const API_Guid& from, const API_Guid& to)
{
    const std::vector<API_Guid> links = LinksFrom(project, from);
    return std::find(links.begin(), links.end(), to) != links.end();
}

inline Int32 ArealistPartIndex(const Host::Project& project)
{
    const Host::LibPart* part = project.FindLibPart("Arealist");
    return part == nullptr ? -1 : part->index;
}

inline std::vector<const Host::Element*> LiveArealists(const Host::Project& project)
{
    std::vector<const Host::Element*> result;
    const Int32 index = ArealistPartIndex(project);
    for (const Host::Element& element : project.elements)
        if (!element.deleted && element.type == API_LabelID && element.libInd == index)
            result.push_back(&element);
    return result;
}

// Checks one live Arealist against the model: linked both ways to exactly the live zones of its
// TOP, and showing them (rows in link order, the project's zone categories). Empty when it holds.
inline std::string ArealistProblem(const Host::Project& project, const Host::Element& arealist)
{
    const Host::Param* topParam = FindParam(arealist, "al_apartmentId");
    if (topParam == nullptr)
        return "no al_apartmentId";
    const GS::UniString& top = topParam->text;
    std::vector<API_Guid> expectedZones;
    for (const Host::Element& element : project.elements) {
        GS::UniString zoneTop;
        if (!element.deleted && element.type == API_ZoneID && ZoneTop(element, zoneTop) && zoneTop == top)
            expectedZones.push_back(element.guid);
    }
    std::vector<const Host::Element*> shown;
    for (const API_Guid& linked : LinksFrom(project, arealist.guid)) {
        const Host::Element* zone = project.Find(linked);
        if (zone == nullptr || zone->deleted)
            continue;
        if (std::find(expectedZones.begin(), expectedZones.end(), linked) == expectedZones.end())
            return "linked to " + zone->id + " of another TOP";
        if (!Linked(project, linked, arealist.guid))
            return "no link back from " + zone->id;
        shown.push_back(zone);
    }
    if (shown.size() != expectedZones.size())
        return "linked to " + std::to_string(shown.size()) + " of " + std::to_string(expectedZones.size()) +
               " zones of its TOP";

    std::vector<double> cats;
    std::vector<double> areas;
    for (const Host::Element* zone : shown) {
        cats.push_back(zone->category);
        for (int i = 0; i < 4; ++i)
            areas.push_back(zone->quantities[std::size_t(i)]);
    }
    if (shown.empty()) {
        cats = {-1.0};
        areas = {0.0, 0.0, 0.0, 0.0};
    }
    const Host::Param* roomCats = FindParam(arealist, "al_roomCats");
    const Host::Param* roomAreas = FindParam(arealist, "al_roomAreasInTop");
    const Host::Param* version = FindParam(arealist, "al_version");
    if (roomCats == nullptr || roomAreas == nullptr || version == nullptr)
        return "content parameters missing";
    if (version->number != 2.0)
        return "al_version is not 2";
    if (roomCats->numbers != cats || roomCats->dim1 != Int32(cats.size()))
        return "al_roomCats differ";
    if (roomAreas->numbers != areas || roomAreas->dim1 != Int32(cats.size()) || roomAreas->dim2 != 4)
        return "al_roomAreasInTop differ";

    std::vector<double> exists;
    for (const Host::ZoneCategory& category : project.zoneCategories)
        exists.push_back(category.deleted ? 0.0 : 1.0);
    const Host::Param* catExists = FindParam(arealist, "al_ZoneCatExists");
    if (catExists == nullptr || catExists->numbers != exists)
        return "al_ZoneCatExists differ";
    return "";
}

class LiveFixture : public TestSupport::HostFixture {
protected:
    void SetUp() override
    {
        TestSupport::HostFixture::SetUp();
        ResetPalette();
        LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
    }

    void TearDown() override
    {
        if (app != nullptr) {
            EXPECT_EQ(app->MemosOutstanding(), 0) << "a memo was not released";
            EXPECT_TRUE(app->AccountingIssues().empty())
                << (app->AccountingIssues().empty() ? "" : app->AccountingIssues().front());
        }
        ResetPalette();
        TestSupport::HostFixture::TearDown();
    }

    // Story 0, layer 1, three zone categories; the label tool places Arealists on layer 1.
    ProjectBuilder Builder() const
    {
        ProjectBuilder builder(app->LibraryParts());
        builder.Category(1, "LIV", "Living").Category(2, "BAL", "Balcony").Category(3, "STO", "Storage");
        builder.LabelTool("Arealist", 1);
        return builder;
    }

    static ZoneEntry Zone(const std::string& id, std::optional<std::string> top, API_AttributeIndex category = 1)
    {
        ZoneEntry entry;
        entry.id = id;
        entry.top = std::move(top);
        entry.category = category;
        entry.observed = true;
        return entry;
    }

    static LabelEntry Arealist(const std::string& id, const std::string& top, std::vector<std::string> links)
    {
        LabelEntry entry;
        entry.id = id;
        entry.libPart = "Arealist";
        entry.params["al_apartmentId"] = top;
        entry.links = std::move(links);
        entry.observed = true;
        return entry;
    }

    int AlertCount(short id) const
    {
        int count = 0;
        for (const Host::ShownAlert& alert : app->GetUserQueue().ShownAlerts())
            count += alert.id == id ? 1 : 0;
        return count;
    }

    std::vector<short> AlertIds() const
    {
        std::vector<short> ids;
        for (const Host::ShownAlert& alert : app->GetUserQueue().ShownAlerts())
            ids.push_back(alert.id);
        return ids;
    }

    // The ids (or GUID texts) of what an element is linked to, in link order.
    std::vector<std::string> LinkIds(const API_Guid& from) const
    {
        std::vector<std::string> ids;
        for (const API_Guid& to : LinksFrom(app->GetProject(), from)) {
            const Host::Element* element = app->GetProject().Find(to);
            ids.push_back(element == nullptr ? "?" : element->id);
        }
        return ids;
    }
    std::vector<std::string> LinkIds(const std::string& id) const { return LinkIds(G(id)); }

    std::string ParamText(const API_Guid& element, const std::string& name) const
    {
        const Host::Param* param = FindParam(*app->GetProject().Find(element), name);
        return param == nullptr ? "<none>" : param->text.ToUtf8();
    }

    std::vector<const Host::Element*> Arealists() const { return LiveArealists(app->GetProject()); }

    std::vector<const Host::Element*> ArealistsOfTop(const std::string& top) const
    {
        std::vector<const Host::Element*> result;
        for (const Host::Element* arealist : Arealists()) {
            const Host::Param* param = FindParam(*arealist, "al_apartmentId");
            if (param != nullptr && param->text == GS::UniString(top))
                result.push_back(arealist);
        }
        return result;
    }

    void ExpectUpToDate(const API_Guid& arealist) const
    {
        EXPECT_EQ(ArealistProblem(app->GetProject(), *app->GetProject().Find(arealist)), "");
    }

    // A host of its own with the add-on linked in and started, for runs that need a fresh one each
    // time; the palette of an earlier host is dropped first.
    std::unique_ptr<Host::Application> StartedHost() const
    {
        ResetPalette();
        std::unique_ptr<Host::Application> host = NewApplication();
        std::string error;
        EXPECT_TRUE(host->LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs, error)) << error;
        host->StartAddOn();
        return host;
    }

    // The palette outlives hosts within this process; each test starts without one.
    static void ResetPalette() { CheckPalette::ReleaseInstance(); }
    static bool PaletteListsRoom(const API_Guid& zone)
    {
        const CheckPalette* palette = CheckPalette::GetExistingInstance();
        return palette != nullptr && palette->ListedRooms().Contains(zone);
    }
    static bool PaletteListsStamp(const API_Guid& arealist)
    {
        const CheckPalette* palette = CheckPalette::GetExistingInstance();
        return palette != nullptr && palette->ListedStamps().Contains(arealist);
    }
    static bool PaletteVisible()
    {
        const CheckPalette* palette = CheckPalette::GetExistingInstance();
        return palette != nullptr && palette->IsVisible();
    }
};

} // namespace LiveTest
