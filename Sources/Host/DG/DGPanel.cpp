// DG: panels built from a layout resource, their items, and the routing of user actions to the
// observers.
#include <algorithm>

#include "../RS/RS.hpp"
#include "DG.hpp"
#include "DGTrace.hpp"

namespace DG {

namespace {

template <typename T> void AddOnce(std::vector<T*>& list, T* entry)
{
    if (std::find(list.begin(), list.end(), entry) == list.end())
        list.push_back(entry);
}

template <typename T> void Remove(std::vector<T*>& list, T* entry)
{
    list.erase(std::remove(list.begin(), list.end(), entry), list.end());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Panel

Panel::Panel(GSResModule module, short resId, const char* expectedKind) : resModule(module)
{
    const RS::PanelResource* layout = RS::GetPanel(module, resId);
    if (layout == nullptr || (expectedKind != nullptr && layout->kind != expectedKind)) {
        Trace(std::string(expectedKind != nullptr ? expectedKind : "panel") + " " + std::to_string(resId) +
              " missing in resource module " + std::to_string(module));
        return;
    }
    panelId = layout->id;
    title = layout->title;
    width = layout->width;
    height = layout->height;
}

Panel::~Panel()
{
    // Items normally go first (they are members of the derived class); any left over forget us.
    for (Item* item : items)
        item->panel = nullptr;
}

std::string Panel::TraceName() const
{
    const RS::PanelResource* layout = RS::GetPanel(resModule, panelId);
    return (layout != nullptr ? layout->kind : std::string("panel")) + " " + std::to_string(panelId);
}

void Panel::Attach(PanelObserver& observer)
{
    AddOnce(observers, &observer);
}
void Panel::Detach(PanelObserver& observer)
{
    Remove(observers, &observer);
}

void Panel::EnableItems()
{
    for (Item* item : items)
        item->Enable();
}

void Panel::DisableItems()
{
    for (Item* item : items)
        item->Disable();
}

Item* Panel::GetItem(short itemId) const
{
    for (Item* item : items) {
        if (item->GetId() == itemId)
            return item;
    }
    return nullptr;
}

bool Panel::ClickButton(short itemId)
{
    Item* item = GetItem(itemId);
    if (item == nullptr || !item->IsValid() || !item->IsEnabled() || item->GetType() != "button")
        return false;
    Trace(TraceName() + " button " + std::to_string(itemId) + " " + Quote(item->GetText()));
    // Observers may detach (or close the panel) while they handle the click.
    const std::vector<ItemObserver*> current = item->GetObservers();
    const ButtonClickEvent event(item);
    for (ItemObserver* observer : current) {
        if (auto* buttonObserver = dynamic_cast<ButtonItemObserver*>(observer))
            buttonObserver->ButtonClicked(event);
    }
    return true;
}

void Panel::Resize(Int32 dh, Int32 dv)
{
    width += dh;
    height += dv;
    const std::vector<PanelObserver*> current = observers;
    const PanelResizeEvent event(this, dh, dv);
    for (PanelObserver* observer : current)
        observer->PanelResized(event);
}

bool Panel::RequestClose(bool accept)
{
    bool accepted = true;
    const std::vector<PanelObserver*> current = observers;
    const PanelCloseRequestEvent event(this, accept);
    for (PanelObserver* observer : current)
        observer->PanelCloseRequested(event, &accepted);
    if (accepted)
        CloseAccepted(accept);
    return accepted;
}

// ---------------------------------------------------------------------------------------------
// Item

Item::Item(const Panel& owner, short itemId) : panel(const_cast<Panel*>(&owner)), itemId(itemId)
{
    panel->items.push_back(this);
    if (const RS::PanelResource* layout = RS::GetPanel(panel->GetResModule(), panel->GetId())) {
        for (const RS::ItemResource& resource : layout->items) {
            if (resource.id != itemId)
                continue;
            valid = true;
            type = resource.type;
            x = resource.x;
            y = resource.y;
            width = resource.width;
            height = resource.height;
            text = resource.text;
            break;
        }
    }
}

Item::~Item()
{
    if (panel != nullptr)
        Remove(panel->items, this);
}

void Item::Attach(ItemObserver& observer)
{
    AddOnce(observers, &observer);
}
void Item::Detach(ItemObserver& observer)
{
    Remove(observers, &observer);
}

// ---------------------------------------------------------------------------------------------
// CompoundItemObserver

void CompoundItemObserver::AttachToAllItems(const Panel& panel)
{
    for (Item* item : panel.items)
        item->Attach(*this);
}

void CompoundItemObserver::DetachFromAllItems(const Panel& panel)
{
    for (Item* item : panel.items)
        item->Detach(*this);
}

} // namespace DG
