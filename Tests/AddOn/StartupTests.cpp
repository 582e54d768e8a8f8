// Start-up of the linked add-on: what CheckEnvironment answers, the registrations of RegisterInterface
// and Initialize with their arguments, each step failing in turn, and FreeData's answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../Sources/AddOn/AddOnMain.hpp"
#include "../../Sources/AddOn/CheckPalette.hpp"
#include "Support/HostFixture.hpp"

namespace {

// The host calls of a clean start-up, in order: RegisterInterface's four, then Initialize's seven.
const std::vector<std::string> startupCalls = {
    "Register_Menu",
    "Register_Menu",
    "Register_Menu",
    "Register_BuiltInLibrary",
    "Install_MenuHandler",
    "Install_MenuHandler",
    "RegisterModelessWindow",
    "Notify_CatchProjectEvent",
    "Notify_InstallElementObserver",
    "Notify_CatchNewElement",
    "Notify_CatchNewElement",
};
constexpr std::size_t registerInterfaceCalls = 4;

// A spy between the add-on and the host's table: records the arguments of the start-up calls and
// forwards them unchanged.
namespace Spy {
const API_HostFunctionTable* hostTable = nullptr;
API_HostFunctionTable table;
std::vector<std::string> calls;

std::string Handler(const void* handler, const void* expected)
{
    return handler == expected ? "ok" : "other";
}

GSErrCode RegisterMenu(short menuResId, short promptResId, APIMenuCodeID posCode, GSFlags flags)
{
    calls.push_back("Register_Menu " + std::to_string(menuResId) + " " + std::to_string(promptResId) + " " +
                    std::to_string(posCode) + " " + std::to_string(flags));
    return hostTable->Register_Menu(menuResId, promptResId, posCode, flags);
}

GSErrCode RegisterBuiltInLibrary()
{
    calls.push_back("Register_BuiltInLibrary");
    return hostTable->Register_BuiltInLibrary();
}

GSErrCode InstallMenuHandler(short menuResId, APIMenuCommandProc* handler)
{
    calls.push_back(
        "Install_MenuHandler " + std::to_string(menuResId) + " " +
        Handler(reinterpret_cast<const void*>(handler), reinterpret_cast<const void*>(&MenuCommandHandler)));
    return hostTable->Install_MenuHandler(menuResId, handler);
}

GSErrCode RegisterModelessWindow(Int32 refId, APIPaletteControlCallBackProc* callback, GSFlags flags,
                                 const API_Guid& guid)
{
    const bool same = refId == CheckPalette::refId && flags == CheckPalette::paletteVisibility &&
                      guid == GSGuid2APIGuid(CheckPalette::paletteGuid) &&
                      callback == &CheckPalette::PaletteAPIControlCallBack;
    calls.push_back(std::string("RegisterModelessWindow ") + (same ? "palette" : "other") + " " +
                    std::to_string(flags));
    return hostTable->RegisterModelessWindow(refId, callback, flags, guid);
}

GSErrCode CatchProjectEvent(GSFlags mask, APIProjectEventHandlerProc* handler)
{
    calls.push_back(
        "Notify_CatchProjectEvent " + std::to_string(mask) + " " +
        Handler(reinterpret_cast<const void*>(handler), reinterpret_cast<const void*>(&ProjectEventHandlerProc)));
    return hostTable->Notify_CatchProjectEvent(mask, handler);
}

GSErrCode InstallElementObserver(APIElementEventHandlerProc* handler)
{
    calls.push_back(
        "Notify_InstallElementObserver " +
        Handler(reinterpret_cast<const void*>(handler), reinterpret_cast<const void*>(&ElementEventHandlerProc)));
    return hostTable->Notify_InstallElementObserver(handler);
}

GSErrCode CatchNewElement(const API_ToolBoxItem* type, APIElementEventHandlerProc* handler)
{
    calls.push_back(
        "Notify_CatchNewElement " + std::to_string(type->typeID) + " " + std::to_string(type->variationID) + " " +
        std::to_string(type->reserved) + " " +
        Handler(reinterpret_cast<const void*>(handler), reinterpret_cast<const void*>(&ElementEventHandlerProc)));
    return hostTable->Notify_CatchNewElement(type, handler);
}

GSErrCode UnregisterModelessWindow(Int32 refId)
{
    calls.push_back(std::string("UnregisterModelessWindow ") + (refId == CheckPalette::refId ? "palette" : "other"));
    return hostTable->UnregisterModelessWindow(refId);
}

void SetImported(const API_HostFunctionTable* host, GSResModule resModule)
{
    hostTable = host;
    if (host == nullptr) {
        SetImportedFuncAddrs(nullptr, resModule);
        return;
    }
    table = *host;
    table.Register_Menu = RegisterMenu;
    table.Register_BuiltInLibrary = RegisterBuiltInLibrary;
    table.Install_MenuHandler = InstallMenuHandler;
    table.RegisterModelessWindow = RegisterModelessWindow;
    table.Notify_CatchProjectEvent = CatchProjectEvent;
    table.Notify_InstallElementObserver = InstallElementObserver;
    table.Notify_CatchNewElement = CatchNewElement;
    table.UnregisterModelessWindow = UnregisterModelessWindow;
    SetImportedFuncAddrs(&table, resModule);
}
} // namespace Spy

class StartupTest : public TestSupport::HostFixture {
protected:
    void SetUp() override
    {
        TestSupport::HostFixture::SetUp();
        CheckPalette::ReleaseInstance();
        Spy::calls.clear();
    }

