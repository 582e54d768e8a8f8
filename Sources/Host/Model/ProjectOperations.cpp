// The host's library, attribute, Teamwork, environment and goodies operations.
#include <algorithm>
#include <cstring>

#include "Operations.hpp"

namespace Host::Ops {

namespace {

// The caller's record is cleared first, so nothing of another attribute it held before survives.
void FillAttributeHeader(API_Attribute& attribute, API_AttrTypeID type, API_AttributeIndex index,
                         const std::string& name)
{
    attribute = API_Attribute();
    attribute.header.typeID = type;
    attribute.header.index = index;
    std::strncpy(attribute.header.name, name.c_str(), sizeof attribute.header.name - 1);
}

API_AttributeIndex MaxIndex(const std::vector<Layer>& layers)
{
    API_AttributeIndex result = 0;
    for (const Layer& layer : layers)
        result = std::max(result, layer.index);
    return result;
}

// The current combination is the first one whose stored flag word matches every layer's flags
// (a layer the combination does not mention must have flags 0); 0 when none matches.
API_AttributeIndex CurrentCombination(const Project& project)
{
    for (const LayerCombination& combination : project.layerCombinations) {
        bool matches = true;
        for (const Layer& layer : project.layers) {
            auto found = combination.flags.find(layer.index);
            const UInt16 wanted = found == combination.flags.end() ? 0 : found->second;
            if (wanted != layer.flags) {
                matches = false;
                break;
            }
        }
        if (matches)
            return combination.index;
    }
    return 0;
}

void NoteLayer(HostSession& s, const Layer& layer)
{
    s.layerBefore.emplace(layer.index, layer.flags);
}

} // namespace

GSErrCode LibPart_Search(HostSession& s, API_LibPart* libPart, bool, bool)
{
    if (libPart == nullptr)
        return APIERR_BADPARS;
    const std::optional<API_Guid> wanted =
        LibPartGuid(std::string(libPart->ownUnID, strnlen(libPart->ownUnID, sizeof libPart->ownUnID)));
    for (const LibPart& part : s.project.libParts)
        if (wanted && part.guid == *wanted) {
            libPart->index = part.index;
            GS::UniString(part.name).CopyToField(libPart->docu_UName, 128);
            libPart->location = new IO::Location((part.builtIn ? "builtin/" : "library/") + part.name + ".gsm");
            return NoError;
        }
    return APIERR_BADID;
}

// Answers the part's parameter list as a params handle, counted like a memo.
GSErrCode LibPart_GetParams(HostSession& s, Int32 libInd, double* a, double* b, Int32* addParNum,
                            API_AddParHandle* addPars)
{
    const LibPart* part = s.project.FindLibPart(libInd);
    if (part == nullptr)
        return APIERR_BADINDEX;
    if (a != nullptr)
        *a = 1.0;
    if (b != nullptr)
        *b = 1.0;
    if (addParNum != nullptr)
        *addParNum = Int32(part->params.size());
    if (addPars != nullptr) {
        *addPars = BuildParams(part->params);
        if (*addPars == nullptr)
            return APIERR_MEMFULL;
        HandOut(s, *addPars);
    }
    return NoError;
}

// Layers and zone categories count their slots (the highest index); combinations their number.
GSErrCode Attribute_GetNum(HostSession& s, API_AttrTypeID typeID, API_AttributeIndex* count)
{
    if (count == nullptr)
        return APIERR_BADPARS;
    switch (typeID) {
    case API_LayerID:
        *count = MaxIndex(s.project.layers);
        return NoError;
    case API_ZoneCatID: {
        API_AttributeIndex result = 0;
        for (const ZoneCategory& category : s.project.zoneCategories)
            result = std::max(result, category.index);
        *count = result;
        return NoError;
    }
    case API_LayerCombID: {
        API_AttributeIndex result = 0;
        for (const LayerCombination& combination : s.project.layerCombinations)
            result = std::max(result, combination.index);
        *count = result;
        return NoError;
    }
    default:
        return APIERR_BADID;
    }
}

// No attribute at the index: APIERR_BADINDEX; a deleted zone-category slot: APIERR_DELETED.
GSErrCode Attribute_Get(HostSession& s, API_Attribute* attribute)
{
    if (attribute == nullptr)
        return APIERR_BADPARS;
    const API_AttrTypeID type = attribute->header.typeID;
    const API_AttributeIndex index = attribute->header.index;
    switch (type) {
    case API_LayerID: {
        const Layer* layer = s.project.FindLayer(index);
        if (layer == nullptr)
            return APIERR_BADINDEX;
        FillAttributeHeader(*attribute, type, index, layer->name);
        attribute->header.flags = layer->flags;
        return NoError;
    }
    case API_ZoneCatID: {
        const ZoneCategory* category = s.project.FindZoneCategory(index);
        if (category == nullptr)
            return APIERR_BADINDEX;
        if (category->deleted)
            return APIERR_DELETED;
        FillAttributeHeader(*attribute, type, index, category->name);
        category->code.CopyToField(attribute->zoneCat.catCode, 25);
        return NoError;
    }
    case API_LayerCombID: {
        const LayerCombination* combination = s.project.FindLayerCombination(index);
        if (combination == nullptr)
            return APIERR_BADINDEX;
        FillAttributeHeader(*attribute, type, index, combination->name);
        return NoError;
    }
    default:
        return APIERR_BADID;
    }
}

// Only a layer's flag word can be modified; it is a change of the model and needs a change scope.
GSErrCode Attribute_Modify(HostSession& s, API_Attribute* attribute, API_AttributeDefExt*)
{
    if (attribute == nullptr)
        return APIERR_BADPARS;
    if (attribute->header.typeID != API_LayerID)
        return APIERR_NOTSUPPORTED;
    const Layer* layer = s.project.FindLayer(attribute->header.index);
    if (layer == nullptr)
        return APIERR_BADINDEX;
    if (GSErrCode err = CheckChangeScope(s))
        return err;
    NoteLayer(s, *layer);
    s.project.EditLayer(attribute->header.index)->flags = attribute->header.flags;
    return NoError;
}

// Grants free elements, and those other users hold when the session grants them (the holder
// releases them); answers 0 even when it grants nothing. Elements not granted are listed in the
// conflict table when one is given.
GSErrCode TeamworkControl_ReserveElements(HostSession& s, const GS::Array<API_Guid>& elements,
                                          GS::HashTable<API_Guid, short>* conflicts, bool)
{
    Teamwork& teamwork = s.project.teamwork;
    if (!teamwork.shared)
        return NoError;
    for (const API_Guid& guid : elements) {
        if (s.project.Find(guid) == nullptr)
            continue;
        if (s.project.IsReserved(guid))
            continue;
        bool heldByOther = false;
        for (auto& [user, held] : teamwork.held) {
            auto found = std::find(held.begin(), held.end(), guid);
            if (found == held.end())
                continue;
            if (teamwork.grant) {
                held.erase(found);
                Trace(s, "teamwork: " + user + " releases " + APIGuidToString(guid).ToUtf8());
            } else {
                heldByOther = true;
            }
            break;
        }
        if (heldByOther) {
            if (conflicts != nullptr)
                conflicts->Put(guid, 1);
            continue;
        }
        teamwork.reserved.insert(guid);
    }
    return NoError;
}

GSErrCode Environment(HostSession& s, API_EnvironmentID code, void* par1, void*, void*)
{
    switch (code) {
    case APIEnv_GetStoryInfoID: {
        auto* info = static_cast<API_StoryInfo*>(par1);
        if (info == nullptr)
            return APIERR_BADPARS;
        *info = API_StoryInfo();
        const auto& stories = s.project.stories;
        GSHandle data = BMhAllClear(GSSize(stories.size() * sizeof(API_StoryType)));
        if (data == nullptr)
            return APIERR_MEMFULL;
        short first = 0, last = 0;
        for (std::size_t i = 0; i < stories.size(); ++i) {
            API_StoryType story;
            story.index = stories[i].index;
            story.level = stories[i].level;
            GS::UniString(stories[i].name).CopyToField(story.uName, API_UniLongNameLen);
            std::memcpy(*data + i * sizeof(API_StoryType), &story, sizeof story);
            first = i == 0 ? story.index : std::min(first, story.index);
            last = i == 0 ? story.index : std::max(last, story.index);
        }
        info->firstStory = first;
        info->lastStory = last;
        info->actStory = s.project.currentStory;
        info->data = reinterpret_cast<API_StoryType**>(data);
        return NoError;
    }
    case APIEnv_GetCurrLayerCombID:
        if (par1 == nullptr)
            return APIERR_BADPARS;
        *static_cast<API_AttributeIndex*>(par1) = CurrentCombination(s.project);
        return NoError;
    case APIEnv_ChangeCurrLayerCombID: {
        if (par1 == nullptr)
            return APIERR_BADPARS;
        const LayerCombination* combination = s.project.FindLayerCombination(*static_cast<API_AttributeIndex*>(par1));
        if (combination == nullptr)
            return APIERR_BADINDEX;
        if (GSErrCode err = CheckChangeScope(s))
            return err;
        const auto flags = combination->flags;
        for (const auto& [index, word] : flags)
            if (const Layer* layer = s.project.FindLayer(index)) {
                NoteLayer(s, *layer);
                s.project.EditLayer(index)->flags = word;
            }
        return NoError;
    }
    case APIEnv_IsSuspendGroupOnID:
        if (par1 == nullptr)
            return APIERR_BADPARS;
        *static_cast<bool*>(par1) = s.project.suspendGroups;
        return NoError;
    default:
        return APIERR_NOTSUPPORTED;
    }
}

GSErrCode Goodies(HostSession& s, API_GoodiesID code, void* par1, void* par2, void*)
{
    switch (code) {
    case APIAny_GetBuiltInLibpartUnIdID: {
        // par1: the resource id as an integer; par2: a char buffer of at least 128 bytes.
        const auto resId = short(reinterpret_cast<GS::IntPtr>(par1));
        if (par2 == nullptr)
            return APIERR_BADPARS;
        for (const LibPart& part : s.project.libParts)
            if (part.builtIn && part.resourceId == resId) {
                const std::string unId = LibPartUnId(part);
                std::memcpy(par2, unId.c_str(), unId.size() + 1);
                return NoError;
            }
        return APIERR_BADID;
    }
    case APIAny_NeigIDToElemTypeID: {
        if (par1 == nullptr || par2 == nullptr)
            return APIERR_BADPARS;
        auto* type = static_cast<API_ElemTypeID*>(par2);
        switch (*static_cast<API_NeigID*>(par1)) {
        case APINeig_Zone:
        case APINeig_ZoneOn:
            *type = API_ZoneID;
            return NoError;
        case APINeig_Label:
            *type = API_LabelID;
            return NoError;
        case APINeig_Wall:
            *type = API_WallID;
            return NoError;
        case APINeig_Hatch:
            *type = API_HatchID;
            return NoError;
        default:
            *type = API_ZombieElemID;
            return APIERR_BADID;
        }
    }
    default:
        return APIERR_NOTSUPPORTED;
    }
}

// The emulated host offers no interface functions.
GSErrCode Interface(HostSession&, API_InterfaceID, void*, void*)
{
    return APIERR_NOTSUPPORTED;
}

} // namespace Host::Ops
