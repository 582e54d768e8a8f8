// Resetting the host: a host that has played a session and is reset plays the next one exactly
// as it played it fresh, with nothing of the earlier session left to see.
#include <cstring>

#include "../../Sources/Host/DG/DG.hpp"
#include "FakeAddOn.hpp"

namespace {

using TestSupport::ProjectBuilder;

constexpr short someAlert = 31019; // three buttons

// What one short session shows of the host: the notifications the add-on received, the host's
// trace and debug lines, undo steps, alert answers, accounting, memos, failures and preferences.
struct Seen {
    std::vector<std::string> events;
    std::vector<std::string> trace;
    std::vector<std::string> debugLines;
    std::vector<std::string> undoTexts;
    std::vector<std::string> accountingIssues;
    std::vector<short> alertAnswers;
    API_Guid generated = APINULLGuid;
    GSErrCode headerResult = NoError;
    Int64 calls = 0;
    Int64 notifications = 0;
    Int64 memos = 0;
    int undoScopes = 0;
    Int32 prefsVersion = -1;
    GSSize prefsLength = -1;
    std::string projectDifference;

    bool operator==(const Seen&) const = default;
};

class ResetTest : public HostTest {
protected:
    // Preferences in memory: they belong to the host's state, which a reset must clear.
    Host::Options MakeOptions() const override
    {
        Host::Options options = HostTest::MakeOptions();
        options.prefsDir.clear();
        return options;
    }

    static Host::Project SessionProject(const std::vector<Host::LibPart>& library)
    {
        ProjectBuilder builder(library);
        builder.Category(1, "LIV", "Living")
            .Zone({.id = "Z1", .top = "T1", .observed = true})
            .Label({.id = "L1", .links = {"Z1"}, .observed = true});
        return builder.Build();
    }

    // The session played on a fresh host and on a reset one; `initial` is the fresh host's
    // project before any session. The project it ends with stays in the host.
    Seen Play(const Host::Project& initial)
    {
        Seen seen;
        seen.projectDifference = Host::ProjectDifference(app->GetProject(), initial);
        seen.memos = app->MemosOutstanding();
        seen.undoScopes = app->OpenUndoScopes();
        seen.notifications = app->ElementNotifications();
        EXPECT_EQ(ACAPI_GetPreferences_Platform(&seen.prefsVersion, &seen.prefsLength, nullptr, nullptr), NoError);

        FakeAddOn::Reset();
        trace.clear();
        app->GetFaults().ResetCount();
        app->OpenProject(SessionProject(app->LibraryParts()));
        Host::Element zone;
        zone.type = API_ZoneID;
        zone.layer = 1;
        EXPECT_EQ(app->AddZone(zone, seen.generated), NoError);
        EXPECT_EQ(app->MoveElement(G("Z1"), 1, 0), NoError);
        API_Elem_Head header;
        header.guid = G("Z1");
        seen.headerResult = ACAPI_Element_GetHeader(&header, 0);
        seen.alertAnswers.push_back(DG::Alert(app->GetAddOnResModule(), someAlert, "", "", "", ""));
        for (const Host::ShownAlert& alert : app->GetUserQueue().ShownAlerts())
            seen.alertAnswers.push_back(alert.answer);
        EXPECT_EQ(app->Undo(), NoError);

        for (const FakeAddOn::Event& event : FakeAddOn::events)
            seen.events.push_back(std::to_string(event.kind) + " " + APIGuidToString(event.guid).ToUtf8());
        seen.trace = trace;
        seen.debugLines = app->DebugLines();
        seen.undoTexts = app->UndoTexts();
        seen.accountingIssues = app->AccountingIssues();
        seen.calls = app->GetFaults().CallCount();
        seen.notifications = app->ElementNotifications() - seen.notifications;
        return seen;
    }