    void TearDown() override
    {
        if (app != nullptr) {
            EXPECT_EQ(app->MemosOutstanding(), 0) << "a memo was not released";
        }
        CheckPalette::ReleaseInstance();
        TestSupport::HostFixture::TearDown();
    }

    void Load(SetImportedFuncAddrsProc* setImported = &SetImportedFuncAddrs)
    {
        std::string error;
        ASSERT_TRUE(app->LoadAddOnLinked(&GetExportedFuncAddrs, setImported, error)) << error;
    }

    std::string ResourceString(short index) const
    {
        GS::UniString text;
        EXPECT_TRUE(RSGetIndString(&text, 32000, index, app->GetAddOnResModule()));
        return text.ToUtf8();
    }
};

TEST_F(StartupTest, CheckEnvironmentAnswersPreloadWithNameAndVersionedDescriptionWhateverTheHostVersion)
{
    Load();
    API_AddOnEntryTable entries;
    GetExportedFuncAddrs(&entries);
    std::string expectedDescription = ResourceString(2);
    const std::size_t placeholder = expectedDescription.find("%s");
    ASSERT_NE(placeholder, std::string::npos) << "the description has no place for the version";
    expectedDescription.replace(placeholder, 2, "1.0.0");

    for (const Int32 serverVersion : {25, 0, 24, 26, -1, 1000}) {
        SCOPED_TRACE("serverVersion " + std::to_string(serverVersion));
        API_EnvirParams envir;
        envir.serverVersion = serverVersion;
        EXPECT_EQ(entries.checkEnvironment(&envir), APIAddon_Preload);
        EXPECT_EQ(envir.addOnInfo.name.ToUtf8(), "Arealist");
        EXPECT_EQ(envir.addOnInfo.description.ToUtf8(), expectedDescription);
    }
    EXPECT_TRUE(app->DebugLines().empty());
}

TEST_F(StartupTest, CleanStartRegistersAndInstallsEverythingWithItsArguments)
{
    Load(&Spy::SetImported);
    app->GetFaults().SetLogging(true);

    const Host::StartResult start = app->StartAddOn();

    EXPECT_EQ(start.addonType, APIAddon_Preload);
    EXPECT_EQ(start.registerResult, NoError);
    EXPECT_EQ(start.initializeResult, NoError);
    EXPECT_EQ(app->GetFaults().CallLog(), startupCalls);
    const std::vector<std::string> expected = {
        "Register_Menu 32501 0 17 1",       "Register_Menu 32502 0 17 0",       "Register_Menu 32502 0 12 0",
        "Register_BuiltInLibrary",          "Install_MenuHandler 32501 ok",     "Install_MenuHandler 32502 ok",
        "RegisterModelessWindow palette 1", "Notify_CatchProjectEvent 7 ok",    "Notify_InstallElementObserver ok",
        "Notify_CatchNewElement 17 0 0 ok", "Notify_CatchNewElement 16 0 0 ok",
    };
    EXPECT_EQ(Spy::calls, expected);
    EXPECT_TRUE(app->DebugLines().empty());

    // The built-in library reached the project's library: the Arealist part is there.
    bool hasArealist = false;
    for (const Host::LibPart& part : app->LibraryParts())
        hasArealist = hasArealist || part.name == "Arealist";
    EXPECT_TRUE(hasArealist);

    Spy::calls.clear();
    EXPECT_EQ(app->StopAddOn(), NoError);
    EXPECT_EQ(Spy::calls, (std::vector<std::string>{"UnregisterModelessWindow palette"}));
}

struct FailingStep {
    std::size_t position; // index in startupCalls
    GSErrCode code;
    const char* debugLine; // nullptr: the step logs nothing
};

std::string StepName(const ::testing::TestParamInfo<FailingStep>& info)
{
    return std::to_string(info.param.position + 1) + "_" + startupCalls[info.param.position];
}

class StartupFailureTest : public StartupTest, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(StartupFailureTest, FailingStepEndsTheCallbackWithItsCodeAndOneLogLine)
{
    const FailingStep& step = GetParam();
    const std::string& operation = startupCalls[step.position];
    Int64 after = 0;
    for (std::size_t i = 0; i < step.position; ++i)
        after += startupCalls[i] == operation ? 1 : 0;

