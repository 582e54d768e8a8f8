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

void Journal::NoteElement(const API_Guid& guid, const StoredElement* current)
{
    if (noted.count(guid) != 0)
        return;
    noted.emplace(guid, elements.size());
    ElementChange change;
    change.guid = guid;
    if (current != nullptr)
        change.before = *current;
    elements.push_back(std::move(change));
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

// Elements that ended the step as they began it (a bulk update unlinks and relinks every zone)
// need no images: the step keeps only what it changed.
void Journal::Close(const Model& model)
{
    std::vector<ElementChange> changed;
    changed.reserve(elements.size());
    for (ElementChange& change : elements) {
        const StoredElement* now = model.elements.FindStored(change.guid);
        const bool same = now != nullptr ? change.before && *change.before == *now : !change.before;
        if (same)
            continue;
        if (now != nullptr)
            change.after = *now;
        changed.push_back(std::move(change));
    }
    elements = std::move(changed);
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
            for (std::optional<StoredElement>* image : {&change.before, &change.after})
                if (*image)
                    (*image)->element.id = now->id;
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
