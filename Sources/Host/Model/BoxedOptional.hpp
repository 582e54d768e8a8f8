// An optional value kept on the heap: as small as a pointer while empty. Undo images hold an
// element's record (over 400 bytes) or its links only where the step touched them, and a bulk
// update notes tens of thousands of images: inline optionals made each of them over a kilobyte,
// and the journal's growth copied and faulted in all of that.
#pragma once

#include <memory>
#include <utility>

namespace Host {

template <typename T> class BoxedOptional {
public:
    BoxedOptional() = default;
    BoxedOptional(const T& value) : box(std::make_unique<T>(value)) {}
    BoxedOptional(T&& value) : box(std::make_unique<T>(std::move(value))) {}
    BoxedOptional(const BoxedOptional& other) : box(other.box ? std::make_unique<T>(*other.box) : nullptr) {}
    BoxedOptional(BoxedOptional&&) noexcept = default;
    BoxedOptional& operator=(const BoxedOptional& other)
    {
        if (this != &other)
            box = other.box ? std::make_unique<T>(*other.box) : nullptr;
        return *this;
    }
    BoxedOptional& operator=(BoxedOptional&&) noexcept = default;
    BoxedOptional& operator=(const T& value)
    {
        if (box)
            *box = value;
        else
            box = std::make_unique<T>(value);
        return *this;
    }
    BoxedOptional& operator=(T&& value)
    {
        if (box)
            *box = std::move(value);
        else
            box = std::make_unique<T>(std::move(value));
        return *this;
    }

    bool has_value() const { return box != nullptr; }
    explicit operator bool() const { return has_value(); }
    void reset() { box.reset(); }
    T& operator*() { return *box; }
    const T& operator*() const { return *box; }
    T* operator->() { return box.get(); }
    const T* operator->() const { return box.get(); }

    // Empty equals empty; values compare as values.
    bool operator==(const BoxedOptional& other) const
    {
        return box == nullptr || other.box == nullptr ? box == other.box : *box == *other.box;
    }

private:
    std::unique_ptr<T> box;
};

} // namespace Host
