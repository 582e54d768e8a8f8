// What `expect` and `show` read of the session's state, each part built when first read and kept
// while the view lives, so that looking at one element costs that element, not the whole dump.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "../../Host/Model/Application.hpp"
#include "../Project/JsonReader.hpp"
#include "ElementLookup.hpp"
#include "ElementRef.hpp"

namespace Runner {

class StateView {
public:
    explicit StateView(const Host::Application& app) : app(app) {}

    const Host::Project& Project() const { return app.GetProject(); }
    // The live element a reference names, as the session player resolves it; null when none.
    const Host::Element* Resolve(const ElementRef& ref) const;
    // The element's entry as the dump writes it; null unless it is a live zone or label.
    const Json* Entry(const Host::Element& element);
    // Live elements of a type, counted without building their entries.
    std::size_t LiveCount(API_ElemTypeID type) const;
    // The live Arealists in creation order.
    const std::vector<const Host::Element*>& Arealists();
    // A part of the dump besides its elements ("palette", "alerts", "undo", "layers", ...).
    const Json& Part(std::string_view key);

private:
    const Host::Application& app;
    std::unordered_map<API_Guid, Json> entries;
    std::optional<std::vector<const Host::Element*>> arealists;
    std::map<std::string, Json, std::less<>> parts;
};

} // namespace Runner
