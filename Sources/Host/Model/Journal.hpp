// What one undo step changed: images of the elements (with their links), the layers and the
// element counters it touched, taken before its first change and when it closes. Undo puts
// the before-images back, redo the after-images; the rest of the project is not involved.
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
        std::optional<StoredElement> before; // nullopt: the element did not exist yet
        std::optional<StoredElement> after;  // nullopt: undo of its creation removed it
    };

    // Called by the model before it changes something; only the first call per item counts.
    void NoteElement(const API_Guid& guid, const StoredElement* current);
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
