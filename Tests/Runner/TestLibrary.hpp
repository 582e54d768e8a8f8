// The library a project opens with in loader tests: the host's own parts and an "Arealist" label
// part with a string TOP and a numeric array, as the add-on registers it.
#pragma once

#include "../../Sources/Host/Model/Project.hpp"

inline std::vector<Host::LibPart> TestLibrary()
{
    std::vector<Host::LibPart> parts = Host::HostLibrary();
    Host::LibPart arealist;
    arealist.index = Int32(parts.size() + 1);
    arealist.name = "Arealist";
    arealist.kind = "label";
    arealist.builtIn = true;
    Host::Param top;
    top.name = "al_apartmentId";
    top.type = APIParT_CString;
    Host::Param lines;
    lines.name = "al_lines";
    lines.isArray = true;
    lines.dim1 = 1;
    lines.dim2 = 1;
    lines.numbers = {-2};
    arealist.params = {top, lines};
    parts.push_back(arealist);
    return parts;
}
