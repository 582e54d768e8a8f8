// A gtest fixture around one emulated host: an Application with the add-on's resources and an
// empty temporary preferences folder, its trace, and ways to connect an add-on to it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../Sources/Host/API/APIFunctionTable.hpp"
#include "../../Sources/Host/Model/Application.hpp"
#include "ProjectBuilder.hpp"

namespace TestSupport {

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Options of this fixture's hosts (resources, language, the temporary preferences folder).
    virtual Host::Options MakeOptions() const;
    // A further host with the same options (e.g. a later run reading the same preferences).
    std::unique_ptr<Host::Application> NewApplication() const;
    // Replaces the fixture's host by a new one with the same options.
    void RestartApplication();

    // Loads and starts an add-on linked into the test binary; fails the test when that fails.
    void LoadAddOnLinked(GetExportedFuncAddrsProc* getExported, SetImportedFuncAddrsProc* setImported);
    // Hands the host's function table to add-on code in this binary without starting an add-on:
    // the test itself then plays the add-on through ACAPI_ calls.
    void ConnectAsAddOn(SetImportedFuncAddrsProc* setImported);

    void Open(const ProjectBuilder& builder) { app->OpenProject(builder.Build()); }
    Host::Project& Live() { return app->GetProject(); }
    const Host::Element& Elem(const std::string& id) { return *app->GetProject().Find(ProjectBuilder::Guid(id)); }
    // The live element to change directly (outside any undo step), as a test's set-up.
    Host::Element& EditElem(const std::string& id)
    {
        return *app->GetProject().elements.Edit(ProjectBuilder::Guid(id));
    }
    static API_Guid G(const std::string& id) { return ProjectBuilder::Guid(id); }

    std::string prefsDir;
    std::unique_ptr<Host::Application> app;
    std::vector<std::string> trace;
};

} // namespace TestSupport
