// Project file loader: the elements (zones, labels, other elements), their common fields,
// library-part parameters and links.
#include "ProjectLoaderReader.hpp"

namespace Runner::ProjectLoading {

bool Loader::CommonFields(const Members& members, const JsonPath& path, Host::Element& element)
{
    if (members[IdKey] == nullptr)
        return reader.Fail(path, "missing key \"id\"");
    const JsonPath idPath(path, "id");
    if (!reader.String(*members[IdKey], idPath, element.id))
        return false;
    if (element.id.empty())
        return reader.Fail(idPath, "an element id must not be empty");
    auto [slot, fresh] = ids.try_emplace(element.id);
    if (!fresh)
        return reader.Fail(idPath, "duplicate element id \"" + element.id + "\"");
    if (members[GuidKey] != nullptr) {
        std::string text;
        if (!reader.String(*members[GuidKey], JsonPath(path, "guid"), text))
            return false;
        GS::Guid parsed;
        if (!parsed.FromString(text.c_str()) || parsed.IsNull())
            return reader.Fail(JsonPath(path, "guid"),
                               "not a GUID (XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX): \"" + text + "\"");
        element.guid = GSGuid2APIGuid(parsed);
    } else {
        element.guid = Host::GuidFromName(element.id);
    }
    if (!guids.insert(element.guid).second)
        return reader.Fail(JsonPath(path, members[GuidKey] != nullptr ? "guid" : "id"), "duplicate element GUID");
    slot->second = element.guid;
    long long number = project.stories.front().index;
    if (members[StoryKey] != nullptr &&
        !reader.Integer(*members[StoryKey], JsonPath(path, "story"), -32768, 32767, number))
        return false;
    const bool storyExists = std::any_of(project.stories.begin(), project.stories.end(),
                                         [&](const Host::Story& story) { return story.index == number; });
    if (!storyExists)
        return reader.Fail(JsonPath(path, "story"), "no story with index " + std::to_string(number));
    element.story = short(number);
    number = project.layers.front().index;
    if (members[LayerKey] != nullptr && !reader.Integer(*members[LayerKey], JsonPath(path, "layer"), 1, 32767, number))
        return false;
    if (project.FindLayer(API_AttributeIndex(number)) == nullptr)
        return reader.Fail(JsonPath(path, "layer"), "no layer with index " + std::to_string(number));
    element.layer = API_AttributeIndex(number);
    if (members[LockedKey] != nullptr && !reader.Bool(*members[LockedKey], JsonPath(path, "locked"), element.locked))
        return false;
    if (members[ObservedKey] != nullptr &&
        !reader.Bool(*members[ObservedKey], JsonPath(path, "observed"), element.observed))
        return false;
    number = 0;
    if (members[GroupKey] != nullptr &&
        !reader.Integer(*members[GroupKey], JsonPath(path, "group"), 0, 1000000000, number))
        return false;
    element.group = number == 0 ? APINULLGuid : Host::GuidFromName("group:" + std::to_string(number));
    return true;
}

bool Loader::Coord(const Json& value, const JsonPath& path, API_Coord& coord)
{
    if (!value.is_array() || value.size() != 2)
        return reader.Fail(path, "expected [x, y], got " + (value.is_array() ? std::to_string(value.size()) + " values"
                                                                             : JsonReader::TypeName(value)));
    return reader.Number(value[0], JsonPath(path, std::size_t(0)), coord.x) &&
           reader.Number(value[1], JsonPath(path, std::size_t(1)), coord.y);
}

bool Loader::Polygon(const Json& value, const JsonPath& path, std::vector<API_Coord>& polygon)
{
    if (!reader.Array(value, path))
        return false;
    if (value.size() < 3)
        return reader.Fail(path, "a polygon needs at least three points, got " + std::to_string(value.size()));
    polygon.resize(value.size());
    for (std::size_t i = 0; i < value.size(); ++i)
        if (!Coord(value[i], JsonPath(path, i), polygon[i]))
            return false;
    return true;
}

bool Loader::ElementRef(const Json& value, const JsonPath& path, API_Guid& guid)
{
    std::string id;
    if (!reader.String(value, path, id))
        return false;
    auto found = ids.find(id);
    if (found == ids.end())
        return reader.Fail(path, "no element with id \"" + id + "\"");
    guid = found->second;
    return true;
}

bool Loader::LibPartRef(const Json& value, const JsonPath& path, const char* kind, const Host::LibPart*& part)
{
    std::string name;
    if (!reader.String(value, path, name))
        return false;
    part = project.FindLibPart(name);
    if (part == nullptr) {
        std::string known;
        for (const Host::LibPart& candidate : project.libParts)
            if (candidate.kind == kind)
                known += (known.empty() ? "\"" : ", \"") + candidate.name + "\"";
        return reader.Fail(path, "no library part named \"" + name + "\" (known: " + known + ")");
    }
    if (part->kind != kind)
        return reader.Fail(path, "library part \"" + name + "\" is not a " + kind);
    return true;
}

bool Loader::ParamValue(const Json& value, const JsonPath& path, Host::Param& param, bool declared)
{
    const bool wantString = declared && param.type == APIParT_CString;
    auto scalarText = [&](const Json& item, const JsonPath& itemPath, GS::UniString& out) {
        std::string text;
        if (!reader.String(item, itemPath, text))
            return false;
        out = GS::UniString(text);
        return true;
    };
    if (value.is_array()) {
        if (declared && !param.isArray)
            return reader.Fail(path, "parameter \"" + param.name + "\" is a scalar, got an array");
        if (value.empty())
            return reader.Fail(path, "an array parameter needs at least one value");
        const bool rows = value[0].is_array();
        const std::size_t columns = rows ? value[0].size() : 1;
        if (rows && columns == 0)
            return reader.Fail(JsonPath(path, "0"), "a row needs at least one value");
        bool isString = wantString;
        if (!declared)
            isString = rows ? (!value[0].empty() && value[0][0].is_string()) : value[0].is_string();
        std::vector<double> numbers;
        std::vector<GS::UniString> texts;
        for (std::size_t r = 0; r < value.size(); ++r) {
            const std::string rowPath = JsonReader::Index(path, r);
            const Json& row = value[r];
            if (rows != row.is_array())
                return reader.Fail(rowPath, "mixed rows and values in an array parameter");
            if (rows && row.size() != columns)
                return reader.Fail(rowPath, "all rows need " + std::to_string(columns) + " values");
            for (std::size_t c = 0; c < columns; ++c) {
                const Json& item = rows ? row[c] : row;
                const std::string itemPath = rows ? JsonReader::Index(rowPath, c) : rowPath;
                if (isString) {
                    GS::UniString text;
                    if (!scalarText(item, itemPath, text))
                        return false;
                    texts.push_back(text);
                } else {
                    double number = 0;
                    if (!reader.Number(item, itemPath, number))
                        return false;
                    numbers.push_back(number);
                }
            }
        }
        if (!declared)
            param.type = isString ? APIParT_CString : APIParT_RealNum;
        param.isArray = true;
        param.dim1 = Int32(value.size());
        param.dim2 = Int32(columns);
        param.numbers = std::move(numbers);
        param.texts = std::move(texts);
        return true;
    }
    if (declared && param.isArray)
        return reader.Fail(path, "parameter \"" + param.name + "\" is an array, got " + JsonReader::TypeName(value));
    if (value.is_string() && (!declared || wantString)) {
        if (!declared)
            param.type = APIParT_CString;
        return scalarText(value, path, param.text);
    }
    if (value.is_boolean() && (!declared || !wantString)) {
        if (!declared)
            param.type = APIParT_Boolean;
        param.number = value.get<bool>() ? 1.0 : 0.0;
        return true;
    }
    if (value.is_number() && (!declared || !wantString)) {
        if (!declared)
            param.type = APIParT_RealNum;
        return reader.Number(value, path, param.number);
    }
    return reader.Fail(path, "parameter \"" + param.name + "\" expects " + (wantString ? "a string" : "a number") +
                                 ", got " + JsonReader::TypeName(value));
}

bool Loader::Params(const Json& value, const JsonPath& path, const Host::LibPart& part,
                    std::vector<Host::Param>& params)
{
    if (!value.is_object())
        return reader.Fail(path, "expected an object, got " + JsonReader::TypeName(value));
    for (const auto& item : value.items()) {
        const std::string paramPath = JsonReader::Key(path, item.key());
        const std::string& name = item.key();
        if (name.empty() || name.size() > paramNameMax)
            return reader.Fail(paramPath, "a parameter name has 1 to " + std::to_string(paramNameMax) + " characters");
        for (unsigned char c : name)
            if (c < 0x21 || c > 0x7E)
                return reader.Fail(paramPath, "a parameter name is plain ASCII without blanks");
        auto found = std::find_if(params.begin(), params.end(), [&](const Host::Param& p) { return p.name == name; });
        const bool declared = found != params.end();
        if (!declared && !part.params.empty())
            return reader.Fail(paramPath, "library part \"" + part.name + "\" has no parameter \"" + name + "\"");
        Host::Param fresh;
        fresh.name = name;
        Host::Param& param = declared ? *found : fresh;
        if (!ParamValue(item.value(), paramPath, param, declared))
            return false;
        if (!declared)
            params.push_back(fresh);
    }
    return true;
}

bool Loader::Zones(const Json& root)
{
    if (!root.contains("zones"))
        return true;
    const Json& zones = root["zones"];
    if (!reader.Array(zones, "/zones"))
        return false;
    for (std::size_t i = 0; i < zones.size(); ++i)
        if (!Zone(zones[i], i))
            return false;
    return true;
}

bool Loader::Zone(const Json& value, std::size_t i)
{
    const JsonPath path(sectionPaths.zones, i);
    enum { CategoryKey = OwnKeys, NumberKey, NameKey, TopKey, QuantitiesKey, PosKey, PolygonKey, LinksKey, KeyCount };
    // A dump lists a zone's links too; they are made from the labels' side.
    static constexpr std::string_view keys[KeyCount] = {"id",    "guid",       "story",    "layer",   "locked",
                                                        "group", "observed",   "category", "number",  "name",
                                                        "top",   "quantities", "pos",      "polygon", "links"};
    static constexpr std::string_view projectKeys[KeyCount - 1] = {
        "id",       "guid",   "story", "layer", "locked",     "group", "observed",
        "category", "number", "name",  "top",   "quantities", "pos",   "polygon"};
    static_assert(CommonKeysFirst(keys));
    std::array<const Json*, KeyCount> members{};
    if (dump ? !reader.Members(value, path, keys, members)
             : !reader.Members(value, path, projectKeys, std::span(members).first<KeyCount - 1>()))
        return false;
    Host::Element zone;
    zone.type = API_ZoneID;
    if (!CommonFields(members, path, zone))
        return false;
    std::string text;
    if (members[NumberKey] != nullptr) {
        if (!reader.String(*members[NumberKey], JsonPath(path, "number"), text))
            return false;
        zone.number = GS::UniString(text);
    }
    if (members[NameKey] != nullptr) {
        if (!reader.String(*members[NameKey], JsonPath(path, "name"), text))
            return false;
        zone.name = GS::UniString(text);
    }
    long long category = project.zoneCategories.empty() ? 0 : 1;
    if (members[CategoryKey] != nullptr) {
        if (!reader.Integer(*members[CategoryKey], JsonPath(path, "category"), 1, 32767, category))
            return false;
        if (category > static_cast<long long>(project.zoneCategories.size()))
            return reader.Fail(JsonPath(path, "category"), "no zone category with index " + std::to_string(category));
    }
    zone.category = API_AttributeIndex(category);
    if (members[QuantitiesKey] != nullptr) {
        const Json& quantities = *members[QuantitiesKey];
        const JsonPath quantitiesPath(path, "quantities");
        if (!quantities.is_array() || quantities.size() != 5)
            return reader.Fail(quantitiesPath,
                               "expected an array of five numbers, got " +
                                   (quantities.is_array() ? std::to_string(quantities.size()) + " values"
                                                          : JsonReader::TypeName(quantities)));
        for (std::size_t q = 0; q < 5; ++q)
            if (!reader.Number(quantities[q], JsonPath(quantitiesPath, q), zone.quantities[q]))
                return false;
    }
    if (members[PosKey] != nullptr && !Coord(*members[PosKey], JsonPath(path, "pos"), zone.pos))
        return false;
    if (members[PolygonKey] != nullptr && !Polygon(*members[PolygonKey], JsonPath(path, "polygon"), zone.polygon))
        return false;
    std::optional<std::string> top;
    if (members[TopKey] != nullptr && !members[TopKey]->is_null()) {
        const Json& given = *members[TopKey];
        if (!given.is_string())
            return reader.Fail(JsonPath(path, "top"), "expected a string or null, got " + JsonReader::TypeName(given));
        if (!reader.String(given, JsonPath(path, "top"), text))
            return false;
        top = text;
    }
    SetZoneStamp(project, zone, top);
    project.elements.Add(std::move(zone));
    return true;
}

bool Loader::Labels(const Json& root)
{
    if (!root.contains("labels"))
        return true;
    const Json& labels = root["labels"];
    if (!reader.Array(labels, "/labels"))
        return false;
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (!Label(labels[i], i))
            return false;
    return true;
}

bool Loader::Label(const Json& value, std::size_t i)
{
    const JsonPath path(sectionPaths.labels, i);
    enum { LibPartKey = OwnKeys, ClassKey, PosKey, ParamsKey, LinksKey, ParentKey, KeyCount };
    static constexpr std::string_view keys[KeyCount] = {"id",     "guid",     "story",   "layer", "locked",
                                                        "group",  "observed", "libPart", "class", "pos",
                                                        "params", "links",    "parent"};
    static_assert(CommonKeysFirst(keys));
    std::array<const Json*, KeyCount> members{};
    if (!reader.Members(value, path, keys, members))
        return false;
    Host::Element label;
    label.type = API_LabelID;
    if (!CommonFields(members, path, label))
        return false;
    if (members[LibPartKey] == nullptr)
        return reader.Fail(path, "missing key \"libPart\"");
    const Host::LibPart* part = nullptr;
    if (!LibPartRef(*members[LibPartKey], JsonPath(path, "libPart"), "label", part))
        return false;
    label.libInd = part->index;
    label.symbolSettings.libInd = part->index;
    label.params = part->params;
    if (members[ClassKey] != nullptr) {
        std::string labelClass;
        if (!reader.String(*members[ClassKey], JsonPath(path, "class"), labelClass))
            return false;
        if (labelClass != "symbol" && labelClass != "text")
            return reader.Fail(JsonPath(path, "class"), "expected \"symbol\" or \"text\"");
        label.labelClass = labelClass == "symbol" ? APILblClass_Symbol : APILblClass_Text;
    }
    if (members[PosKey] != nullptr && !Coord(*members[PosKey], JsonPath(path, "pos"), label.begC))
        return false;
    label.midC = label.begC;
    label.endC = label.begC;
    if (members[ParamsKey] != nullptr && !Params(*members[ParamsKey], JsonPath(path, "params"), *part, label.params))
        return false;
    if (members[ParentKey] != nullptr && !members[ParentKey]->is_null()) {
        if (!ElementRef(*members[ParentKey], JsonPath(path, "parent"), label.parent))
            return false;
        label.parentType = project.Find(label.parent)->type;
    }
    if (members[LinksKey] != nullptr) {
        if (!reader.Array(*members[LinksKey], JsonPath(path, "links")))
            return false;
        pendingLinks.push_back({label.guid, JsonPath(path, "links").Text(), *members[LinksKey]});
    }
    project.elements.Add(std::move(label));
    return true;
}

bool Loader::OtherElements(const Json& root)
{
    if (!root.contains("elements"))
        return true;
    const Json& elements = root["elements"];
    if (!reader.Array(elements, "/elements"))
        return false;
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (!OtherElement(elements[i], i))
            return false;
    return true;
}

bool Loader::OtherElement(const Json& value, std::size_t i)
{
    const JsonPath path(sectionPaths.elements, i);
    enum { TypeKey = OwnKeys, PosKey, EndKey, KeyCount };
    static constexpr std::string_view keys[KeyCount] = {"id",    "guid",     "story", "layer", "locked",
                                                        "group", "observed", "type",  "pos",   "end"};
    static_assert(CommonKeysFirst(keys));
    std::array<const Json*, KeyCount> members{};
    if (!reader.Members(value, path, keys, members))
        return false;
    Host::Element element;
    if (members[TypeKey] == nullptr)
        return reader.Fail(path, "missing key \"type\"");
    std::string typeName;
    if (!reader.String(*members[TypeKey], JsonPath(path, "type"), typeName))
        return false;
    if (!ElementTypeFromName(typeName, element.type) || element.type == API_ZoneID || element.type == API_LabelID)
        return reader.Fail(JsonPath(path, "type"),
                           "unknown element type \"" + typeName + "\" (zones and labels have sections of their own)");
    if (!CommonFields(members, path, element))
        return false;
    if (members[PosKey] != nullptr && !Coord(*members[PosKey], JsonPath(path, "pos"), element.pos))
        return false;
    if (members[EndKey] != nullptr && !Coord(*members[EndKey], JsonPath(path, "end"), element.endPoint))
        return false;
    element.begC = element.pos;
    project.elements.Add(std::move(element));
    return true;
}

bool Loader::Links()
{
    // Links are kept in the order made; the set answers "made already?" for large projects.
    for (const PendingLinks& pending : pendingLinks) {
        for (std::size_t i = 0; i < pending.links.size(); ++i) {
            const JsonPath path(pending.path, i);
            API_Guid to;
            if (!ElementRef(pending.links[i], path, to))
                return false;
            if (to == pending.from)
                return reader.Fail(path, "an element cannot be linked to itself");
            // Links are made in both directions; a link made already was given twice.
            if (!project.elements.Link(pending.from, to, 0))
                return reader.Fail(path, "link given twice");
            project.elements.Link(to, pending.from, 0);
        }
    }
    return true;
}

} // namespace Runner::ProjectLoading
