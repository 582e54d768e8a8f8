// Reading and writing library-part parameters of element memos by name, and a scope object that
// releases a memo on every path. Shared by the content computation, creation and live updates.
#pragma once

#include <cstring>

#include "HostAPI.hpp"

// Releases the memo's handles when it goes out of scope, whatever path the caller takes.
class ALMemoScope {
public:
    explicit ALMemoScope(API_ElementMemo& memo) : memo(memo) {}
    // The host releases the handles even when it reports a failure, so there is nothing to retry.
    ~ALMemoScope() { ACAPI_DisposeElemMemoHdls(&memo); }
    ALMemoScope(const ALMemoScope&) = delete;
    ALMemoScope& operator=(const ALMemoScope&) = delete;

private:
    API_ElementMemo& memo;
};

inline Int32 ALParamCount(const API_ElementMemo& memo)
{
    return API_AddParCount(memo.params);
}

// The record's name field need not be terminated when the name fills all of it.
inline bool ALParamNameIs(const API_AddParType& param, const char* name)
{
    const Int32 fieldLength = Int32(strnlen(param.name, API_NameLen));
    return GS::CHCompareTexts(param.name, name, fieldLength, -1, 0, GS::CC_Default) == 0;
}

inline bool ALIsNumericArrayParam(const API_AddParType& param)
{
    return param.typeMod == API_ParArray && param.typ != APIParT_CString;
}

// The scalar string of a parameter; stops at the field's end when the host left no terminator.
inline GS::UniString ALScalarStringOf(const API_AddParType& param)
{
    std::size_t length = 0;
    while (length < sizeof(param.value.uStr) / sizeof(GS::UniChar) && param.value.uStr[length] != 0)
        ++length;
    return GS::UniString(param.value.uStr, length);
}

// Calls fn(API_AddParType&) for every parameter called `name`, in memo order; returns how many.
template <typename Fn> Int32 ALForEachParamNamed(API_ElementMemo& memo, const char* name, Fn&& fn)
{
    const Int32 count = ALParamCount(memo);
    Int32 matches = 0;
    for (Int32 i = 0; i < count; ++i) {
        API_AddParType& param = (*memo.params)[i];
        if (ALParamNameIs(param, name)) {
            ++matches;
            fn(param);
        }
    }
    return matches;
}

// The first parameter called `name`, or nullptr.
inline API_AddParType* ALFindParam(const API_ElementMemo& memo, const char* name)
{
    const Int32 count = ALParamCount(memo);
    for (Int32 i = 0; i < count; ++i) {
        if (ALParamNameIs((*memo.params)[i], name))
            return &(*memo.params)[i];
    }
    return nullptr;
}

// Gives the array handle exactly `bytes` bytes, zero-filled where it grows; one allocation step.
inline GSErrCode ALResizeArrayHandle(API_AddParType& param, GSSize bytes)
{
    if (param.value.array == nullptr) {
        param.value.array = BMhAllClear(bytes);
        return param.value.array == nullptr ? GSErrCode(ErrMemoryFull) : NoError;
    }
    return BMhReallocClear(&param.value.array, bytes);
}

// ---- Writing single parameters ------------------------------------------------------------------

// The field holds 255 units and a terminator: a longer text is cut there, never in the middle of a
// surrogate pair.
inline void ALWriteScalarString(API_AddParType& param, const GS::UniString& value)
{
    value.CopyToField(param.value.uStr, sizeof(param.value.uStr) / sizeof(GS::UniChar));
}

// An array is written only into an array parameter (APIERR_BADPARS otherwise).
inline GSErrCode ALWriteNumberArray(API_AddParType& param, Int32 dim1, Int32 dim2, const GS::Array<double>& values)
{
    if (param.typeMod != API_ParArray)
        return APIERR_BADPARS;
    param.dim1 = dim1;
    param.dim2 = dim2;
    const GSErrCode err = ALResizeArrayHandle(param, GSSize(values.GetSize() * sizeof(double)));
    if (err != NoError)
        return err;
    if (!values.IsEmpty())
        std::memcpy(*param.value.array, &values[0], values.GetSize() * sizeof(double));
    return NoError;
}

