// Fault sweeps over every live route, undo and redo, in both modes: nothing crashes or leaks, locks and
// layers come back, failures are reported as the dispatcher promises, and an update recovers.
#include <set>

#include "LiveFixture.hpp"
#include "Support/FaultSweep.hpp"

namespace LiveTest {
namespace {

struct Route {
    const char* name;
    std::function<GSErrCode(Host::Application&)> action;
    std::function<void(Host::Application&)> before = nullptr; // the user's earlier steps, if any
};

API_Guid G(const std::string& id)
{
    return ProjectBuilder::Guid(id);
}

// A user's change that the add-on follows within the same undo step.
GSErrCode GrowZ2(Host::Application& a)
{
    return a.SetZone(G("Z2"), [](Host::Element& zone) { zone.quantities = {30, 30, 29, 28, 0}; });
}

class LiveFaultSweepTest : public LiveFixture {
protected:
    // TOP A: Z1, Z2 shown by L1 and by L2, which is locked on a hidden, locked layer; TOP B: Z3;
    // Z4 has no TOP.
    ProjectBuilder Standard() const
    {
        ProjectBuilder builder = Builder().Layer(2, "Locked", APILay_Hidden | APILay_Locked);
        builder.Zone(Zone("Z1", "A")).Zone(Zone("Z2", "A", 2)).Zone(Zone("Z3", "B")).Zone(Zone("Z4", std::nullopt));
        LabelEntry locked = Arealist("L2", "A", {"Z1", "Z2"});
        locked.layer = 2;
        locked.locked = true;
        builder.Label(Arealist("L1", "A", {"Z1", "Z2"})).Label(locked);
        return builder;
    }

    std::unique_ptr<Host::Application> MakeHost(const std::function<void(Host::Application&)>& before = nullptr) const
    {
        ResetPalette();
        std::unique_ptr<Host::Application> host = NewApplication();
        std::string error;
        if (!host->LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs, error))
            return nullptr;
        const Host::StartResult start = host->StartAddOn();
        if (start.registerResult != NoError || start.initializeResult != NoError)
            return nullptr;
        host->OpenProject(Standard().Build());
        if (before)
            before(*host);
        return host;
    }

    // Calls of the clean run that put locks, layers and Suspend Groups back after a change: when
    // one of those fails, nothing is left to restore with.
    std::set<Int64> RestoringCalls(const Route& route) const
    {
        const auto& scenario = route.action;
        std::unique_ptr<Host::Application> host = MakeHost(route.before);
        host->GetFaults().ResetCount();
        host->GetFaults().SetLogging(true);
        scenario(*host);
        const std::vector<std::string>& log = host->GetFaults().CallLog();
        std::set<Int64> restoring;
        // An unlocking scope starts with its environment queries; its lifting calls come before
        // any write, its restoring calls after one.
        bool wroteSinceScopeStart = false;
        for (std::size_t i = 0; i < log.size(); ++i) {
            const std::string& op = log[i];
            if (op == "Environment")
                wroteSinceScopeStart = false;
            else if (op == "Element_Change" || op == "Element_Link" || op == "Element_Unlink" ||
                     op == "Element_Create" || op == "Element_Delete")
                wroteSinceScopeStart = true;
            else if ((op == "Element_Tool" || op == "Attribute_Modify") && wroteSinceScopeStart)
                restoring.insert(Int64(i));
        }
        return restoring;
    }

    static int Count(Host::Application& host, short id, const GS::UniString* text = nullptr)
    {
        int count = 0;
        for (const Host::ShownAlert& alert : host.GetUserQueue().ShownAlerts())
            count += alert.id == id && (text == nullptr || alert.texts[0] == *text) ? 1 : 0;
        return count;
    }
};

// The user's actions the add-on follows live, and undo and redo of one of them.
std::vector<Route> Routes()
{
    return {
        {"zone new",
         [](Host::Application& a) {
             Host::Element zone = *a.GetProject().Find(G("Z1"));
             zone.guid = APINULLGuid;
             zone.id = "Z9";
             API_Guid guid;
             return a.AddZone(zone, guid);
         }},
        {"zone copy",
         [](Host::Application& a) {
             API_Guid copy;
             return a.CopyElement(G("Z1"), "Z9", 1, 1, copy);
         }},
        {"zone change",
         [](Host::Application& a) {
             return a.SetZone(G("Z2"), [](Host::Element& zone) { zone.quantities = {30, 30, 29, 28, 0}; });
         }},
        {"zone to another TOP",
         [](Host::Application& a) { return a.SetZoneParam(G("Z1"), "stApartmentId", Text("B")); }},
        {"zone move", [](Host::Application& a) { return a.MoveElement(G("Z1"), 2, 2); }},
        {"zone delete", [](Host::Application& a) { return a.DeleteElement(G("Z1")); }},
        {"label new on a zone",
         [](Host::Application& a) {
             API_Guid placed;
             return a.PlaceLabel("N1", G("Z3"), std::nullopt, std::nullopt, placed);
         }},
        {"label new free",
         [](Host::Application& a) {
             a.GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Choose, "A"});
             a.GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Ok, ""});
             API_Guid placed;
             return a.PlaceLabel("N1", std::nullopt, API_Coord{1, 1}, std::nullopt, placed);
         }},
        {"label copy",
         [](Host::Application& a) {
             API_Guid copy;
             return a.CopyElement(G("L1"), "C1", 1, 1, copy);
         }},
        {"label TOP change",
         [](Host::Application& a) { return a.SetLabelParam(G("L1"), "al_apartmentId", Text("B")); }},
        {"label received from another user",
         [](Host::Application& a) {
             API_Guid received;
             return a.ReceiveLabel("R1", GS::UniString("A"), {G("Z1")}, received);
         }},
        {"undo", [](Host::Application& a) { return a.Undo(); }, [](Host::Application& a) { GrowZ2(a); }},
        {"redo", [](Host::Application& a) { return a.Redo(); },
         [](Host::Application& a) {
             GrowZ2(a);
             a.Undo();
         }},
    };
}

