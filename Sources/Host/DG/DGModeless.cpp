// DG: modal dialogs played by the user agent, modeless windows and the registry of palettes.
#include <map>

#include "DG.hpp"
#include "DGTrace.hpp"

namespace DG {

namespace {

struct GuidLess {
    bool operator()(const GS::Guid& a, const GS::Guid& b) const { return std::memcmp(&a, &b, sizeof(GS::Guid)) < 0; }
};

std::map<GS::Guid, Palette*, GuidLess>& Palettes()
{
    static std::map<GS::Guid, Palette*, GuidLess> palettes;
    return palettes;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// ModalDialog

ModalDialog::ModalDialog(GSResModule dialogModule, short resId, GSResModule /*iconModule*/)
    : Panel(dialogModule, resId, "dialog")
{
}

void ModalDialog::PostCloseRequest(ModalResponse response)
{
    closeRequested = true;
    pendingResponse = response;
}

void ModalDialog::CloseAccepted(bool accept)
{
    closed = true;
    accepted = accept;
}

bool ModalDialog::Invoke()
{
    if (GetId() == 0 || open)
        return false;
    open = true;
    closed = false;
    accepted = false;
    closeRequested = false;
    Trace(TraceName() + " opened " + Quote(GetTitle()));
    {
        const std::vector<PanelObserver*> current = observers;
        const PanelOpenEvent event(this);
        for (PanelObserver* observer : current)
            observer->PanelOpened(event);
    }
    UserAgent* agent = GetUserAgent();
    int step = 0;
    while (!closed) {
        if (agent == nullptr || step >= MaxSteps || !agent->PlayModalStep(*this)) {
            // Nobody left to work with the dialog: it is cancelled, whatever the observers say.
            RequestClose(false);
            closed = true;
            accepted = false;
            break;
        }
        ++step;
        Trace(TraceName() + " step " + std::to_string(step));
        if (closeRequested) {
            closeRequested = false;
            if (!RequestClose(pendingResponse == Accept))
                Trace(TraceName() + " close refused");
        }
    }
    Trace(TraceName() + " closed: " + (accepted ? "accepted" : "cancelled"));
    {
        const std::vector<PanelObserver*> current = observers;
        const PanelCloseEvent event(this);
        for (PanelObserver* observer : current)
            observer->PanelClosed(event);
    }
    open = false;
    return accepted;
}

// ---------------------------------------------------------------------------------------------
// ModelessBase

ModelessBase::ModelessBase(GSResModule module, short resId, const char* expectedKind)
    : Panel(module, resId, expectedKind)
{
}

void ModelessBase::Show(short /*refDialId*/)
{
    if (GetId() == 0 || visible)
        return;
    visible = true;
    Trace(TraceName() + " shown");
    if (!opened) {
        // The window opens with its first showing; hiding keeps it open.
        opened = true;
        const std::vector<PanelObserver*> current = observers;
        const PanelOpenEvent event(this);
        for (PanelObserver* observer : current)
            observer->PanelOpened(event);
    }
}

void ModelessBase::Hide()
{
    if (!visible)
        return;
    visible = false;
    Trace(TraceName() + " hidden");
}

void ModelessBase::CloseAccepted(bool /*accept*/)
{
    Hide();
}

// ---------------------------------------------------------------------------------------------
// Palette

Palette::Palette(GSResModule module, short resId, GSResModule /*iconModule*/, const GS::Guid& guid)
    : ModelessBase(module, resId, "palette"), guid(guid)
{
    Palettes()[guid] = this; // the newest palette of an identity is the one the host finds
}

Palette::~Palette()
{
    auto found = Palettes().find(guid);
    if (found != Palettes().end() && found->second == this)
        Palettes().erase(found);
}

Palette* FindPalette(const GS::Guid& guid)
{
    auto found = Palettes().find(guid);
    return found == Palettes().end() ? nullptr : found->second;
}

} // namespace DG
