// The model written back: the original text with earlier additions cut out, new entities appended
// at the end of the DATA section, numbered after the model's highest id.
#include "ModelWriter.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "../../Host/Model/Project.hpp"
#include "../Project/IfcGlobalId.hpp"
#include "../Project/StepTokens.hpp"
#include "ImportOptions.hpp"

namespace Runner::Import {

namespace {

// The attributes of an entity instance ("#7=IFCZONE('a',#5,$);"), split at the commas of its
// outermost list; strings, comments and nested lists stay whole. The pre-scan has checked the
// syntax.
std::vector<std::string_view> Attributes(std::string_view instance)
{
    std::vector<std::string_view> attributes;
    std::size_t pos = 0;
    while (pos < instance.size() && instance[pos] != '(') // a comment may stand before the name
        pos = StepTokenEnd(instance, pos);
    int depth = 0;
    std::size_t start = pos + 1;
    for (; pos < instance.size(); pos = StepTokenEnd(instance, pos)) {
        const char c = instance[pos];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) {
                attributes.push_back(instance.substr(start, pos - start));
                break;
            }
        } else if (c == ',' && depth == 1) {
            attributes.push_back(instance.substr(start, pos - start));
            start = pos + 1;
        }
    }
    for (std::string_view& attribute : attributes) {
        while (!attribute.empty() && std::isspace(static_cast<unsigned char>(attribute.front())))
            attribute.remove_prefix(1);
        while (!attribute.empty() && std::isspace(static_cast<unsigned char>(attribute.back())))
            attribute.remove_suffix(1);
    }
    return attributes;
}

std::string_view Attribute(const std::vector<std::string_view>& attributes, std::size_t index)
{
    return index < attributes.size() ? attributes[index] : std::string_view();
}

// A UTF-8 text as a STEP string: quotes doubled, backslashes doubled, everything outside printable
// ASCII as \X2\ with UTF-16 units.
std::string StepString(const std::string& text)
{
    std::string out = "'";
    std::string wide;
    auto flush = [&] {
        if (!wide.empty())
            out += "\\X2\\" + wide + "\\X0\\";
        wide.clear();
    };
    auto unit = [&](unsigned value) {
        static const char digits[] = "0123456789ABCDEF";
        for (int shift = 12; shift >= 0; shift -= 4)
            wide += digits[(value >> shift) & 0xF];
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= ' ' && lead <= '~') {
            flush();
            out += lead == '\'' ? "''" : lead == '\\' ? "\\\\" : std::string(1, char(lead));
            ++i;
            continue;
        }
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            unit(0xD800 + unsigned(code >> 10));
            unit(0xDC00 + unsigned(code & 0x3FF));
        } else {
            unit(unsigned(code));
        }
    }
    flush();
    return out + "'";
}

// The shortest text that reads back as the same number, with a decimal point and an upper-case
// exponent, as STEP writes reals ("0.", "4.02", "1.E-05").
std::string StepReal(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const std::string text(buffer, result.ptr);
    const std::size_t exponent = text.find('e');
    std::string out = text.substr(0, exponent);
    if (out.find('.') == std::string::npos)
        out += '.';
    if (exponent != std::string::npos)
        out += "E" + text.substr(exponent + 1);
    return out;
}

// GlobalIds of the additions, derived from the GUID of what they stand for and their role, so that
// the same run writes the same file.
std::string DerivedGlobalId(const API_Guid& guid, const char* role)
{
    return "'" +
           EncodeIfcGlobalId(
               Host::GuidFromName(std::string("arealist-ifc:") + role + ":" + APIGuidToString(guid).ToUtf8())) +
           "'";
}

std::string DerivedGlobalId(const std::string& globalId, const char* role)
{
    API_Guid guid{};
    DecodeIfcGlobalId(globalId, guid);
    return DerivedGlobalId(guid, role);
}

// Entity names are written in upper case, but STEP does not insist.
bool Is(const StepEntity& entity, std::string_view type)
{
    return entity.type.size() == type.size() &&
           std::equal(type.begin(), type.end(), entity.type.begin(),
                      [](char a, char b) { return a == std::toupper(static_cast<unsigned char>(b)); });
}

