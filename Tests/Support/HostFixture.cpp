// The host fixture: a fresh Application per test with a temporary preferences folder.
#include "HostFixture.hpp"

#include <unistd.h>

#include <filesystem>

namespace TestSupport {

void HostFixture::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "arealist-prefs-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "cannot create a temporary folder";
    prefsDir = pattern;
    RestartApplication();
}

void HostFixture::TearDown()
{
    app.reset();
    std::error_code error;
    if (!prefsDir.empty())
        std::filesystem::remove_all(prefsDir, error);
}

Host::Options HostFixture::MakeOptions() const
{
    Host::Options options;
    options.resourcesDir = AREALIST_RESOURCES_DIR;
    options.language = "en";
    options.prefsDir = prefsDir;
    return options;
}

std::unique_ptr<Host::Application> HostFixture::NewApplication() const
{
    return std::make_unique<Host::Application>(MakeOptions());
}

void HostFixture::RestartApplication()
{
    app.reset();
    trace.clear();
    app = NewApplication();
    app->SetTraceSink([this](const std::string& line) { trace.push_back(line); });
}

void HostFixture::LoadAddOnLinked(GetExportedFuncAddrsProc* getExported, SetImportedFuncAddrsProc* setImported)
{
    std::string error;
    ASSERT_TRUE(app->LoadAddOnLinked(getExported, setImported, error)) << error;
    const Host::StartResult start = app->StartAddOn();
    ASSERT_EQ(start.registerResult, NoError);
    ASSERT_EQ(start.initializeResult, NoError);
}

void HostFixture::ConnectAsAddOn(SetImportedFuncAddrsProc* setImported)
{
    setImported(&app->GetFunctionTable(), app->GetAddOnResModule());
}

} // namespace TestSupport
