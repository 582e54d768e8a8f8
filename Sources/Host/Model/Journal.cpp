// Recording an undo step as images of what it touched, and putting them back.
#include "Journal.hpp"

#include "Project.hpp"

namespace Host {

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

void Journal::Close(const Model& model)
{
    for (ElementChange& change : elements) {
        const StoredElement* now = model.elements.FindStored(change.guid);
        change.after = now != nullptr ? std::optional<StoredElement>(*now) : std::nullopt;
    }
    if (counters)
        counters->after = model.elements.GetCounters();
    if (layers)
        layers->after = model.layers;
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
    CarryNames(model);
    for (const ElementChange& change : elements)
        model.elements.Restore(change.guid, change.before);
    if (counters)
        model.elements.SetCounters(counters->before);
    if (layers)
        model.layers = layers->before;
}

void Journal::Reapply(Model& model)
{
    CarryNames(model);
    for (const ElementChange& change : elements)
        model.elements.Restore(change.guid, change.after);
    if (counters)
        model.elements.SetCounters(counters->after);
    if (layers)
        model.layers = layers->after;
}

} // namespace Host
