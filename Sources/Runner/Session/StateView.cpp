// The lazily built view of the session state that `expect` and `show` read.
#include "StateView.hpp"

#include "../Project/StateDump.hpp"

namespace Runner {

const Host::Element* StateView::Resolve(const ElementRef& ref) const
{
    const Host::Project& project = Project();
    if (ref.byTop) {
        int seen = 0;
        return FindArealistOfTop(project, ref.top, ref.nth, seen);
    }
    const Host::Element* element = FindByDumpId(project, ref.id);
    return element != nullptr && !element->deleted ? element : nullptr;
}

const Json* StateView::Entry(const Host::Element& element)
{
    if (element.deleted || (element.type != API_ZoneID && element.type != API_LabelID))
        return nullptr;
    auto found = entries.find(element.guid);
    if (found == entries.end())
        found = entries.emplace(element.guid, ElementEntry(Project(), element)).first;
    return &found->second;
}

std::size_t StateView::LiveCount(API_ElemTypeID type) const
{
    std::size_t count = 0;
    for (const Host::StoredElement* stored : Project().elements.OfType(type))
        count += stored->element.deleted ? 0 : 1;
    return count;
}

const std::vector<const Host::Element*>& StateView::Arealists()
{
    if (!arealists) {
        arealists.emplace();
        for (const Host::StoredElement* stored : Project().elements.OfType(API_LabelID))
            if (IsArealist(Project(), stored->element))
                arealists->push_back(&stored->element);
    }
    return *arealists;
}

const Json& StateView::Part(std::string_view key)
{
    auto found = parts.find(key);
    if (found == parts.end())
        found = parts.emplace(std::string(key), StatePart(app, key)).first;
    return found->second;
}

} // namespace Runner
