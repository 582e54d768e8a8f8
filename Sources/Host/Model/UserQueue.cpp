// The played user: answers alerts from queued answers (else the default button), plays queued
// dialog steps, and writes everything a user would notice to the trace.
#include "UserQueue.hpp"

namespace Host {

namespace {
constexpr short ChoiceListId = 4; // the list box of a chooser dialog
constexpr short OkButtonId = 1;
constexpr short CancelButtonId = 2;
} // namespace

void UserQueue::QueueAlertAnswer(short alertId, short button, int times)
{
    for (int i = 0; i < times; ++i)
        alertAnswers[alertId].push_back(button);
}

void UserQueue::QueueDialogStep(DialogStep step)
{
    dialogSteps.push_back(std::move(step));
}

void UserQueue::ClearQueues()
{
    alertAnswers.clear();
    dialogSteps.clear();
}

short UserQueue::AnswerAlert(const DG::AlertInfo& alert)
{
    short answer = alert.defaultButton;
    bool queued = false;
    auto found = alertAnswers.find(alert.id);
    if (found != alertAnswers.end() && !found->second.empty()) {
        answer = found->second.front();
        found->second.pop_front();
        queued = true;
    }
    // DG writes the alert's trace line; an answer naming no button falls back to the default.
    if (queued && (answer < 1 || std::size_t(answer) > alert.buttons.size()))
        answer = alert.defaultButton;
    ShownAlert shownAlert;
    shownAlert.id = alert.id;
    for (int i = 0; i < 4; ++i)
        shownAlert.texts[i] = alert.texts[i];
    shownAlert.answer = answer;
    shown.push_back(shownAlert);
    return answer;
}

bool UserQueue::PlayModalStep(DG::ModalDialog& dialog)
{
    if (dialogSteps.empty()) {
        Trace("dialog " + std::to_string(dialog.GetId()) + ": no step left, cancelled");
        return false;
    }
    DialogStep step = dialogSteps.front();
    dialogSteps.pop_front();
    switch (step.kind) {
    case DialogStep::Choose: {
        auto* list = dynamic_cast<DG::ListBox*>(dialog.GetItem(ChoiceListId));
        short row = 0;
        if (list != nullptr)
            for (short r = 1; r <= list->GetItemCount(); ++r)
                if (list->GetTabItemText(r, 1) == step.choice || list->GetTabItemText(r, 0) == step.choice) {
                    row = r;
                    break;
                }
        if (row == 0) {
            Trace("dialog " + std::to_string(dialog.GetId()) + ": no row \"" + step.choice.ToUtf8() + "\"");
            return true;
        }
        list->SelectItem(row);
        Trace("dialog " + std::to_string(dialog.GetId()) + ": choose \"" + step.choice.ToUtf8() + "\"");
        return true;
    }
    case DialogStep::Ok:
        Trace("dialog " + std::to_string(dialog.GetId()) + ": ok");
        dialog.ClickButton(OkButtonId);
        return true;
    case DialogStep::Cancel:
        Trace("dialog " + std::to_string(dialog.GetId()) + ": cancel");
        dialog.ClickButton(CancelButtonId);
        return true;
    }
    return false;
}

void UserQueue::Trace(const std::string& line)
{
    if (traceSink)
        traceSink(line);
}

} // namespace Host