// Packs the strings one after the other, each with its terminating zero.
inline GSErrCode ALWriteStringArray(API_AddParType& param, Int32 dim1, Int32 dim2,
                                    const GS::Array<GS::UniString>& values)
{
    if (param.typeMod != API_ParArray)
        return APIERR_BADPARS;
    param.dim1 = dim1;
    param.dim2 = dim2;
    std::size_t units = 0;
    for (const GS::UniString& value : values)
        units += value.GetLength() + 1;
    const GSErrCode err = ALResizeArrayHandle(param, GSSize(units * sizeof(GS::UniChar)));
    if (err != NoError)
        return err;
    char* target = *param.value.array;
    for (const GS::UniString& value : values) {
        const std::size_t bytes = (value.GetLength() + 1) * sizeof(GS::UniChar);
        std::memcpy(target, value.ToUStr(), bytes);
        target += bytes;
    }
    return NoError;
}

// ---- Writing every parameter of a name ----------------------------------------------------------
// Only parameters of the matching shape are written: a scalar's value field and an array's handle
// share storage, so writing the wrong shape would corrupt the memo.

inline bool ALIsArrayParam(const API_AddParType& param)
{
    return param.typeMod == API_ParArray;
}

inline void ALSetScalarStringParams(API_ElementMemo& memo, const char* name, const GS::UniString& value)
{
    ALForEachParamNamed(memo, name, [&](API_AddParType& param) {
        if (!ALIsArrayParam(param))
            ALWriteScalarString(param, value);
    });
}

inline void ALSetScalarNumberParams(API_ElementMemo& memo, const char* name, double value)
{
    ALForEachParamNamed(memo, name, [&](API_AddParType& param) {
        if (!ALIsArrayParam(param))
            param.value.real = value;
    });
}

inline GSErrCode ALSetNumberArrayParams(API_ElementMemo& memo, const char* name, Int32 dim1, Int32 dim2,
                                        const GS::Array<double>& values)
{
    GSErrCode result = NoError;
    ALForEachParamNamed(memo, name, [&](API_AddParType& param) {
        if (!ALIsArrayParam(param))
            return;
        const GSErrCode err = ALWriteNumberArray(param, dim1, dim2, values);
        if (err != NoError)
            result = err;
    });
    return result;
}

inline GSErrCode ALSetStringArrayParams(API_ElementMemo& memo, const char* name, Int32 dim1, Int32 dim2,
                                        const GS::Array<GS::UniString>& values)
{
    GSErrCode result = NoError;
    ALForEachParamNamed(memo, name, [&](API_AddParType& param) {
        if (!ALIsArrayParam(param))
            return;
        const GSErrCode err = ALWriteStringArray(param, dim1, dim2, values);
        if (err != NoError)
            result = err;
    });
    return result;
}

// ---- Reading arrays -----------------------------------------------------------------------------

// The numbers an array parameter holds, as many as both its dimensions and its handle allow.
inline GS::Array<double> ALReadNumberArray(const API_AddParType& param)
{
    GS::Array<double> values;
    if (param.typeMod != API_ParArray || param.value.array == nullptr || param.dim1 <= 0 || param.dim2 <= 0)
        return values;
    const std::size_t declared = std::size_t(param.dim1) * std::size_t(param.dim2);
    const std::size_t held = std::size_t(BMhGetSize(param.value.array)) / sizeof(double);
    const std::size_t count = declared < held ? declared : held;
    for (std::size_t i = 0; i < count; ++i) {
        double value;
        std::memcpy(&value, *param.value.array + i * sizeof(double), sizeof value);
        values.Push(value);
    }
    return values;
}

// The packed strings of a string array; a last string without terminator ends at the handle's end.
inline GS::Array<GS::UniString> ALReadStringArray(const API_AddParType& param)
{
    GS::Array<GS::UniString> values;
    if (param.typeMod != API_ParArray || param.value.array == nullptr || param.dim1 <= 0 || param.dim2 <= 0)
        return values;
    const std::size_t declared = std::size_t(param.dim1) * std::size_t(param.dim2);
    const std::size_t units = std::size_t(BMhGetSize(param.value.array)) / sizeof(GS::UniChar);
    const char* data = *param.value.array;
    std::size_t position = 0;
    while (values.GetSize() < declared && position < units) {
        std::u16string text;
        while (position < units) {
            GS::UniChar unit;
            std::memcpy(&unit, data + position * sizeof(GS::UniChar), sizeof unit);
            ++position;
            if (unit == 0)
                break;
            text.push_back(unit);
        }
        values.Push(GS::UniString(std::move(text)));
    }
    return values;
}
