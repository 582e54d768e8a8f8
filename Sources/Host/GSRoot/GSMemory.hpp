// The host's memory manager: relocatable handles. Growing a handle fills the new space with zeros.
#pragma once

#include "GSTypes.hpp"

GSHandle BMhAllClear(GSSize size);
GSSize BMhGetSize(GSHandle handle);
GSErrCode BMhReallocClear(GSHandle* handle, GSSize newSize); // the handle stays valid, its block moves
void BMhKill(GSHandle* handle);                              // sets the handle to nullptr
GSPtr BMpAllClear(GSSize size);
void BMpKill(GSPtr* pointer);
Int64 BMOutstandingHandles(); // live handles of the process, for leak checks
