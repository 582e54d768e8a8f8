// The fake add-on's entry points and recording handlers.
#include "FakeAddOn.hpp"

#include "../../Sources/Host/API/APIFunctionTable.hpp"

namespace FakeAddOn {

std::vector<Event> events;
std::vector<API_NotifyEventID> projectEvents;
std::function<void(const API_NotifyElementType&)> reaction;

void Reset()
{
    events.clear();
    projectEvents.clear();
    reaction = nullptr;
}

namespace {
GSErrCode ElementHandler(const API_NotifyElementType* notification)
{
    events.push_back(Event{notification->notifID, notification->elemHead.typeID, notification->elemHead.guid});
    if (reaction)
        reaction(*notification);
    return NoError;
}

GSErrCode ProjectHandler(API_NotifyEventID event, Int32)
{
    projectEvents.push_back(event);
    return NoError;
}
} // namespace

} // namespace FakeAddOn

API_AddonType CheckEnvironment(API_EnvirParams* envir)
{
    envir->addOnInfo.name = "Fake";
    return APIAddon_Normal;
}

GSErrCode RegisterInterface()
{
    return ACAPI_Register_BuiltInLibrary();
}

GSErrCode Initialize()
{
    API_ToolBoxItem zone;
    zone.typeID = API_ZoneID;
    API_ToolBoxItem label;
    label.typeID = API_LabelID;
    GSErrCode err = ACAPI_Notify_CatchProjectEvent(APINotify_New | APINotify_Open, FakeAddOn::ProjectHandler);
    if (err == NoError)
        err = ACAPI_Notify_InstallElementObserver(FakeAddOn::ElementHandler);
    if (err == NoError)
        err = ACAPI_Notify_CatchNewElement(&zone, FakeAddOn::ElementHandler);
    if (err == NoError)
        err = ACAPI_Notify_CatchNewElement(&label, FakeAddOn::ElementHandler);
    return err;
}

GSErrCode FreeData()
{
    return NoError;
}

void HostTest::SetUp()
{
    FakeAddOn::Reset();
    HostFixture::SetUp();
    LoadAddOnLinked(&GetExportedFuncAddrs, &SetImportedFuncAddrs);
}

void HostTest::TearDown()
{
    if (app != nullptr) {
        EXPECT_EQ(app->MemosOutstanding(), 0) << "a memo handed out was not released";
    }
    FakeAddOn::Reset();
    HostFixture::TearDown();
}

GSErrCode HostTest::InCommand(const std::function<GSErrCode()>& work, const char* text)
{
    return ACAPI_CallUndoableCommand(text, work);
}
