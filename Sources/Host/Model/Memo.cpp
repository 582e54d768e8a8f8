// Library-part parameters as the add-on sees them: the params handle built from a project's
// parameters, read back after the add-on edited it, and released.
#include <algorithm>
#include <cstring>

#include "HostSession.hpp"

namespace Host {

namespace {

constexpr std::size_t StringFieldUnits = 256;

bool IsStringType(API_AddParID type)
{
    return type == APIParT_CString;
}

GSHandle PackStrings(const std::vector<GS::UniString>& texts)
{
    std::size_t units = 0;
    for (const GS::UniString& text : texts)
        units += text.GetLength() + 1;
    GSHandle handle = BMhAllClear(GSSize(units * sizeof(GS::UniChar)));
    if (handle == nullptr)
        return nullptr;
    auto* out = reinterpret_cast<GS::UniChar*>(*handle);
    for (const GS::UniString& text : texts) {
        std::memcpy(out, text.ToUStr(), text.GetLength() * sizeof(GS::UniChar));
        out += text.GetLength() + 1;
    }
    return handle;
}

} // namespace

API_AddParHandle BuildParams(const std::vector<Param>& params)
{
    GSHandle raw = BMhAllClear(GSSize(params.size() * sizeof(API_AddParType)));
    if (raw == nullptr)
        return nullptr;
    auto handle = reinterpret_cast<API_AddParHandle>(raw);
    // Each record is written where it lies in the zeroed handle: a record is over half a kilobyte
    // (its string field), and the add-on reads memos of every Arealist or zone when a zone joins
    // a TOP, so building a record aside and copying it in tripled the memory written.
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Param& param = params[i];
        API_AddParType& record = (*handle)[i];
        std::memcpy(record.name, param.name.c_str(), std::min(param.name.size(), std::size_t(API_NameLen - 1)));
        record.typ = param.type;
        record.typeMod = param.isArray ? API_ParArray : API_ParSimple;
        record.index = Int16(i);
        record.dim1 = param.dim1;
        record.dim2 = param.dim2;
        if (!param.isArray) {
            if (IsStringType(param.type))
                param.text.CopyToField(record.value.uStr, StringFieldUnits);
            else
                record.value.real = param.number;
        } else if (IsStringType(param.type)) {
            record.value.array = PackStrings(param.texts);
        } else {
            record.value.array = BMhAllClear(GSSize(param.numbers.size() * sizeof(double)));
            if (record.value.array != nullptr && !param.numbers.empty())
                std::memcpy(*record.value.array, param.numbers.data(), param.numbers.size() * sizeof(double));
        }
    }
    return handle;
}

// Reads an edited params handle back into parameter values. Arrays take dim1 x dim2 values from
// their handle (missing values read as zero or empty, never beyond the handle's end); a scalar
// string is read up to its zero, at most 255 units.
bool ReadParams(API_AddParHandle handle, std::vector<Param>& params)
{
    params.clear();
    const Int32 count = API_AddParCount(handle);
    for (Int32 i = 0; i < count; ++i) {
        const API_AddParType& record = (*handle)[i];
        Param param;
        param.name.assign(record.name, strnlen(record.name, API_NameLen));
        param.type = record.typ;
        param.isArray = record.typeMod == API_ParArray;
        param.dim1 = record.dim1;
        param.dim2 = record.dim2;
        if (!param.isArray) {
            if (IsStringType(param.type)) {
                std::size_t length = 0;
                while (length < StringFieldUnits - 1 && record.value.uStr[length] != 0)
                    ++length;
                param.text = GS::UniString(record.value.uStr, length);
            } else {
                param.number = record.value.real;
            }
        } else {
            const std::size_t wanted = std::size_t(std::max(record.dim1, 0)) * std::size_t(std::max(record.dim2, 0));
            const GSHandle array = record.value.array;
            const std::size_t bytes = array == nullptr ? 0 : std::size_t(BMhGetSize(array));
            if (IsStringType(param.type)) {
                const auto* units = array == nullptr ? nullptr : reinterpret_cast<const GS::UniChar*>(*array);
                const std::size_t total = bytes / sizeof(GS::UniChar);
                std::size_t at = 0;
                for (std::size_t k = 0; k < wanted; ++k) {
                    std::size_t end = at;
                    while (end < total && units[end] != 0)
                        ++end;
                    param.texts.push_back(at < total ? GS::UniString(units + at, end - at) : GS::UniString());
                    at = std::min(total, end + 1);
                }
            } else {
                param.numbers.assign(wanted, 0.0);
                const std::size_t available = std::min(wanted, bytes / sizeof(double));
                if (available > 0)
                    std::memcpy(param.numbers.data(), *array, available * sizeof(double));
            }
        }
        params.push_back(std::move(param));
    }
    return true;
}

void DisposeParams(API_AddParHandle handle)
{
    if (handle == nullptr)
        return;
    const Int32 count = API_AddParCount(handle);
    for (Int32 i = 0; i < count; ++i)
        if ((*handle)[i].typeMod == API_ParArray && (*handle)[i].value.array != nullptr)
            BMhKill(&(*handle)[i].value.array);
    GSHandle raw = reinterpret_cast<GSHandle>(handle);
    BMhKill(&raw);
}

// Every params handle the host hands out is counted until the add-on disposes of it.
void HandOut(HostSession& session, API_AddParHandle handle)
{
    if (handle != nullptr)
        session.memosOut.insert(handle);
}

std::vector<Param> ParamsFromResource(const std::vector<RS::LibParamResource>& resources)
{
    std::vector<Param> params;
    for (const RS::LibParamResource& resource : resources) {
        Param param;
        param.name = resource.name;
        param.type = resource.type;
        param.isArray = resource.isArray;
        param.dim1 = resource.dim1;
        param.dim2 = resource.dim2;
        if (resource.isArray) {
            if (IsStringType(resource.type))
                param.texts = resource.strings;
            else
                param.numbers = resource.numbers;
        } else if (IsStringType(resource.type)) {
            param.text = resource.strings.empty() ? GS::UniString() : resource.strings.front();
        } else {
            param.number = resource.numbers.empty() ? 0.0 : resource.numbers.front();
        }
        params.push_back(std::move(param));
    }
    return params;
}

} // namespace Host
