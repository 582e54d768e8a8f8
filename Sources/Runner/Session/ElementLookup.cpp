// Finding the element a session names, by id or by TOP.
#include "ElementLookup.hpp"

#include "../../Host/GSRoot/GSGuid.hpp"
#include "../Project/StateDump.hpp"

namespace Runner {

TextMatch::TextMatch(std::string utf8) : utf8(std::move(utf8)), units(this->utf8)
{
    // A lone surrogate reads as U+FFFD, so a text holding that character may match a text that
    // differs unit by unit; so may any text that does not survive the way there and back.
    byUnits = units.ToUtf8() == this->utf8 && this->utf8.find("\xEF\xBF\xBD") == std::string::npos;
}

// Ids are unique among all elements, deleted ones included (the loader and new ids are checked),
// so the element found by GUID is the one a scan in creation order would find. Elements of a
// project file have GUIDs derived from their ids, and elements without an id are named by their
// GUID string; all others (ids given later, beside an explicit GUID, or imported zones, which
// keep the model's GUID) are found through the store's index of ids.
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
    return project.elements.FindById(id);
}

const Host::Element* FindArealistOfTop(const Host::Project& project, const std::string& top, int nth, int& seen)
{
    const TextMatch wanted(top);
    seen = 0;
    for (const Host::StoredElement* stored : project.elements.OfType(API_LabelID)) {
        const Host::Element& element = stored->element;
        if (!IsArealist(project, element))
            continue;
        const Host::Param* param = FindParam(element, "al_apartmentId");
        if (param != nullptr && wanted(param->text) && ++seen == nth)
            return &element;
    }
    return nullptr;
}

} // namespace Runner
