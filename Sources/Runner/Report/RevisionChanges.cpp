// The changes of a new model version as text, table rows and the report's section.
#include "RevisionChanges.hpp"

#include "ReportMarkup.hpp"

namespace Runner::Report {

namespace {

struct ChangeTexts {
    std::string heading;  // followed by the previous state's file name
    std::string kinds[4]; // Added, Removed, OtherTop, Changed
    std::vector<std::string> headers;
    std::string fields[8]; // in the order of the ZoneField bits
    std::string notPlayed, noTop, topAreas, top, unchangedOne, unchangedMany, noChanges, newArealists;
};

const ChangeTexts& Texts(Language language)
{
    static const ChangeTexts english = {
        "Changes since",
        {"added", "removed", "to another TOP", "changed"},
        {"Change", "Storey", "Number", "Name", "TOP before", "TOP after", "Area before", "Area after", "Difference",
         "What changed", "Zone id"},
        {"TOP", "area", "quantities 2-5", "number", "name", "category", "outline", "storey"},
        "not played",
        "no TOP",
        "TOP areas",
        "TOP",
        "other TOP unchanged",
        "other TOPs unchanged",
        "no zone changed",
        "new Arealists for",
    };
    static const ChangeTexts german = {
        "Änderungen seit",
        {"hinzugefügt", "entfernt", "in ein anderes TOP", "geändert"},
        {"Änderung", "Geschoss", "Nummer", "Name", "TOP vorher", "TOP nachher", "Fläche vorher", "Fläche nachher",
         "Differenz", "Was sich änderte", "Zonen-ID"},
        {"TOP", "Fläche", "Flächen 2-5", "Nummer", "Name", "Kategorie", "Umriss", "Geschoss"},
        "nicht ausgeführt",
        "kein TOP",
        "Flächen der TOPs",
        "TOP",
        "weiteres TOP unverändert",
        "weitere TOPs unverändert",
        "keine Zone geändert",
        "neue Arealists für",
    };
    return language == Language::German ? german : english;
}

std::string Signed(Centi difference, Language language)
{
    return (difference > 0 ? "+" : "") + FormatArea(difference, language);
}

std::string TopText(const std::optional<ZoneFacts>& facts, const ChangeTexts& texts)
{
    if (!facts)
        return std::string();
    return facts->top ? *facts->top : "(" + texts.noTop + ")";
}

std::string AreaText(const std::optional<ZoneFacts>& facts, Language language)
{
    return facts ? FormatArea(RoundArea(facts->quantities[0]), language) : std::string();
}

Centi AreaOf(const std::optional<ZoneFacts>& facts)
{
    return facts ? RoundArea(facts->quantities[0]) : 0;
}

std::string FieldList(unsigned fields, const ChangeTexts& texts)
{
    std::string list;
    for (unsigned bit = 0; bit < 8; ++bit)
        if ((fields & (1u << bit)) != 0)
            list += (list.empty() ? "" : ", ") + texts.fields[bit];
    return list;
}

// What changed in words, with the texts before and after: `name "Bad" -> "Bad 2"`.
std::string Details(const ZoneChange& change, const ChangeTexts& texts)
{
    if (!change.before || !change.after)
        return std::string();
    std::string details;
    auto add = [&](unsigned field, const std::string& before, const std::string& after) {
        if ((change.fields & field) == 0)
            return;
        unsigned bit = 0;
        while ((1u << bit) != field)
            ++bit;
        details += (details.empty() ? "" : "; ") + texts.fields[bit];
        if (!before.empty() || !after.empty())
            details += " \"" + before + "\" -> \"" + after + "\"";
    };
    add(FieldNumber, change.before->number, change.after->number);
    add(FieldName, change.before->name, change.after->name);
    add(FieldCategory, change.before->category, change.after->category);
    add(FieldStorey, std::to_string(change.before->story), std::to_string(change.after->story));
    add(FieldQuantities, "", "");
    add(FieldOutline, "", "");
    return details;
}

} // namespace

const ZoneFacts& Shown(const ZoneChange& change)
{
    return change.after ? *change.after : *change.before;
}

std::vector<std::string> ChangeHeaders(Language language)
{
    return Texts(language).headers;
}

std::vector<std::vector<std::string>> ChangeRows(const RevisionChanges& changes, Language language)
{
    const ChangeTexts& texts = Texts(language);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(changes.zones.size());
    for (const ZoneChange& change : changes.zones) {
        const ZoneFacts& shown = Shown(change);
        std::string what = FieldList(change.fields, texts);
        if (!change.failure.empty())
            what += (what.empty() ? "" : "; ") + texts.notPlayed + ": " + change.failure;
        rows.push_back({texts.kinds[static_cast<int>(change.kind)], std::to_string(shown.story), shown.number,
                        shown.name, TopText(change.before, texts), TopText(change.after, texts),
                        AreaText(change.before, language), AreaText(change.after, language),
                        Signed(AreaOf(change.after) - AreaOf(change.before), language), what, change.id});
    }
    return rows;
}

void PrintChangeSummary(const RevisionChanges& changes, Language language, std::ostream& out)
{
    const ChangeTexts& texts = Texts(language);
    std::size_t counts[4] = {};
    for (const ZoneChange& change : changes.zones)
        ++counts[static_cast<int>(change.kind)];
    out << texts.heading << " " << changes.previousName << ":";
    if (changes.zones.empty())
        out << " " << texts.noChanges;
    else
        for (int kind = 0; kind < 4; ++kind)
            out << (kind == 0 ? " " : ", ") << counts[kind] << " " << texts.kinds[kind];
    out << "\n";
    for (const ZoneChange& change : changes.zones) {
        const ZoneFacts& shown = Shown(change);
        out << "  " << texts.kinds[static_cast<int>(change.kind)] << ": " << shown.number << " " << shown.name << " ["
            << change.id << "]";
        if (change.kind == ZoneChangeKind::Added || change.kind == ZoneChangeKind::Removed) {
            out << ", " << TopText(change.kind == ZoneChangeKind::Added ? change.after : change.before, texts) << ", "
                << FormatArea(RoundArea(shown.quantities[0]), language) << " m²";
        } else {
            if ((change.fields & FieldTop) != 0)
                out << ", " << TopText(change.before, texts) << " -> " << TopText(change.after, texts);
            else
                out << ", " << TopText(change.after, texts);
            const Centi before = AreaOf(change.before), after = AreaOf(change.after);
            out << ", " << FormatArea(before, language) << " -> " << FormatArea(after, language) << " m² ("
                << Signed(after - before, language) << ")";
            if (const std::string details = Details(change, texts); !details.empty())
                out << "; " << details;
        }
        if (!change.failure.empty())
            out << "; " << texts.notPlayed << ": " << change.failure;
        out << "\n";
    }
    if (!changes.tops.empty() || changes.unchangedTops > 0) {
        out << "  " << texts.topAreas << ":\n";
        for (const TopAreaChange& top : changes.tops)
            out << "    " << top.top << ": " << FormatArea(top.before, language) << " -> "
                << FormatArea(top.after, language) << " m² (" << Signed(top.after - top.before, language) << ")\n";
        if (changes.unchangedTops > 0)
            out << "    " << changes.unchangedTops << " "
                << (changes.unchangedTops == 1 ? texts.unchangedOne : texts.unchangedMany) << "\n";
    }
    if (!changes.newArealistTops.empty()) {
        out << "  " << texts.newArealists << ":";
        for (const std::string& top : changes.newArealistTops)
            out << " " << top;
        out << "\n";
    }
}

std::string ChangeSectionHtml(const RevisionChanges& changes, Language language)
{
    const ChangeTexts& texts = Texts(language);
    std::string out = "<section class=\"changes\"><h2>";
    AppendEscaped(out, texts.heading + " " + changes.previousName);
    out += "</h2>";
    if (changes.zones.empty()) {
        out += "<p class=\"muted\">";
        AppendEscaped(out, texts.noChanges);
        out += "</p>";
    } else {
        out += "<table class=\"changes\"><thead><tr>";
        for (const std::string& header : texts.headers) {
            out += "<th>";
            AppendEscaped(out, header);
            out += "</th>";
        }
        out += "</tr></thead><tbody>";
        const auto rows = ChangeRows(changes, language);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            out += "<tr class=\"change-";
            out += std::to_string(static_cast<int>(changes.zones[i].kind));
            out += "\" data-id=\"";
            AppendEscaped(out, changes.zones[i].id);
            out += "\">";
            for (std::size_t column = 0; column < rows[i].size(); ++column) {
                out += column >= 6 && column <= 8 ? "<td class=\"num\">" : "<td>";
                AppendEscaped(out, rows[i][column]);
                out += "</td>";
            }
            out += "</tr>";
        }
        out += "</tbody></table>";
    }
    if (!changes.tops.empty()) {
        out += "<table class=\"change-tops\"><thead><tr>";
        for (const std::string* header : {&texts.top, &texts.headers[6], &texts.headers[7], &texts.headers[8]}) {
            out += "<th>";
            AppendEscaped(out, *header);
            out += "</th>";
        }
        out += "</tr></thead><tbody>";
        for (const TopAreaChange& top : changes.tops) {
            out += "<tr><td>";
            AppendEscaped(out, top.top);
            for (const std::string& value : {FormatArea(top.before, language), FormatArea(top.after, language),
                                             Signed(top.after - top.before, language)}) {
                out += "</td><td class=\"num\">";
                AppendEscaped(out, value);
            }
            out += "</td></tr>";
        }
        out += "</tbody></table>";
    }
    if (changes.unchangedTops > 0) {
        out += "<p class=\"muted\">";
        AppendEscaped(out, std::to_string(changes.unchangedTops) + " " +
                               (changes.unchangedTops == 1 ? texts.unchangedOne : texts.unchangedMany));
        out += "</p>";
    }
    out += "</section>";
    return out;
}

std::string ChangeMarksCss(const RevisionChanges& changes)
{
    // Changed and added zones get a thick orange outline on the plans; removed ones are no longer
    // drawn and stand in the table only.
    std::string css;
    for (const ZoneChange& change : changes.zones) {
        if (change.kind == ZoneChangeKind::Removed)
            continue;
        css += css.empty() ? "" : ",\n";
        css += ".zones path[data-id=\"";
        for (const char c : change.id)
            if (c == '"' || c == '\\' || c == '<' || c == '>') {
                // A CSS escape: the character's code in hexadecimal, ended by a space.
                static const char digits[] = "0123456789abcdef";
                const unsigned code = static_cast<unsigned char>(c);
                css += {'\\', digits[code >> 4], digits[code & 15], ' '};
            } else
                css += c;
        css += "\"]";
    }
    if (css.empty())
        return css;
    return css + " { stroke: #e8590c; stroke-width: 4px; stroke-dasharray: none; }\n"
                 "table.changes tr.change-1 td { text-decoration: line-through; color: #86868b; }\n";
}

} // namespace Runner::Report
