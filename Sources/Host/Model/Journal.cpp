// Recording an undo step as images of what it touched, and putting them back.
#include "Journal.hpp"

#include <algorithm>

#include "Project.hpp"

namespace Host {

namespace {
bool SameLayers(const std::vector<Layer>& a, const std::vector<Layer>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Layer& x, const Layer& y) {
        return x.index == y.index && x.name == y.name && x.flags == y.flags;
    });
}
} // namespace

void Journal::NoteElement(const API_Guid& guid, const StoredElement* current, unsigned parts)
{
    auto [at, fresh] = noted.try_emplace(guid, elements.size());
    if (fresh) {
        ElementChange change;
        change.guid = guid;
        change.before.exists = current != nullptr;
        elements.push_back(std::move(change));
    }
    ElementImage& before = elements[at->second].before;
    if (!before.exists)
        return; // created in this step: undo removes it whole
    if ((parts & ElementImage::Data) != 0 && !before.element)
        before.element = current->element;
    if ((parts & ElementImage::Links) != 0 && !before.links)
        before.links = ElementImage::LinkLists{current->linksFrom, current->linksTo};
}

void Journal::NoteCounters(const ElementStore::Counters& now)
{
    if (!counters)
        counters = CounterChange{now, now};
}

void Journal::NoteLayers(const std::vector<Layer>& now)
{
    if (!layers)
        layers = LayerChange{now, now};
}

namespace {

// The parts `before` holds, as the element has them now (every part of an element created since).
ElementImage ImageNow(const StoredElement* now, const ElementImage& before)
{
    ElementImage image;
    image.exists = now != nullptr;
    if (now == nullptr)
        return image;
    if (!before.exists || before.element)
        image.element = now->element;
    if (!before.exists || before.links)
        image.links = ElementImage::LinkLists{now->linksFrom, now->linksTo};
    return image;
}

bool SameImage(const ElementImage& a, const ElementImage& b)
{
    if (a.exists != b.exists || a.element.has_value() != b.element.has_value() || !(a.links == b.links))
        return false;
    return !a.element || SameElement(*a.element, *b.element);
}

} // namespace

// Elements that ended the step as they began it (a bulk update unlinks and relinks every zone)
// need no images: the step keeps only what it changed.
void Journal::Close(const Model& model)
{
    // Kept in place: a second list as long as the first would be fresh memory to fault in.
    std::size_t kept = 0;
    for (ElementChange& change : elements) {
        change.after = ImageNow(model.elements.FindStored(change.guid), change.before);
        if (SameImage(change.before, change.after))
            continue;
        if (&elements[kept] != &change)
            elements[kept] = std::move(change);
        ++kept;
    }
    elements.erase(elements.begin() + std::ptrdiff_t(kept), elements.end());
    elements.shrink_to_fit();
    noted.clear();
    if (counters) {
        counters->after = model.elements.GetCounters();
        if (counters->after == counters->before)
            counters.reset();
    }
    if (layers) {
        layers->after = model.layers;
        if (SameLayers(layers->after, layers->before))
            layers.reset();
    }
}

void Journal::CarryNames(const Model& model)
{
    for (ElementChange& change : elements)
        if (const Element* now = model.elements.Find(change.guid))
            for (ElementImage* image : {&change.before, &change.after})
                if (image->element)
                    image->element->id = now->id;
}

void Journal::Revert(Model& model)
{
    PutBack(model, true);
}

void Journal::Reapply(Model& model)
{
    PutBack(model, false);
}

void Journal::PutBack(Model& model, bool before)
{
    CarryNames(model);
    for (const ElementChange& change : elements)
        model.elements.Restore(change.guid, before ? change.before : change.after);
    if (counters)
        model.elements.SetCounters(before ? counters->before : counters->after);
    if (layers)
        model.layers = before ? layers->before : layers->after;
}

} // namespace Host
