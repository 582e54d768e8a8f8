// Escaping of texts for HTML and SVG, estimated text widths, compact numbers for coordinates.
#include "ReportMarkup.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Runner::Report {

void AppendEscaped(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
}

std::string Escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendEscaped(out, text);
    return out;
}

namespace {

// Advance of one character in ems, close to DejaVu Sans (the font Debian's browsers fall back to)
// and wider than the other common sans-serif fonts.
double Advance(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return 0.64;
    if (c >= 'A' && c <= 'Z')
        return c == 'W' ? 0.99 : c == 'M' ? 0.87 : 0.72;
    if (c == 'm')
        return 0.98;
    if (c == 'w')
        return 0.82;
    if (c == 'i' || c == 'j' || c == 'l')
        return 0.3;
    if (c == 'f' || c == 't' || c == 'r')
        return 0.42;
    if (c == 'c' || c == 's' || c == 'z')
        return 0.56;
    if (c >= 'a' && c <= 'z')
        return 0.63;
    if (c == ' ' || c == '.' || c == ',' || c == ':' || c == '\'' || c == '-')
        return 0.36;
    return 0.7;
}

// Length of the UTF-8 sequence that starts with `lead`.
std::size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

} // namespace

double TextWidth(std::string_view text, double size, bool bold)
{
    double ems = 0.0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        // Two-byte sequences are mostly accented Latin letters (ä, é, ß); others may be wide.
        ems += lead < 0x80 ? Advance(lead) : lead < 0xE0 ? 0.66 : 0.9;
        i += SequenceLength(lead);
    }
    return ems * size * (bold ? 1.1 : 1.0);
}

std::string FitText(std::string_view text, double size, double width, bool bold)
{
    if (TextWidth(text, size, bold) <= width)
        return std::string(text);
    const std::string_view ellipsis = "\u2026";
    double used = TextWidth(ellipsis, size, bold);
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = std::min(SequenceLength(lead), text.size() - i);
        const double advance = TextWidth(text.substr(i, length), size, bold);
        if (used + advance > width)
            break;
        used += advance;
        i += length;
        end = i;
    }
    if (used > width)
        return std::string();
    return std::string(text.substr(0, end)) + std::string(ellipsis);
}

void AppendNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    const double tenths = std::round(value * 10.0);
    char buffer[32];
    const auto whole = static_cast<long long>(tenths);
    const bool negative = whole < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(whole) : whole;
    if (negative && magnitude != 0)
        out += '-';
    auto [end, code] = std::to_chars(buffer, buffer + sizeof buffer, magnitude / 10);
    (void)code;
    out.append(buffer, end);
    if (magnitude % 10 != 0) {
        out += '.';
        out += static_cast<char>('0' + magnitude % 10);
    }
}

Tag::Tag(std::string& out, std::string_view name, std::string_view className) : out(out)
{
    out += '<';
    out += name;
    if (!className.empty())
        Text("class", className);
}

// A number needs no quotes in HTML, and a report of tens of thousands of zones has hundreds of
// thousands of them.
Tag& Tag::Number(std::string_view name, double value)
{
    out += ' ';
    out += name;
    out += '=';
    AppendNumber(out, value);
    bare = true;
    return *this;
}

Tag& Tag::Text(std::string_view name, std::string_view value)
{
    out += ' ';
    out += name;
    out += "=\"";
    AppendEscaped(out, value);
    out += '"';
    bare = false;
    return *this;
}

void Tag::Close()
{
    // An unquoted value would take the slash in.
    out += bare ? " />" : "/>";
}

void Tag::Open()
{
    out += '>';
}

} // namespace Runner::Report
