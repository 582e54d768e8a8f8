// The lazily built view of the session state that `expect` and `show` read.
#include "StateView.hpp"

#include "../Host/GSRoot/GSGuid.hpp"
#include "StateDump.hpp"

namespace Runner {

namespace {

// Ids are unique among all elements, deleted ones included (the loader and new ids are checked),
// so the element found by GUID is the one a scan in creation order would find. Elements of a
// project file have GUIDs derived from their ids, and elements without an id are named by their
// GUID string; only ids given later (`name`, new elements) or beside an explicit GUID need a scan.
const Host::Element* FindByDumpId(const Host::Project& project, const std::string& id)
{
    if (const Host::Element* derived = project.Find(Host::GuidFromName(id)); derived != nullptr && derived->id == id)
        return derived;
    GS::Guid guid;
    if (guid.FromString(id.c_str())) {
        const Host::Element* named = project.Find(GSGuid2APIGuid(guid));
        if (named != nullptr && DumpId(*named) == id)
            return named;
    }
    for (const Host::Element& element : project.elements)
        if (!element.id.empty() && element.id == id)
            return &element;
    return nullptr;
}

} // namespace

TextMatch::TextMatch(std::string utf8) : utf8(std::move(utf8)), units(this->utf8)
{
    // A lone surrogate reads as U+FFFD, so a text holding that character may match a text that
    // differs unit by unit; so may any text that does not survive the way there and back.
    byUnits = units.ToUtf8() == this->utf8 && this->utf8.find("\xEF\xBF\xBD") == std::string::npos;
}

const Host::Element* StateView::Resolve(const ElementRef& ref) const
{
    const Host::Project& project = Project();
    if (!ref.byTop) {
        const Host::Element* element = FindByDumpId(project, ref.id);
        return element != nullptr && !element->deleted ? element : nullptr;
    }
    const TextMatch wanted(ref.top);
    int seen = 0;
    for (const Host::StoredElement* stored : project.elements.OfType(API_LabelID)) {
        const Host::Element& element = stored->element;
        if (!IsArealist(project, element))
            continue;
        const Host::Param* top = FindParam(element, "al_apartmentId");
        if (top != nullptr && wanted(top->text) && ++seen == ref.nth)
            return &element;
    }
    return nullptr;
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
