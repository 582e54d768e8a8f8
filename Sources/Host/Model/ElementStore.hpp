// The project's elements with their links: creation order, an exact GUID index, a list per element
// type, and the links of each element kept with it. Every change passes through this class and
// is recorded in the journal of the running undo step, so that no operation has to remember to.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "BoxedOptional.hpp"
#include "GuidIndex.hpp"
#include "IdIndex.hpp"
#include "LinkList.hpp"
#include "ModelTypes.hpp"

namespace Host {

class Journal;

// One element and its links, as the store keeps it and as undo images hold it.
struct StoredElement {
    Element element;
    LinkList linksFrom; // links made from this element, in the order they were made
    LinkList linksTo;   // the elements that link to this one

    bool operator==(const StoredElement& other) const;
};

// An element as an undo step saw it: whether it existed, and those of its parts the step touched
// (all of them for an element the step created).
struct ElementImage {
    enum Part : unsigned { Data = 1, Links = 2, Whole = Data | Links };
    struct LinkLists {
        LinkList from, to;
        bool operator==(const LinkLists&) const = default;
    };
    bool exists = false;
    BoxedOptional<Element> element;
    BoxedOptional<LinkLists> links;
};

class ElementStore {
public:
    ElementStore() = default;
    ElementStore(const ElementStore& other);
    ElementStore& operator=(const ElementStore& other);
    ElementStore(ElementStore&&) noexcept = default;
    ElementStore& operator=(ElementStore&&) noexcept = default;

    // --- Reading ---------------------------------------------------------------------------
    const Element* Find(const API_Guid& guid) const;
    const StoredElement* FindStored(const API_Guid& guid) const;
    const LinkList* LinksFrom(const API_Guid& guid) const;
    // The earliest created element (live or deleted) whose id is `id`; null when none or `id` is
    // empty. Cost: one hash lookup, whatever the element's GUID.
    const Element* FindById(const std::string& id) const;
    std::size_t size() const { return order.size(); }
    bool empty() const { return order.empty(); }
    const Element& operator[](std::size_t position) const { return order[position]->element; }
    const Element& front() const { return order.front()->element; }
    const Element& back() const { return order.back()->element; }
    // The elements of one type in creation order, deleted ones included.
    const std::vector<const StoredElement*>& OfType(API_ElemTypeID type) const;
    UInt64 NextCreationOrder() const { return nextCreationOrder; }

    // Elements in creation order, deleted ones included.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Element;
        using difference_type = std::ptrdiff_t;
        using pointer = const Element*;
        using reference = const Element&;
        explicit const_iterator(std::vector<std::unique_ptr<StoredElement>>::const_iterator at) : at(at) {}
        const Element& operator*() const { return (*at)->element; }
        const Element* operator->() const { return &(*at)->element; }
        const_iterator& operator++()
        {
            ++at;
            return *this;
        }
        bool operator==(const const_iterator& other) const = default;

    private:
        std::vector<std::unique_ptr<StoredElement>>::const_iterator at;
    };
    const_iterator begin() const { return const_iterator(order.begin()); }
    const_iterator end() const { return const_iterator(order.end()); }

    // --- Changing: each change first records the elements it touches ---------------------------
    // The element to change in place; nullptr for an unknown GUID. Its id changes only through
    // Rename, which keeps the index of ids.
    Element* Edit(const API_Guid& guid);
    // Appends a new element with the next creation order. Its GUID must not be in the store.
    Element& Add(Element element);
    // Both ends must be in the store. False when the link exists (Link) or does not (Unlink).
    bool Link(const API_Guid& from, const API_Guid& to, GSFlags flags);
    bool Unlink(const API_Guid& from, const API_Guid& to);
    // Removes every link from and to the element.
    void UnlinkAll(const API_Guid& guid);
    // Names are the runner's, not the model's: renaming records nothing. False for an unknown GUID.
    bool Rename(const API_Guid& guid, const std::string& id);
    // A counter for generated GUIDs that undo takes back with the elements.
    UInt64 NextGeneratedNumber();

    // Room for this many elements without growing the tables again (loading a project).
    void Reserve(std::size_t count);

    // The journal that records changes from now on (nullptr: changes are not recorded).
    void Attach(Journal* journal) { this->journal = journal; }

    // --- For undo: puts back what an image holds of an element (removes it when it did not exist)
    void Restore(const API_Guid& guid, const ElementImage& image);
    struct Counters {
        UInt64 nextCreationOrder = 1;
        UInt64 generatedGuids = 0;
        bool operator==(const Counters&) const = default;
    };
    Counters GetCounters() const { return Counters{nextCreationOrder, generatedGuids}; }
    void SetCounters(const Counters& counters);

private:
    StoredElement* FindMutable(const API_Guid& guid);
    void Note(const API_Guid& guid, unsigned parts);
    void NoteCounters();
    void Insert(std::unique_ptr<StoredElement> stored);
    void Remove(const API_Guid& guid);
    void Reindex();
    void IndexId(const StoredElement* stored);
    void UnindexId(const StoredElement* stored);

    std::vector<std::unique_ptr<StoredElement>> order; // by creation order
    GuidIndex byGuid;
    IdIndex byId;
    std::unordered_map<Int32, std::vector<const StoredElement*>> byType;
    UInt64 nextCreationOrder = 1;
    UInt64 generatedGuids = 0;
    Journal* journal = nullptr;
};

} // namespace Host