TEST_F(LiveFaultSweepTest, EveryRouteSurvivesEveryFailingCall)
{
    for (const Route& route : Routes()) {
        const std::set<Int64> restoring = RestoringCalls(route);
        for (const TestSupport::SweepMode mode :
             {TestSupport::SweepMode::Transient, TestSupport::SweepMode::Persistent}) {
            SCOPED_TRACE(std::string(route.name) + ", " + TestSupport::SweepModeName(mode));
            int reportedRuns = 0;
            int runs = 0;
            TestSupport::FaultSweep sweep;
            sweep.setup = [&] { return MakeHost(route.before); };
            sweep.scenario = route.action;
            sweep.restoringCalls = restoring;
            sweep.check = [&](Host::Application& host, const TestSupport::FaultRun& run) {
                ++runs;
                EXPECT_EQ(run.result, NoError) << "the user's action itself goes through";
                const GS::UniString code(std::to_string(run.injected));
                const int reported = Count(host, 31001, &code);
                // One failing call is shown once. A failure for good is shown by each notification's
                // handler and once more by its room check, never more.
                const Int64 promised = run.mode == TestSupport::SweepMode::Transient ? 1 : 2 * run.notifications;
                EXPECT_LE(reported, promised) << run.operation << " reported more often than promised";
                EXPECT_EQ(Count(host, 31001), reported) << run.operation << " gave an error alert with another code";
                EXPECT_LE(Count(host, 31012), 1);
                EXPECT_LE(Count(host, 31018), 1);
                EXPECT_LE(Count(host, 31019), 1);
                reportedRuns += reported;
            };
            const Int64 calls = sweep.Run(mode);
            EXPECT_GT(calls, 10);
            EXPECT_EQ(runs, calls);
            // Most host calls of a route are checked reads and writes whose failure the user sees.
            EXPECT_GT(reportedRuns * 2, runs) << reportedRuns << " of " << runs << " failures reported";
        }
    }
    ResetPalette();
}

// A project that refuses every change the add-on tries (as a read-only project would): each route
// reports the refusal at most once per notification and handler, and recovers once writes work.
TEST_F(LiveFaultSweepTest, EveryRouteSurvivesAProjectRefusingEveryWrite)
{
    const Host::HostOpSet writes{Host::HostOp::Element_Change, Host::HostOp::Element_Create,
                                 Host::HostOp::Element_Delete, Host::HostOp::Element_Link,
                                 Host::HostOp::Element_Unlink};
    int reported = 0;
    for (const Route& route : Routes()) {
        SCOPED_TRACE(route.name);
        std::unique_ptr<Host::Application> host = MakeHost(route.before);
        ASSERT_NE(host, nullptr);
        host->GetFaults().FailEveryCall(writes, APIERR_READONLYPROJECT);
        const Int64 before = host->ElementNotifications();
        EXPECT_EQ(route.action(*host), NoError);
        const Int64 notifications = host->ElementNotifications() - before;
        EXPECT_EQ(host->MemosOutstanding(), 0);
        EXPECT_EQ(host->OpenUndoScopes(), 0);
        const GS::UniString code(std::to_string(APIERR_READONLYPROJECT));
        EXPECT_LE(Count(*host, 31001, &code), 2 * notifications);
        reported += Count(*host, 31001, &code) + Count(*host, 31012);
        EXPECT_EQ(Count(*host, 31001), Count(*host, 31001, &code));
        EXPECT_EQ(TestSupport::RecoveryProblem(*host), "");
        EXPECT_EQ(host->MemosOutstanding(), 0);
    }
    EXPECT_GT(reported, 0) << "no refusal ever reached the user";
    ResetPalette();
}

} // namespace
} // namespace LiveTest