// What an earlier run added: IfcZones of object type "Arealist", the element quantities and
// property sets named "Arealist", the relationships that attach them, and their members. Anything
// the rest of the model still refers to stays, so that no reference is left dangling.
std::unordered_set<std::int32_t> EarlierAdditions(std::string_view text, const StepScan& scan)
{
    const std::string marker = std::string("'") + arealistObjectType + "'";
    const std::string setName = std::string("'") + arealistSetName + "'";
    std::unordered_set<std::int32_t> added;
    auto instance = [&](const StepEntity& entity) { return text.substr(entity.begin, entity.end - entity.begin); };
    for (const StepEntity& entity : scan.entities) {
        if (Is(entity, "IFCZONE") && Attribute(Attributes(instance(entity)), 4) == marker)
            added.insert(entity.id);
        else if ((Is(entity, "IFCELEMENTQUANTITY") || Is(entity, "IFCPROPERTYSET")) &&
                 Attribute(Attributes(instance(entity)), 2) == setName)
            added.insert(entity.id);
    }
    if (added.empty())
        return added;
    // Relationships whose relating end (their last reference) is an addition.
    for (const StepEntity& entity : scan.entities)
        if (Is(entity, "IFCRELASSIGNSTOGROUP") || Is(entity, "IFCRELDEFINESBYPROPERTIES")) {
            const auto references = scan.References(entity);
            if (!references.empty() && added.count(references.back()) != 0)
                added.insert(entity.id);
        }
    // Members of the sets, and the unit they are given in.
    std::vector<std::int32_t> work(added.begin(), added.end());
    while (!work.empty()) {
        const StepEntity* entity = scan.Find(work.back());
        work.pop_back();
        for (const std::int32_t target : scan.References(*entity))
            if (const StepEntity* member = scan.Find(target);
                (Is(*member, "IFCQUANTITYAREA") || Is(*member, "IFCPROPERTYSINGLEVALUE") || Is(*member, "IFCSIUNIT")) &&
                added.insert(target).second)
                work.push_back(target);
    }
    // Keep whatever another entity of the model refers to.
    for (bool changed = true; changed;) {
        changed = false;
        for (const StepEntity& entity : scan.entities) {
            if (added.count(entity.id) != 0)
                continue;
            for (const std::int32_t target : scan.References(entity))
                if (added.erase(target) != 0)
                    changed = true;
        }
    }
    return added;
}

class Appender {
public:
    Appender(std::string& out, std::int32_t firstId, bool ifc4) : out(out), next(firstId), ifc4(ifc4) {}

    std::string Add(const std::string& instance)
    {
        const std::string id = "#" + std::to_string(next++);
        out += id + "=" + instance + ";\n";
        return id;
    }

    std::string List(const std::vector<std::string>& ids) const
    {
        std::string list = "(";
        for (std::size_t i = 0; i < ids.size(); ++i)
            list += (i == 0 ? "" : ",") + ids[i];
        return list + ")";
    }

    // An area quantity in square metres (IFC4 adds the formula).
    std::string QuantityArea(const char* name, double value, const std::string& unit)
    {
        return Add("IFCQUANTITYAREA(" + StepString(name) + ",$," + unit + "," + StepReal(value) + (ifc4 ? ",$)" : ")"));
    }

    std::string Property(const std::string& name, const std::string& value, const std::string& unit = "$")
    {
        return Add("IFCPROPERTYSINGLEVALUE(" + StepString(name) + ",$," + value + "," + unit + ")");
    }

private:
    std::string& out;
    std::int32_t next;
    bool ifc4;
};

} // namespace