    // Leaves as much behind as a session can: an armed failure, queued answers, a memo handed
    // out, preferences, a debug line, a lock the add-on did not restore, an open series, undo and
    // redo history, and a project of its own.
    void Disturb()
    {
        app->OpenProject(SessionProject(app->LibraryParts()));
        FakeAddOn::reaction = [](const API_NotifyElementType& n) {
            if (n.notifID == APINotifyElement_Edit)
                ACAPI_Element_Tool(GS::Array<API_Guid>{G("L1")}, APITool_Lock, nullptr);
        };
        ASSERT_EQ(app->MoveElement(G("Z1"), 2, 2), NoError);
        FakeAddOn::reaction = nullptr;
        ASSERT_FALSE(app->AccountingIssues().empty()) << "the disturbance left no accounting issue";
        ASSERT_EQ(app->Undo(), NoError);
        app->GetFaults().FailOperation(Host::HostOp::Element_GetHeader, 0, APIERR_MEMFULL, Host::FaultInjector::Always);
        app->GetFaults().SetLogging(true);
        app->GetUserQueue().QueueAlertAnswer(someAlert, 3);
        app->GetUserQueue().QueueDialogStep(Host::DialogStep{Host::DialogStep::Cancel, {}});
        API_ElementMemo memo;
        ASSERT_EQ(ACAPI_Element_GetMemo(G("L1"), &memo, APIMemoMask_AddPars), NoError);
        ASSERT_EQ(ACAPI_SetPreferences(4, 5, "prefs"), NoError);
        DBPrintf("a line of the earlier session\n");
        ASSERT_FALSE(app->DebugLines().empty());
        app->BeginSeries();
        Host::Element zone;
        zone.type = API_ZoneID;
        zone.layer = 1;
        API_Guid generated;
        ASSERT_EQ(app->AddZone(zone, generated), NoError);
    }
};

TEST_F(ResetTest, AResetHostPlaysASessionAsAFreshOneDoes)
{
    const Host::Project initial = app->GetProject();
    const Seen fresh = Play(initial);
    const Host::Project freshEnd = app->GetProject();
    EXPECT_EQ(fresh.projectDifference, "");
    EXPECT_EQ(fresh.prefsLength, 0);
    EXPECT_EQ(fresh.headerResult, NoError);
    EXPECT_FALSE(fresh.events.empty());

    Disturb();
    app->Reset();
    EXPECT_EQ(app->MemosOutstanding(), 0) << "the memo handed out before is released";
    EXPECT_TRUE(app->GetFaults().CallLog().empty());
    const Seen reset = Play(initial);

    EXPECT_EQ(reset.projectDifference, fresh.projectDifference);
    EXPECT_EQ(reset.events, fresh.events) << "the add-on stays installed and is notified alike";
    EXPECT_EQ(reset.trace, fresh.trace);
    EXPECT_EQ(reset.debugLines, fresh.debugLines);
    EXPECT_EQ(reset.undoTexts, fresh.undoTexts);
    EXPECT_EQ(reset.accountingIssues, fresh.accountingIssues);
    EXPECT_EQ(reset.alertAnswers, fresh.alertAnswers) << "no answer queued before the reset is used";
    EXPECT_EQ(APIGuidToString(reset.generated).ToUtf8(), APIGuidToString(fresh.generated).ToUtf8())
        << "new elements get the GUIDs a fresh host gives";
    EXPECT_EQ(reset.headerResult, fresh.headerResult) << "no failure armed before the reset fires";
    EXPECT_EQ(reset.calls, fresh.calls);
    EXPECT_EQ(reset.notifications, fresh.notifications);
    EXPECT_EQ(reset.memos, fresh.memos);
    EXPECT_EQ(reset.undoScopes, fresh.undoScopes);
    EXPECT_EQ(reset.prefsVersion, fresh.prefsVersion) << "preferences kept in memory are forgotten";
    EXPECT_EQ(reset.prefsLength, fresh.prefsLength);
    EXPECT_EQ(Host::ProjectDifference(app->GetProject(), freshEnd), "");
    EXPECT_TRUE(reset == fresh);
}

} // namespace
