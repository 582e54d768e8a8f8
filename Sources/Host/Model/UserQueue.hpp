// The user at the screen, as the runner and tests play it: queued answers for alerts and steps
// for modal dialogs. Also the sink of the trace. Implements DG::UserAgent.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../DG/DG.hpp"

namespace Host {

struct DialogStep {
    enum Kind { Choose, Ok, Cancel } kind = Ok;
    GS::UniString choice; // Choose: the row text to select
};

struct ShownAlert {
    short id = 0;
    GS::UniString texts[4];
    short answer = 0;
};

class UserQueue : public DG::UserAgent {
public:
    // Queue `times` answers `button` for alert `alertId` (0: the host's own alerts).
    void QueueAlertAnswer(short alertId, short button, int times = 1);
    void QueueDialogStep(DialogStep step);
    void ClearQueues();

    const std::vector<ShownAlert>& ShownAlerts() const { return shown; }
    // Forgets the alerts shown so far (a host that plays one independent session after another).
    void ClearShown() { shown.clear(); }
    void SetTraceSink(std::function<void(const std::string&)> sink) { traceSink = std::move(sink); }

    short AnswerAlert(const DG::AlertInfo& alert) override;
    bool PlayModalStep(DG::ModalDialog& dialog) override;
    void Trace(const std::string& line) override;

private:
    std::map<short, std::deque<short>> alertAnswers;
    std::deque<DialogStep> dialogSteps;
    std::vector<ShownAlert> shown;
    std::function<void(const std::string&)> traceSink;
};

} // namespace Host
