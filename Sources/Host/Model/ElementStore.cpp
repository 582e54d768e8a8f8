// The element store: lookups that stay exact after every change, and changes that record the
// before-image of what they touch in the attached journal.
#include "ElementStore.hpp"

#include <algorithm>

#include "Journal.hpp"

namespace Host {

namespace {

bool EarlierCreated(const StoredElement* stored, UInt64 creationOrder)
{
    return stored->element.creationOrder < creationOrder;
}

} // namespace

bool StoredElement::operator==(const StoredElement& other) const
{
    return SameElement(element, other.element) && linksFrom == other.linksFrom && linksTo == other.linksTo;
}

ElementStore::ElementStore(const ElementStore& other)
{
    *this = other;
}

// A copy is a value of its own: it records nothing until a journal is attached to it.
ElementStore& ElementStore::operator=(const ElementStore& other)
{
    if (this == &other)
        return *this;
    order.clear();
    order.reserve(other.order.size());
    for (const auto& stored : other.order)
        order.push_back(std::make_unique<StoredElement>(*stored));
    nextCreationOrder = other.nextCreationOrder;
    generatedGuids = other.generatedGuids;
    journal = nullptr;
    Reindex();
    return *this;
}

void ElementStore::Reindex()
{
    byGuid.Clear();
    byGuid.Reserve(order.size());
    byType.clear();
    byId.Clear();
    byId.Reserve(order.size());
    for (const auto& stored : order) {
        byGuid.Insert(stored->element.guid, stored.get());
        byType[Int32(stored->element.type)].push_back(stored.get());
        IndexId(stored.get());
    }
}

void ElementStore::IndexId(const StoredElement* stored)
{
    byId.Insert(stored);
}

void ElementStore::UnindexId(const StoredElement* stored)
{
    byId.Erase(stored);
}

const Element* ElementStore::FindById(const std::string& id) const
{
    const StoredElement* found = byId.Find(id);
    return found == nullptr ? nullptr : &found->element;
}

const StoredElement* ElementStore::FindStored(const API_Guid& guid) const
{
    return byGuid.Find(guid);
}

StoredElement* ElementStore::FindMutable(const API_Guid& guid)
{
    return byGuid.Find(guid);
}

const Element* ElementStore::Find(const API_Guid& guid) const
{
    const StoredElement* stored = FindStored(guid);
    return stored == nullptr ? nullptr : &stored->element;
}

const LinkList* ElementStore::LinksFrom(const API_Guid& guid) const
{
    const StoredElement* stored = FindStored(guid);
    return stored == nullptr ? nullptr : &stored->linksFrom;
}

const std::vector<const StoredElement*>& ElementStore::OfType(API_ElemTypeID type) const
{
    static const std::vector<const StoredElement*> none;
    auto found = byType.find(Int32(type));
    return found == byType.end() ? none : found->second;
}

void ElementStore::Note(const API_Guid& guid, unsigned parts)
{
    if (journal != nullptr)
        journal->NoteElement(guid, FindStored(guid), parts);
}

void ElementStore::NoteCounters()
{
    if (journal != nullptr)
        journal->NoteCounters(GetCounters());
}

Element* ElementStore::Edit(const API_Guid& guid)
{
    StoredElement* stored = FindMutable(guid);
    if (stored == nullptr)
        return nullptr;
    Note(guid, ElementImage::Data);
    return &stored->element;
}

Element& ElementStore::Add(Element element)
{
    // The callers hand out fresh GUIDs; a taken one leaves the store as it is rather than
    // giving one GUID two elements.
    if (StoredElement* taken = FindMutable(element.guid))
        return taken->element;
    Note(element.guid, ElementImage::Whole);
    NoteCounters();
    element.creationOrder = nextCreationOrder++;
    auto stored = std::make_unique<StoredElement>();
    stored->element = std::move(element);
    StoredElement* added = stored.get();
    Insert(std::move(stored));
    return added->element;
}

bool ElementStore::Link(const API_Guid& from, const API_Guid& to, GSFlags flags)
{
    StoredElement* source = FindMutable(from);
    StoredElement* target = FindMutable(to);
    if (source == nullptr || target == nullptr || source->linksFrom.Contains(to))
        return false;
    Note(from, ElementImage::Links);
    Note(to, ElementImage::Links);
    source->linksFrom.Add(to, flags);
    target->linksTo.Add(from, 0);
    return true;
}

bool ElementStore::Unlink(const API_Guid& from, const API_Guid& to)
{
    StoredElement* source = FindMutable(from);
    StoredElement* target = FindMutable(to);
    if (source == nullptr || target == nullptr || !source->linksFrom.Contains(to))
        return false;
    Note(from, ElementImage::Links);
    Note(to, ElementImage::Links);
    source->linksFrom.Remove(to);
    target->linksTo.Remove(from);
    return true;
}

void ElementStore::UnlinkAll(const API_Guid& guid)
{
    StoredElement* stored = FindMutable(guid);
    if (stored == nullptr)
        return;
    for (const LinkList::Entry& entry : stored->linksFrom.Entries())
        Unlink(guid, entry.partner);
    for (const LinkList::Entry& entry : stored->linksTo.Entries())
        Unlink(entry.partner, guid);
}

void ElementStore::Reserve(std::size_t count)
{
    order.reserve(count);
    byGuid.Reserve(count);
    byId.Reserve(count);
}

bool ElementStore::Rename(const API_Guid& guid, const std::string& id)
{
    StoredElement* stored = FindMutable(guid);
    if (stored == nullptr)
        return false;
    UnindexId(stored);
    stored->element.id = id;
    IndexId(stored);
    return true;
}

UInt64 ElementStore::NextGeneratedNumber()
{
    NoteCounters();
    return ++generatedGuids;
}

void ElementStore::SetCounters(const Counters& counters)
{
    nextCreationOrder = counters.nextCreationOrder;
    generatedGuids = counters.generatedGuids;
}

// Elements are kept sorted by creation order. Undo removes and redo re-adds the newest elements,
// so both are O(1) at the end of the vectors; the binary search handles any other place.
void ElementStore::Insert(std::unique_ptr<StoredElement> stored)
{
    const UInt64 creationOrder = stored->element.creationOrder;
    StoredElement* raw = stored.get();
    auto at = std::lower_bound(order.begin(), order.end(), creationOrder, [](const auto& existing, UInt64 value) {
        return EarlierCreated(existing.get(), value);
    });
    order.insert(at, std::move(stored));
    byGuid.Insert(raw->element.guid, raw);
    IndexId(raw);
    auto& ofType = byType[Int32(raw->element.type)];
    ofType.insert(std::lower_bound(ofType.begin(), ofType.end(), creationOrder, EarlierCreated), raw);
}

void ElementStore::Remove(const API_Guid& guid)
{
    const StoredElement* stored = byGuid.Find(guid);
    if (stored == nullptr)
        return;
    const UInt64 creationOrder = stored->element.creationOrder;
    auto& ofType = byType[Int32(stored->element.type)];
    auto inType = std::lower_bound(ofType.begin(), ofType.end(), creationOrder, EarlierCreated);
    if (inType != ofType.end() && *inType == stored)
        ofType.erase(inType);
    UnindexId(stored);
    byGuid.Erase(guid);
    auto at = std::lower_bound(order.begin(), order.end(), creationOrder, [](const auto& existing, UInt64 value) {
        return EarlierCreated(existing.get(), value);
    });
    if (at != order.end() && at->get() == stored)
        order.erase(at);
}

void ElementStore::Restore(const API_Guid& guid, const ElementImage& image)
{
    if (!image.exists) {
        Remove(guid);
        return;
    }
    StoredElement* stored = FindMutable(guid);
    if (stored == nullptr) {
        // Redo of a creation: the image holds the whole element.
        auto restored = std::make_unique<StoredElement>();
        restored->element = *image.element;
        restored->linksFrom = image.links->from;
        restored->linksTo = image.links->to;
        Insert(std::move(restored));
        return;
    }
    if (image.element) {
        UnindexId(stored);
        stored->element = *image.element;
        IndexId(stored);
    }
    if (image.links) {
        stored->linksFrom = image.links->from;
        stored->linksTo = image.links->to;
    }
}

} // namespace Host
