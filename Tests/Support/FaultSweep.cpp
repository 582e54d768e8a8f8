// The fault sweep harness.
#include "FaultSweep.hpp"

#include <gtest/gtest.h>

namespace TestSupport {

std::string SafeguardState(const Host::Project& project)
{
    std::string state = project.suspendGroups ? "suspend on;" : "suspend off;";
    for (const Host::Layer& layer : project.layers)
        state += " layer " + std::to_string(layer.index) + "=" + std::to_string(layer.flags);
    state += ";";
    for (const Host::Element& element : project.elements)
        if (element.locked && !element.deleted)
            state += " locked " + (element.id.empty() ? APIGuidToString(element.guid).ToUtf8() : element.id);
    return state;
}

Int64 FaultSweep::Run() const
{
    Int64 calls = 0;
    {
        std::unique_ptr<Host::Application> app = setup();
        if (app == nullptr) {
            ADD_FAILURE() << "the sweep's setup gave no host";
            return 0;
        }
        const std::string before = SafeguardState(app->GetProject());
        app->GetFaults().Clear();
        app->GetFaults().ResetCount();
        scenario(*app);
        calls = app->GetFaults().CallCount();
        EXPECT_EQ(app->MemosOutstanding(), 0) << "clean run leaks memos";
        EXPECT_EQ(SafeguardState(app->GetProject()), before) << "clean run leaves safeguards changed";
    }
    if (calls > maxCalls) {
        ADD_FAILURE() << "scenario makes " << calls << " host calls, more than the sweep's limit " << maxCalls;
        return calls;
    }
    for (Int64 i = 0; i < calls; ++i) {
        std::unique_ptr<Host::Application> app = setup();
        const std::string before = SafeguardState(app->GetProject());
        Host::FaultInjector& faults = app->GetFaults();
        faults.Clear();
        faults.ResetCount();
        faults.FailNthCall(i, code);
        FaultRun run;
        run.callIndex = i;
        run.result = scenario(*app);
        if (auto injected = faults.LastInjected()) {
            run.operation = injected->first;
            run.injected = injected->second;
        }
        SCOPED_TRACE("failing call " + std::to_string(i) + " (" + run.operation + ")");
        EXPECT_EQ(app->MemosOutstanding(), 0);
        EXPECT_EQ(app->OpenUndoScopes(), 0);
        // The host's accounting reports exactly what a callback left unrestored.
        if (!expectRestored || expectRestored(run)) {
            EXPECT_TRUE(app->AccountingIssues().empty())
                << (app->AccountingIssues().empty() ? "" : app->AccountingIssues().front());
            EXPECT_EQ(SafeguardState(app->GetProject()), before);
        }
        if (check)
            check(*app, run);
    }
    return calls;
}

} // namespace TestSupport