Status AppendArealists(std::string_view text, const StepScan& scan, const std::string& fileName,
                       const ModelAdditions& additions, std::string& out, std::size_t& skipped)
{
    skipped = 0;
    std::string owner = "$";
    bool hasProject = false;
    std::unordered_map<std::string, std::int32_t> spaceIds;
    for (const StepEntity& entity : scan.entities) {
        if (Is(entity, "IFCPROJECT") && !hasProject) {
            hasProject = true;
            owner = std::string(Attribute(Attributes(text.substr(entity.begin, entity.end - entity.begin)), 1));
        } else if (Is(entity, "IFCSPACE")) {
            const std::string_view globalId =
                Attribute(Attributes(text.substr(entity.begin, entity.end - entity.begin)), 0);
            if (globalId.size() >= 2 && globalId.front() == '\'' && globalId.back() == '\'')
                spaceIds.emplace(std::string(globalId.substr(1, globalId.size() - 2)), entity.id);
        }
    }
    if (!hasProject)
        return Status::BadInput(fileName + ": the model has no IfcProject");
    if (owner.empty())
        owner = "$";

    // The model as it stood, without what an earlier run added.
    const std::unordered_set<std::int32_t> earlier = EarlierAdditions(text, scan);
    out.clear();
    out.reserve(text.size() + 1024 + 2048 * additions.spaces.size());
    std::size_t copied = 0;
    std::int32_t lastId = 0; // new ids follow the highest kept one: a model written again is the same
    for (const StepEntity& entity : scan.entities) {
        if (earlier.count(entity.id) == 0) {
            lastId = std::max(lastId, entity.id);
            continue;
        }
        out.append(text.substr(copied, entity.begin - copied));
        copied = entity.end;
        if (copied < text.size() && text[copied] == '\r')
            ++copied;
        if (copied < text.size() && text[copied] == '\n')
            ++copied;
    }
    out.append(text.substr(copied, scan.dataEnd - copied));
    if (!out.empty() && out.back() != '\n')
        out += '\n';

    const bool ifc4 = scan.schema != Schema::Ifc2x3;
    Appender add(out, lastId + 1, ifc4);
    if (additions.arealists.empty() && additions.spaces.empty()) {
        // Nothing to add, and no unit of its own that a later run could not tell apart.
        out.append(text.substr(scan.dataEnd));
        return Status::Ok();
    }
    const std::string squareMetre = add.Add("IFCSIUNIT(*,.AREAUNIT.,$,.SQUARE_METRE.)");
    const auto& names = ArealistQuantityNames();
    for (const ArealistAddition& arealist : additions.arealists) {
        std::vector<std::string> members;
        for (const std::string& space : arealist.spaces) {
            const auto found = spaceIds.find(space);
            if (found != spaceIds.end())
                members.push_back("#" + std::to_string(found->second));
            else
                ++skipped;
        }
        const std::string zone =
            add.Add("IFCZONE(" + DerivedGlobalId(arealist.guid, "zone") + "," + owner + "," + StepString(arealist.top) +
                    ",$," + StepString(arealistObjectType) + (ifc4 ? ",$)" : ")"));
        if (!members.empty())
            add.Add("IFCRELASSIGNSTOGROUP(" + DerivedGlobalId(arealist.guid, "group") + "," + owner + ",$,$," +
                    add.List(members) + ",$," + zone + ")");
        std::vector<std::string> sums;
        for (std::size_t i = 0; i < arealist.sums.size(); ++i)
            sums.push_back(add.QuantityArea(names[i], arealist.sums[i], squareMetre));
        const std::string quantities =
            add.Add("IFCELEMENTQUANTITY(" + DerivedGlobalId(arealist.guid, "sums") + "," + owner + "," +
                    StepString(arealistSetName) + ",$,$," + add.List(sums) + ")");
        add.Add("IFCRELDEFINESBYPROPERTIES(" + DerivedGlobalId(arealist.guid, "sums-of") + "," + owner + ",$,$,(" +
                zone + ")," + quantities + ")");
    }
    for (const SpaceAddition& space : additions.spaces) {
        const auto found = spaceIds.find(space.globalId);
        if (found == spaceIds.end()) {
            ++skipped;
            continue;
        }
        std::vector<std::string> properties = {
            add.Property(apartmentIdProperty, "IFCLABEL(" + StepString(space.top) + ")")};
        for (std::size_t i = 0; i < space.quantities.size(); ++i)
            properties.push_back(
                add.Property(names[i], "IFCAREAMEASURE(" + StepReal(space.quantities[i]) + ")", squareMetre));
        const std::string set = add.Add("IFCPROPERTYSET(" + DerivedGlobalId(space.globalId, "set") + "," + owner + "," +
                                        StepString(arealistSetName) + ",$," + add.List(properties) + ")");
        add.Add("IFCRELDEFINESBYPROPERTIES(" + DerivedGlobalId(space.globalId, "set-of") + "," + owner + ",$,$,(#" +
                std::to_string(found->second) + ")," + set + ")");
    }
    out.append(text.substr(scan.dataEnd));
    return Status::Ok();
}

} // namespace Runner::Import
