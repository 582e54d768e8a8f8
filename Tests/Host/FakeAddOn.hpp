// A tiny add-on for the host's own tests: its entry points register the built-in library and
// install handlers that record every notification and can react inside the callback.
#pragma once

#include <functional>
#include <vector>

#include "../../Sources/Host/API/ACAPinc.hpp"
#include "../Support/HostFixture.hpp"

namespace FakeAddOn {

struct Event {
    API_NotifyElementID kind;
    API_ElemTypeID type;
    API_Guid guid;
};

extern std::vector<Event> events;
extern std::vector<API_NotifyEventID> projectEvents;
// Called inside the element callback for every notification (after it was recorded).
extern std::function<void(const API_NotifyElementType&)> reaction;

void Reset();

} // namespace FakeAddOn

// The fixture of the host tests: a host with the fake add-on loaded and started.
class HostTest : public TestSupport::HostFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `work` as the add-on inside an undoable command.
    static GSErrCode InCommand(const std::function<GSErrCode()>& work, const char* text = "test step");
};