    Load();
    app->GetFaults().SetLogging(true);
    ASSERT_TRUE(app->GetFaults().FailOperation(operation, after, step.code)) << operation;
    const std::size_t linesBefore = app->DebugLines().size();

    const Host::StartResult start = app->StartAddOn();

    EXPECT_EQ(start.addonType, APIAddon_Preload);
    if (step.position < registerInterfaceCalls) {
        EXPECT_EQ(start.registerResult, step.code);
        EXPECT_EQ(start.initializeResult, NoError) << "Initialize must not run after a failed registration";
    } else {
        EXPECT_EQ(start.registerResult, NoError);
        EXPECT_EQ(start.initializeResult, step.code);
    }
    ASSERT_TRUE(app->GetFaults().LastInjected().has_value());
    EXPECT_EQ(app->GetFaults().LastInjected()->first, operation);

    // Every step up to the failing one was tried, none after it.
    const std::vector<std::string> tried(startupCalls.begin(),
                                         startupCalls.begin() + std::ptrdiff_t(step.position) + 1);
    EXPECT_EQ(app->GetFaults().CallLog(), tried);

    const std::vector<std::string> newLines(app->DebugLines().begin() + std::ptrdiff_t(linesBefore),
                                            app->DebugLines().end());
    const std::vector<std::string> expectedLines =
        step.debugLine == nullptr ? std::vector<std::string>{} : std::vector<std::string>{step.debugLine};
    EXPECT_EQ(newLines, expectedLines);
    EXPECT_TRUE(app->GetUserQueue().ShownAlerts().empty()) << "no dialog during start-up";
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, StartupFailureTest,
    ::testing::Values(
        FailingStep{0, APIERR_GENERAL, "AL: RegisterInterface() ACAPI_Register_Menu MENU failed."},
        FailingStep{1, APIERR_MEMFULL, "AL: RegisterInterface() ACAPI_Register_Menu PALETTE_MENU failed."},
        FailingStep{2, APIERR_BADID, "AL: RegisterInterface() ACAPI_Register_Menu PALETTE_MENU in Palettes failed."},
        FailingStep{3, APIERR_BADPARS, "AL: RegisterInterface() ACAPI_Register_BuiltInLibrary failed."},
        FailingStep{4, APIERR_GENERAL, "AL: Initialize() ACAPI_Install_MenuHandler MENU failed."},
        FailingStep{5, APIERR_BADID, "AL: Initialize() ACAPI_Install_MenuHandler ID_AL_PALETTE_MENU failed."},
        FailingStep{6, APIERR_MEMFULL, "AL: Initialize() ACAPI_RegisterModelessWindow failed."},
        FailingStep{7, APIERR_BADPARS, "AL: ACAPI_Notify_CatchProjectEvent failed."},
        FailingStep{8, APIERR_NOTSUPPORTED, "AL: ACAPI_Notify_InstallElementObserver failed."},
        FailingStep{9, APIERR_GENERAL, "AL: ACAPI_Notify_CatchNewElement failed."},
        FailingStep{10, APIERR_MISSINGCODE, nullptr}),
    StepName);

struct FreeDataCase {
    const char* name;
    bool injectFailure;
    GSErrCode expected;
};

class FreeDataTest : public StartupTest, public ::testing::WithParamInterface<FreeDataCase> {};

TEST_P(FreeDataTest, FreeDataAnswersTheUnregistrationCode)
{
    Load();
    const Host::StartResult start = app->StartAddOn();
    ASSERT_EQ(start.initializeResult, NoError);
    if (GetParam().injectFailure)
        app->GetFaults().FailOperation(Host::HostOp::UnregisterModelessWindow, 0, GetParam().expected);

    EXPECT_EQ(app->StopAddOn(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeDataTest,
                         ::testing::Values(FreeDataCase{"Succeeds", false, NoError},
                                           FreeDataCase{"Fails", true, APIERR_BADID}),
                         [](const ::testing::TestParamInfo<FreeDataCase>& info) { return info.param.name; });

// When the palette window never got registered, FreeData passes on the host's refusal unchanged.
TEST_F(StartupTest, FreeDataAfterAFailedPaletteRegistrationPassesTheHostsCodeOn)
{
    Load();
    app->GetFaults().FailOperation(Host::HostOp::RegisterModelessWindow, 0, APIERR_MEMFULL);
    ASSERT_EQ(app->StartAddOn().initializeResult, APIERR_MEMFULL);

    EXPECT_EQ(app->StopAddOn(), APIERR_BADID);
}

} // namespace
