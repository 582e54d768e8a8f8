// Keeping the elements an undo or redo takes away readable as deleted for the span of its series.
#include "VanishedElements.hpp"

#include <algorithm>

namespace Host {

// Takes the image of `guid` as the step left it, once: whole for a vanished element, its links
// for a partner.
void VanishedElements::Keep(const ElementStore& store, const API_Guid& guid, bool whole)
{
    if (std::any_of(left.begin(), left.end(), [&](const auto& kept) { return kept.first == guid; }))
        return;
    ElementImage image;
    const StoredElement* stored = store.FindStored(guid);
    image.exists = stored != nullptr;
    if (stored != nullptr) {
        if (whole)
            image.element = stored->element;
        image.links = ElementImage::LinkLists{stored->linksFrom, stored->linksTo};
    }
    left.emplace_back(guid, std::move(image));
}

void VanishedElements::LeaveAsDeleted(HostSession& session)
{
    ElementStore& store = session.project.elements;
    for (const StoredElement& vanished : elements)
        Keep(store, vanished.element.guid, true);
    for (const StoredElement& vanished : elements) {
        const auto keepPartner = [&](const LinkList::Entry& link) {
            if (store.Find(link.partner) != nullptr)
                Keep(store, link.partner, false);
        };
        vanished.linksFrom.ForEach(keepPartner);
        vanished.linksTo.ForEach(keepPartner);
    }

    for (const StoredElement& vanished : elements) {
        ElementImage deleted;
        deleted.exists = true;
        deleted.element = vanished.element;
        deleted.element->deleted = true;
        deleted.links = ElementImage::LinkLists{};
        store.Restore(vanished.element.guid, deleted);
        session.deletedInSeries.push_back(vanished.element.guid);
    }
    // Partners the step took away with them are not there to link to. The partner's side of a
    // link carries no flags.
    for (const StoredElement& vanished : elements) {
        const API_Guid& guid = vanished.element.guid;
        vanished.linksFrom.ForEach([&](const LinkList::Entry& link) { store.Link(guid, link.partner, link.flags); });
        vanished.linksTo.ForEach([&](const LinkList::Entry& link) { store.Link(link.partner, guid, 0); });
    }
}

void VanishedElements::TakeAway(HostSession& session)
{
    for (const auto& [guid, image] : left)
        session.project.elements.Restore(guid, image);
    auto& deleted = session.deletedInSeries;
    for (const StoredElement& vanished : elements)
        deleted.erase(std::remove(deleted.begin(), deleted.end(), vanished.element.guid), deleted.end());
}

} // namespace Host
