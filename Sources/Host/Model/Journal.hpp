// What one undo step changed: images of the elements, their links, the layers and the element
// counters it touched, taken before its first change and when it closes. Undo puts the
// before-images back, redo the after-images; the rest of the project is not involved. An element
// whose links alone changed (a bulk update relinks every zone) is imaged by its links alone.
#pragma once

#include <optional>
#include <unordered_map>
#include <vector>

#include "ElementStore.hpp"

namespace Host {

struct Model;

class Journal {
public:
    struct ElementChange {
        API_Guid guid;
        ElementImage before; // does not exist: the step created the element
        ElementImage after;
    };

    // Called by the model before it changes `parts` of an element; only the first call per part
    // and element counts.
    void NoteElement(const API_Guid& guid, const StoredElement* current, unsigned parts);
    void NoteCounters(const ElementStore::Counters& counters);
    void NoteLayers(const std::vector<Layer>& layers);

    bool Empty() const { return elements.empty() && !counters && !layers; }
    // Takes the after-images from the model as the step ends, and drops what ended as it began:
    // a step whose changes all cancel out is empty then.
    void Close(const Model& model);
    // Element names are the runner's, not the model's: they survive undo and redo.
    void Revert(Model& model);
    void Reapply(Model& model);

    const std::vector<ElementChange>& Elements() const { return elements; }

private:
    void CarryNames(const Model& model);
    void PutBack(Model& model, bool before);

    struct CounterChange {
        ElementStore::Counters before, after;
    };
    struct LayerChange {
        std::vector<Layer> before, after;
    };
    std::vector<ElementChange> elements;
    std::unordered_map<API_Guid, std::size_t> noted;
    std::optional<CounterChange> counters;
    std::optional<LayerChange> layers;
};

} // namespace Host
