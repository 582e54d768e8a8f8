// The host operations and records the add-on uses. The add-on includes only this file and the
// host's library headers; porting it to the real host means swapping these includes.
#pragma once

#include "../Host/API/ACAPinc.hpp"
#include "../Host/DG/DG.hpp"
#include "../Host/GSRoot/Array.hpp"
#include "../Host/GSRoot/GSUtils.hpp"
#include "../Host/GSRoot/HashSet.hpp"
#include "../Host/GSRoot/HashTable.hpp"
#include "../Host/GSRoot/UniString.hpp"
#include "../Host/RS/RS.hpp"

// The add-on's own result codes, in the host's code space.
constexpr GSErrCode ErrGeneral = GSErrCode(0x810E0001);
constexpr GSErrCode ErrUpdateRefused = GSErrCode(0x810E0003);
constexpr GSErrCode ErrArealistsNotReserved = GSErrCode(0x810E0004);
constexpr GSErrCode ErrRoomsNotReserved = GSErrCode(0x810E0005);
constexpr GSErrCode ErrUnofficialArealist = GSErrCode(0x810E0006);
constexpr GSErrCode ErrRoomsInconsistent = GSErrCode(0x810E0008);
constexpr GSErrCode ErrParamNotFound = GSErrCode(0x810E0009);
constexpr GSErrCode ErrRoomsWithoutTopId = GSErrCode(0x810E000A);

using GuidSet = GS::HashSet<API_Guid>;
using GuidArray = GS::Array<API_Guid>;
