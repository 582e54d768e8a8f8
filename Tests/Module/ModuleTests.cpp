// The built add-on module, loaded the way the runner loads it: its exported entry table before and
// after the host's function table arrives, a full start, one create command and the release.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Support/HostFixture.hpp"

namespace {

using TestSupport::ProjectBuilder;
using TestSupport::ZoneEntry;

bool HasLink(const Host::Project& project, const API_Guid& from, const API_Guid& to)
{
    const Host::LinkList* links = project.elements.LinksFrom(from);
    return links != nullptr && links->Contains(to);
}

class ModuleTest : public TestSupport::HostFixture {
protected:
    void TearDown() override
    {
        if (app != nullptr) {
            EXPECT_EQ(app->MemosOutstanding(), 0) << "a memo was not released";
        }
        TestSupport::HostFixture::TearDown();
    }
};

TEST_F(ModuleTest, BuiltModuleStartsCreatesAnArealistAndStops)
{
    std::string error;
    ASSERT_TRUE(app->LoadAddOnModule(AREALIST_MODULE_PATH, error)) << error;

    const Host::StartResult start = app->StartAddOn();
    EXPECT_EQ(start.addonType, APIAddon_Preload);
    EXPECT_EQ(start.registerResult, NoError);
    EXPECT_EQ(start.initializeResult, NoError);

    ProjectBuilder builder(app->LibraryParts());
    builder.Category(1, "LIV", "Living").LabelTool("Arealist", 1);
    ZoneEntry zone;
    zone.id = "kitchen";
    zone.top = "A1";
    builder.Zone(zone);
    app->OpenProject(builder.Build());
    const API_Guid zoneGuid = ProjectBuilder::Guid("kitchen");
    EXPECT_TRUE(app->GetProject().Find(zoneGuid)->observed) << "opening the project observes its zones";

    EXPECT_EQ(app->ChooseMenu(32501, 1), NoError);

    const Host::Project& project = app->GetProject();
    const Host::LibPart* arealistPart = project.FindLibPart("Arealist");
    ASSERT_NE(arealistPart, nullptr) << "the module's built-in library did not reach the project";
    std::vector<const Host::Element*> arealists;
    for (const Host::Element& element : project.elements)
        if (!element.deleted && element.type == API_LabelID && element.libInd == arealistPart->index)
            arealists.push_back(&element);
    ASSERT_EQ(arealists.size(), 1u);
    EXPECT_TRUE(HasLink(project, arealists[0]->guid, zoneGuid));
    EXPECT_TRUE(HasLink(project, zoneGuid, arealists[0]->guid));
    EXPECT_TRUE(app->DebugLines().empty());
    EXPECT_TRUE(app->AccountingIssues().empty());

    EXPECT_EQ(app->StopAddOn(), NoError);
}

// The entry table as the glue exports it, before any host table: the add-on's code must not run.
TEST(ModuleEntryTable, RefusesToRunBeforeTheHostTableArrives)
{
    void* handle = dlopen(AREALIST_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto* getExported = reinterpret_cast<GetExportedFuncAddrsProc*>(dlsym(handle, "GetExportedFuncAddrs"));
    auto* setImported = reinterpret_cast<SetImportedFuncAddrsProc*>(dlsym(handle, "SetImportedFuncAddrs"));
    EXPECT_NE(setImported, nullptr);
    ASSERT_NE(getExported, nullptr);

    API_AddOnEntryTable entries;
    getExported(&entries);
    ASSERT_NE(entries.checkEnvironment, nullptr);
    ASSERT_NE(entries.registerInterface, nullptr);
    ASSERT_NE(entries.initialize, nullptr);
    ASSERT_NE(entries.freeData, nullptr);

    API_EnvirParams envir;
    EXPECT_EQ(entries.checkEnvironment(&envir), API_AddonType(0));
    EXPECT_TRUE(envir.addOnInfo.name.IsEmpty()) << "CheckEnvironment ran the add-on's code";
    EXPECT_EQ(entries.registerInterface(), GSErrCode(0x81060001));
    EXPECT_EQ(entries.initialize(), GSErrCode(0x81060001));
    EXPECT_EQ(entries.freeData(), GSErrCode(0x81060001));
    EXPECT_EQ(dlclose(handle), 0);
}

TEST_F(ModuleTest, FilesThatAreNoModuleAreRefusedNamingTheFile)
{
    const std::string missing = prefsDir + "/no-such/Arealist.so";
    const std::string notAModule = prefsDir + "/text.so";
    std::ofstream(notAModule) << "not a shared library\n";
    // A shared library that is no add-on: one of the host's own, next to the module.
    const std::string noEntryTable =
        (std::filesystem::path(AREALIST_MODULE_PATH).parent_path() / "libGSRoot.so").string();

    for (const std::string& path : {missing, notAModule, noEntryTable}) {
        if (path == noEntryTable && !std::filesystem::exists(path))
            continue;
        SCOPED_TRACE(path);
        std::string error;
        EXPECT_FALSE(app->LoadAddOnModule(path, error));
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }

    // The host is still free to load the real module afterwards.
    std::string error;
    EXPECT_TRUE(app->LoadAddOnModule(AREALIST_MODULE_PATH, error)) << error;
}

} // namespace
