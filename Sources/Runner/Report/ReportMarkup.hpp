// Small pieces of HTML and SVG writing shared by the report's parts: escaping, text widths and
// coordinates.
#pragma once

#include <string>
#include <string_view>

namespace Runner::Report {

// Appends `text` with &, <, >, " and ' escaped, fit for element content and quoted attributes.
void AppendEscaped(std::string& out, std::string_view text);
std::string Escaped(std::string_view text);

// About how wide `text` (UTF-8) is in the report's sans-serif font at this size, in the same
// unit as the size; on the generous side, so that text measured to fit does fit.
double TextWidth(std::string_view text, double size, bool bold = false);

// `text` cut to at most `width` at this size, ending in "…" when cut (empty when not even that fits).
std::string FitText(std::string_view text, double size, double width, bool bold = false);

// Appends a plan coordinate (centimetres) with at most one decimal: "1250", "-33.5".
void AppendNumber(std::string& out, double value);

// Writes one element's start tag, attribute by attribute, so that drawing code reads as what it
// draws: Tag(out, "line").Number("x1", x1).Number("y1", y1)...Close();
class Tag {
public:
    Tag(std::string& out, std::string_view name, std::string_view className = {});
    Tag& Number(std::string_view name, double value);         // as AppendNumber writes it, unquoted
    Tag& Text(std::string_view name, std::string_view value); // escaped
    void Close();                                             // "/>": an element without content
    void Open();                                              // ">": content and the end tag follow

private:
    std::string& out;
    bool bare = false; // the last attribute's value is unquoted
};

} // namespace Runner::Report
