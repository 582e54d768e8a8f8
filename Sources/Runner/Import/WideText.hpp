// Texts from the IFC library (wide strings holding UTF-16 units or code points) as UTF-8, cut to
// the length the project file allows.
#pragma once

#include <string>

namespace Runner::Import {

// UTF-8 of `text`; surrogate pairs are joined and lone surrogates become U+FFFD. When the text has
// more than `maxUnits` UTF-16 units it is cut at a character boundary and `cut` is set.
std::string ToUtf8(const std::wstring& text, std::size_t maxUnits, bool* cut = nullptr);

} // namespace Runner::Import
