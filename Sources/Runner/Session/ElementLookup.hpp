// Finding the element a session names: by its id (through the GUID index wherever the id allows)
// or as the n-th live Arealist of a TOP. The session player and `expect` resolve alike.
#pragma once

#include <string>

#include "../../Host/Model/Project.hpp"

namespace Runner {

// Whether a host text reads as a UTF-8 text (as comparing its ToUtf8() would tell), mostly
// without converting it: texts without lone surrogates convert one to one.
class TextMatch {
public:
    explicit TextMatch(std::string utf8);
    bool operator()(const GS::UniString& text) const { return byUnits ? text == units : text.ToUtf8() == utf8; }

private:
    std::string utf8;
    GS::UniString units;
    bool byUnits;
};

// The element, live or deleted, whose dump id (its id, or its GUID string when it has none) is
// `id`; null when none.
const Host::Element* FindByDumpId(const Host::Project& project, const std::string& id);

// The `nth` live Arealist (from 1, in creation order) whose TOP is `top`; null when there are
// fewer, with `seen` the number there are.
const Host::Element* FindArealistOfTop(const Host::Project& project, const std::string& top, int nth, int& seen);

} // namespace Runner
