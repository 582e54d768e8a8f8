// The fault sweep harness, in its transient and persistent modes, and the recovery check.
#include "FaultSweep.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <vector>

namespace TestSupport {

namespace {

constexpr short paletteMenu = 32502;
constexpr short updateAllButton = 10;

std::string Name(const Host::Element& element)
{
    return element.id.empty() ? APIGuidToString(element.guid).ToUtf8() : element.id;
}

std::vector<API_Guid> Partners(const Host::LinkList* links)
{
    std::vector<API_Guid> partners;
    if (links != nullptr)
        links->ForEach([&](const Host::LinkList::Entry& link) { partners.push_back(link.partner); });
    return partners;
}

bool Contains(const std::vector<API_Guid>& guids, const API_Guid& guid)
{
    return std::find(guids.begin(), guids.end(), guid) != guids.end();
}

// Links of every live Arealist against the zones of its TOP.
std::string LinkProblem(const Host::Project& project)
{
    const Host::LibPart* part = project.FindLibPart("Arealist");
    if (part == nullptr)
        return "";
    for (const Host::StoredElement* stored : project.elements.OfType(API_LabelID)) {
        const Host::Element& arealist = stored->element;
        if (arealist.deleted || arealist.libInd != part->index)
            continue;
        const Host::Param* top = FindParam(arealist, "al_apartmentId");
        if (top == nullptr)
            return Name(arealist) + " has no al_apartmentId";
        std::vector<API_Guid> zones;
        for (const Host::StoredElement* zone : project.elements.OfType(API_ZoneID)) {
            const Host::Param* zoneTop = FindParam(zone->element, "stApartmentId");
            if (!zone->element.deleted && zoneTop != nullptr && zoneTop->text == top->text)
                zones.push_back(zone->element.guid);
        }
        std::vector<API_Guid> linked;
        for (const API_Guid& partner : Partners(project.elements.LinksFrom(arealist.guid))) {
            const Host::Element* zone = project.Find(partner);
            if (zone != nullptr && !zone->deleted && zone->type == API_ZoneID)
                linked.push_back(partner);
        }
        for (const API_Guid& zone : zones) {
            if (!Contains(linked, zone))
                return Name(arealist) + " is not linked to " + Name(*project.Find(zone)) + " of its TOP";
            if (!Contains(Partners(project.elements.LinksFrom(zone)), arealist.guid))
                return Name(*project.Find(zone)) + " has no link back to " + Name(arealist);
        }
        for (const API_Guid& zone : linked)
            if (!Contains(zones, zone))
                return Name(arealist) + " is linked to " + Name(*project.Find(zone)) + " of another TOP";
    }
    return "";
}

GSErrCode UpdateAll(Host::Application& app)
{
    GSErrCode err = app.PaletteButton(updateAllButton);
    if (err == APIERR_GENERAL) { // the palette is closed
        if (GSErrCode opened = app.ChooseMenu(paletteMenu, 1))
            return opened;
        err = app.PaletteButton(updateAllButton);
    }
    return err;
}

// What an update of all Arealists computes: each live Arealist's parameters and the elements it is
// linked with, both ways (as sets: an update may make the same links again in another order).
struct Content {
    std::vector<Host::Param> params;
    std::set<std::string> linksFrom, linksTo;
    bool operator==(const Content&) const = default;
};

std::set<std::string> PartnerSet(const Host::LinkList& links)
{
    std::set<std::string> partners;
    for (const API_Guid& partner : Partners(&links))
        partners.insert(APIGuidToString(partner).ToUtf8());
    return partners;
}

std::map<std::string, Content> ArealistContents(const Host::Project& project)
{
    std::map<std::string, Content> contents;
    const Host::LibPart* part = project.FindLibPart("Arealist");
    if (part == nullptr)
        return contents;
    for (const Host::StoredElement* stored : project.elements.OfType(API_LabelID))
        if (!stored->element.deleted && stored->element.libInd == part->index)
            contents[Name(stored->element)] =
                Content{stored->element.params, PartnerSet(stored->linksFrom), PartnerSet(stored->linksTo)};
    return contents;
}

std::string ContentDifference(const Content& a, const Content& b)
{
    if (a.linksFrom != b.linksFrom || a.linksTo != b.linksTo)
        return "its links";
    for (const Host::Param& param : b.params) {
        auto found = std::find_if(a.params.begin(), a.params.end(),
                                  [&](const Host::Param& old) { return old.name == param.name; });
        if (found == a.params.end() || !(*found == param))
            return "parameter " + param.name;
    }
    return "its parameters";
}

// Calls of the clean run to fail in a persistent sweep: all of them, or a sample.
std::vector<Int64> Plan(const std::vector<std::string>& log, Int64 maxRuns)
{
    std::vector<Int64> plan;
    const Int64 calls = Int64(log.size());
    if (maxRuns <= 0 || calls <= maxRuns) {
        for (Int64 i = 0; i < calls; ++i)
            plan.push_back(i);
        return plan;
    }
    std::set<std::string> seen;
    std::set<Int64> chosen;
    for (Int64 i = 0; i < calls; ++i)
        if (seen.insert(log[std::size_t(i)]).second)
            chosen.insert(i);
    std::vector<Int64> others;
    for (Int64 i = 0; i < calls; ++i)
        if (chosen.count(i) == 0)
            others.push_back(i);
    const Int64 spread = std::min<Int64>(maxRuns - Int64(chosen.size()), Int64(others.size()));
    for (Int64 k = 0; k < spread; ++k)
        chosen.insert(others[std::size_t(k * Int64(others.size()) / spread)]);
    plan.assign(chosen.begin(), chosen.end());
    return plan;
}

} // namespace

const char* SweepModeName(SweepMode mode)
{
    return mode == SweepMode::Transient ? "transient" : "persistent";
}

std::string SafeguardState(const Host::Project& project, SafeguardPart parts)
{
    std::string state;
    if (parts.suspendGroups)
        state += project.suspendGroups ? "suspend on;" : "suspend off;";
    if (parts.layers) {
        for (const Host::Layer& layer : project.layers)
            state += " layer " + std::to_string(layer.index) + "=" + std::to_string(layer.flags);
        state += ";";
    }
    if (parts.locks)
        for (const Host::Element& element : project.elements)
            if (element.locked && !element.deleted)
                state += " locked " + Name(element);
    return state;
}

std::string RecoveryProblem(Host::Application& app)
{
    app.GetFaults().Clear();
    if (GSErrCode err = UpdateAll(app))
        return "the update of all Arealists answered " + std::to_string(err);
    if (std::string problem = LinkProblem(app.GetProject()); !problem.empty())
        return "after the update of all Arealists: " + problem;
    const std::map<std::string, Content> updated = ArealistContents(app.GetProject());
    if (GSErrCode err = UpdateAll(app))
        return "the second update of all Arealists answered " + std::to_string(err);
    const std::map<std::string, Content> again = ArealistContents(app.GetProject());
    for (const auto& [name, content] : again) {
        auto found = updated.find(name);
        if (found == updated.end())
            return "a second update of all Arealists made " + name;
        if (!(found->second == content))
            return "a second update of all Arealists still changed " + ContentDifference(found->second, content) +
                   " of " + name;
    }
    if (updated.size() != again.size())
        return "a second update of all Arealists removed an Arealist";
    return "";
}

Int64 FaultSweep::Run(SweepMode mode) const
{
    std::vector<std::string> log;
    {
        std::unique_ptr<Host::Application> app = setup();
        if (app == nullptr) {
            ADD_FAILURE() << "the sweep's setup gave no host";
            return 0;
        }
        const std::string before = SafeguardState(app->GetProject());
        app->GetFaults().Clear();
        app->GetFaults().ResetCount();
        app->GetFaults().SetLogging(true);
        scenario(*app);
        log = app->GetFaults().CallLog();
        EXPECT_EQ(app->MemosOutstanding(), 0) << "clean run leaks memos";
        EXPECT_EQ(SafeguardState(app->GetProject()), before) << "clean run leaves safeguards changed";
    }
    const Int64 calls = Int64(log.size());
    if (calls > maxCalls) {
        ADD_FAILURE() << "scenario makes " << calls << " host calls, more than the sweep's limit " << maxCalls;
        return calls;
    }
    const bool persistent = mode == SweepMode::Persistent;
    const std::vector<Int64> plan = Plan(log, persistent ? maxPersistentRuns : 0);
    Int64 failedCalls = 0;
    for (const Int64 i : plan) {
        std::unique_ptr<Host::Application> app = setup();
        const std::string before = SafeguardState(app->GetProject());
        const Host::Project setupState = app->GetProject();
        Host::FaultInjector& faults = app->GetFaults();
        faults.Clear();
        faults.ResetCount();
        faults.FailNthCall(i, code,
                           persistent ? Host::FaultInjector::Mode::FromThenOn : Host::FaultInjector::Mode::Once);
        FaultRun run;
        run.mode = mode;
        run.callIndex = i;
        const Int64 notificationsBefore = app->ElementNotifications();
        run.result = scenario(*app);
        run.notifications = app->ElementNotifications() - notificationsBefore;
        run.failedCalls = faults.InjectedCount();
        failedCalls += run.failedCalls;
        run.operation = log[std::size_t(i)];
        if (auto injected = faults.LastInjected()) {
            run.operation = injected->first;
            run.injected = injected->second;
        }
        SCOPED_TRACE(std::string(SweepModeName(mode)) + " failure from call " + std::to_string(i) + " (" +
                     run.operation + ", " + std::to_string(run.failedCalls) + " failed)");
        EXPECT_EQ(app->MemosOutstanding(), 0);
        EXPECT_EQ(app->OpenUndoScopes(), 0);
        bool restorable = true;
        for (const Int64 r : restoringCalls)
            if (r == i || (persistent && r > i && log[std::size_t(r)] == run.operation))
                restorable = false;
        // The host's accounting reports exactly what a callback left unrestored. A failing restore
        // leaves what its operation restores; everything else must still come back.
        if (restorable) {
            EXPECT_TRUE(app->AccountingIssues().empty())
                << (app->AccountingIssues().empty() ? "" : app->AccountingIssues().front());
            EXPECT_EQ(SafeguardState(app->GetProject()), before);
        } else {
            const SafeguardPart others = run.operation == "Attribute_Modify" ? SafeguardPart{true, false, true}
                                         : run.operation == "Element_Tool"   ? SafeguardPart{false, true, false}
                                                                             : SafeguardPart{false, false, false};
            EXPECT_EQ(SafeguardState(app->GetProject(), others), SafeguardState(setupState, others))
                << "what " << run.operation << " does not restore came back";
        }
        if (check)
            check(*app, run);
        if (checkRecovery) {
            if (beforeRecovery)
                beforeRecovery(*app);
            EXPECT_EQ(RecoveryProblem(*app), "");
            EXPECT_EQ(app->MemosOutstanding(), 0) << "after the recovery";
        }
    }
    std::cout << "[  sweep   ] " << SweepModeName(mode) << ": " << calls << " calls, " << plan.size() << " runs, "
              << failedCalls << " failed calls\n";
    return calls;
}

Int64 FaultSweep::RunBothModes() const
{
    const Int64 calls = Run(SweepMode::Transient);
    Run(SweepMode::Persistent);
    return calls;
}

} // namespace TestSupport
