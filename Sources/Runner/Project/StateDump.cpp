// Dump of the session state, as written by --dump and `dump PATH` and read by `expect`.
#include "StateDump.hpp"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "../../Host/DG/DG.hpp"

namespace Runner {

namespace {

const char* const paletteGuidText = "45D7CAFB-970B-4D95-BF7A-697E894006AF";
constexpr short roomsListId = 4;
constexpr short stampsListId = 8;
// The state's parts besides its elements, in the dump's order.
// "stories" and "zoneCategories" came last, so that a dump can be opened again as the previous
// state of a building (`areas --since`): with them its zones keep their storeys and category codes.
constexpr std::string_view partKeys[] = {
    "layers", "suspendGroups", "currentLayerCombination", "palette", "alerts",
    "debug",  "undo",          "memosOutstanding",        "stories", "zoneCategories"};

Json Links(const Host::Project& project, const Host::Element& element)
{
    Json links = Json::array();
    project.elements.LinksFrom(element.guid)->ForEach([&](const Host::LinkList::Entry& link) {
        const Host::Element* to = project.Find(link.partner);
        if (to != nullptr && !to->deleted)
            links.push_back(DumpId(*to));
    });
    return links;
}

API_AttributeIndex CurrentLayerCombination(const Host::Project& project)
{
    for (const Host::LayerCombination& combination : project.layerCombinations) {
        bool matches = true;
        for (const Host::Layer& layer : project.layers) {
            auto found = combination.flags.find(layer.index);
            if ((found == combination.flags.end() ? 0 : found->second) != layer.flags)
                matches = false;
        }
        if (matches)
            return combination.index;
    }
    return 0;
}

const DG::ListBox* List(const DG::Palette& palette, short itemId)
{
    return dynamic_cast<const DG::ListBox*>(palette.GetItem(itemId));
}

Json RowTexts(const DG::ListBox& list)
{
    Json rows = Json::array();
    for (const auto& row : list.GetRows()) {
        Json texts = Json::array();
        for (const GS::UniString& text : row)
            texts.push_back(text.ToUtf8());
        rows.push_back(std::move(texts));
    }
    return rows;
}

// Each row carries the GUID of the element it shows, so an element keeps its id in the dump even
// when it was released or deleted since, and the lookup costs one Find per row.
Json RowIds(const Host::Project& project, const DG::ListBox& list)
{
    Json ids = Json::array();
    for (const GS::Guid& data : list.GetRowsGuidData()) {
        const API_Guid guid = GSGuid2APIGuid(data);
        const Host::Element* element = project.Find(guid);
        ids.push_back(element != nullptr ? DumpId(*element) : APIGuidToString(guid).ToUtf8());
    }
    return ids;
}

} // namespace

Json PaletteJson(const Host::Project& project)
{
    Json palette = {{"visible", false},
                    {"rooms", Json::array()},
                    {"stamps", Json::array()},
                    {"roomRows", Json::array()},
                    {"stampRows", Json::array()}};
    const DG::Palette* found = DG::FindPalette(GS::Guid(paletteGuidText));
    if (found == nullptr)
        return palette;
    palette["visible"] = found->IsVisible();
    if (const DG::ListBox* rooms = List(*found, roomsListId)) {
        palette["rooms"] = RowIds(project, *rooms);
        palette["roomRows"] = RowTexts(*rooms);
    }
    if (const DG::ListBox* stamps = List(*found, stampsListId)) {
        palette["stamps"] = RowIds(project, *stamps);
        palette["stampRows"] = RowTexts(*stamps);
    }
    return palette;
}

std::string DumpId(const Host::Element& element)
{
    return element.id.empty() ? APIGuidToString(element.guid).ToUtf8() : element.id;
}

Json ParamJson(const Host::Param& param)
{
    const bool isText = param.type == APIParT_CString;
    if (!param.isArray)
        return isText ? Json(param.text.ToUtf8()) : Json(param.number);
    const std::size_t rows = param.dim1 > 0 ? std::size_t(param.dim1) : 0;
    const std::size_t columns = param.dim2 > 0 ? std::size_t(param.dim2) : 0;
    auto at = [&](std::size_t i) -> Json {
        if (isText)
            return i < param.texts.size() ? Json(param.texts[i].ToUtf8()) : Json(nullptr);
        return i < param.numbers.size() ? Json(param.numbers[i]) : Json(nullptr);
    };
    Json result = Json::array();
    for (std::size_t r = 0; r < rows; ++r) {
        if (columns == 1) {
            result.push_back(at(r));
            continue;
        }
        Json row = Json::array();
        for (std::size_t c = 0; c < columns; ++c)
            row.push_back(at(r * columns + c));
        result.push_back(row);
    }
    return result;
}

namespace {

const Host::LibPart* LabelLibPart(const Host::Project& project, const Host::Element& label)
{
    const Int32 index = label.labelClass == APILblClass_Symbol && label.symbolSettings.libInd != 0
                            ? label.symbolSettings.libInd
                            : label.libInd;
    return project.FindLibPart(index);
}

} // namespace

std::string LabelLibPartName(const Host::Project& project, const Host::Element& label)
{
    const Host::LibPart* part = LabelLibPart(project, label);
    return part != nullptr ? part->name : std::string();
}

bool IsArealist(const Host::Project& project, const Host::Element& element)
{
    if (element.type != API_LabelID || element.deleted)
        return false;
    const Host::LibPart* part = LabelLibPart(project, element);
    return part != nullptr && part->name == "Arealist";
}

Json ElementEntry(const Host::Project& project, const Host::Element& element)
{
    if (element.deleted)
        return nullptr;
    if (element.type == API_ZoneID) {
        const Host::Param* top = FindParam(element, "stApartmentId");
        Json zone = {{"id", DumpId(element)},
                     {"guid", APIGuidToString(element.guid).ToUtf8()},
                     {"story", element.story},
                     {"layer", element.layer},
                     {"number", element.number.ToUtf8()},
                     {"name", element.name.ToUtf8()},
                     {"category", element.category},
                     {"top", top != nullptr ? Json(top->text.ToUtf8()) : Json(nullptr)},
                     {"quantities", element.quantities},
                     {"pos", {element.pos.x, element.pos.y}},
                     {"links", Links(project, element)},
                     {"observed", element.observed},
                     {"locked", element.locked}};
        if (!element.polygon.empty()) {
            Json polygon = Json::array();
            for (const API_Coord& corner : element.polygon)
                polygon.push_back({corner.x, corner.y});
            zone["polygon"] = std::move(polygon);
        }
        return zone;
    }
    if (element.type != API_LabelID)
        return nullptr;
    Json params = Json::object();
    for (const Host::Param& param : element.params)
        if (!params.contains(param.name))
            params[param.name] = ParamJson(param);
    const Host::Element* parent = element.parent == APINULLGuid ? nullptr : project.Find(element.parent);
    return {{"id", DumpId(element)},
            {"guid", APIGuidToString(element.guid).ToUtf8()},
            {"libPart", LabelLibPartName(project, element)},
            {"story", element.story},
            {"layer", element.layer},
            {"pos", {element.begC.x, element.begC.y}},
            {"parent", parent != nullptr ? Json(DumpId(*parent)) : Json(nullptr)},
            {"observed", element.observed},
            {"locked", element.locked},
            {"links", Links(project, element)},
            {"params", params}};
}

Json StatePart(const Host::Application& app, std::string_view key)
{
    const Host::Project& project = app.GetProject();
    if (key == "layers") {
        Json layers = Json::array();
        for (const Host::Layer& layer : project.layers)
            layers.push_back({{"index", layer.index}, {"flags", layer.flags}, {"name", layer.name}});
        return layers;
    }
    if (key == "stories") {
        Json stories = Json::array();
        for (const Host::Story& story : project.stories)
            stories.push_back({{"index", story.index}, {"name", story.name}, {"level", story.level}});
        return stories;
    }
    if (key == "zoneCategories") {
        Json categories = Json::array();
        for (const Host::ZoneCategory& category : project.zoneCategories) {
            if (category.deleted)
                categories.push_back({{"index", category.index}, {"deleted", true}});
            else
                categories.push_back(
                    {{"index", category.index}, {"code", category.code.ToUtf8()}, {"name", category.name}});
        }
        return categories;
    }
    if (key == "suspendGroups")
        return project.suspendGroups;
    if (key == "currentLayerCombination")
        return CurrentLayerCombination(project);
    if (key == "palette")
        return PaletteJson(project);
    if (key == "alerts") {
        Json alerts = Json::array();
        for (const Host::ShownAlert& alert : const_cast<Host::Application&>(app).GetUserQueue().ShownAlerts()) {
            Json texts = Json::array();
            for (const GS::UniString& text : alert.texts)
                texts.push_back(text.ToUtf8());
            alerts.push_back({{"id", alert.id}, {"texts", texts}, {"answer", alert.answer}});
        }
        return alerts;
    }
    if (key == "debug")
        return app.DebugLines();
    if (key == "undo")
        return app.UndoTexts();
    if (key == "memosOutstanding")
        return app.MemosOutstanding();
    return nullptr;
}

Json BuildState(const Host::Application& app)
{
    const Host::Project& project = app.GetProject();
    Json zones = Json::array(), labels = Json::array();
    for (const Host::Element& element : project.elements) {
        if (element.deleted)
            continue;
        if (element.type == API_ZoneID)
            zones.push_back(ElementEntry(project, element));
        else if (element.type == API_LabelID)
            labels.push_back(ElementEntry(project, element));
    }
    Json state;
    state["zones"] = std::move(zones);
    state["labels"] = std::move(labels);
    for (const std::string_view key : partKeys)
        state[std::string(key)] = StatePart(app, key);
    return state;
}

Status WriteFileAtomically(const std::string& path, const std::string& text)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path temp = target.parent_path() / (target.filename().string() + ".tmp" + std::to_string(::getpid()));
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return Status::IoFailure(path + ": cannot write the file");
        }
        out << text;
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return Status::IoFailure(path + ": cannot write the file");
        }
    }
    std::error_code code;
    fs::rename(temp, target, code);
    if (code) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return Status::IoFailure(path + ": cannot write the file: " + code.message());
    }
    return Status::Ok();
}

} // namespace Runner
