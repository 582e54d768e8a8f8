// A whole-project check for tests: once a step has closed, no live element keeps a link to an
// element that is deleted or that the project no longer holds.
#include "Project.hpp"

namespace Host {

namespace {

std::string Name(const Element& element)
{
    return element.id.empty() ? APIGuidToString(element.guid).ToUtf8() : element.id;
}

// Empty when `partner` is a live element of the project.
std::string GonePartner(const Project& project, const API_Guid& partner)
{
    const Element* element = project.Find(partner);
    if (element == nullptr)
        return "unknown element " + APIGuidToString(partner).ToUtf8();
    return element->deleted ? "deleted " + Name(*element) : "";
}

} // namespace

std::string LinkToGoneElement(const Project& project)
{
    for (const Element& element : project.elements) {
        if (element.deleted)
            continue;
        const StoredElement* stored = project.elements.FindStored(element.guid);
        for (const LinkList::Entry& link : stored->linksFrom.Entries())
            if (const std::string gone = GonePartner(project, link.partner); !gone.empty())
                return Name(element) + " links to " + gone;
        for (const LinkList::Entry& link : stored->linksTo.Entries())
            if (const std::string gone = GonePartner(project, link.partner); !gone.empty())
                return Name(element) + " is linked from " + gone;
    }
    return "";
}

} // namespace Host
