// The add-on's shell: the handlers the entry points install, and the dispatcher's check results.
#pragma once

#include "HostAPI.hpp"

GSErrCode MenuCommandHandler(const API_MenuParams* menuParams);
GSErrCode ElementEventHandlerProc(const API_NotifyElementType* elemType);
GSErrCode ProjectEventHandlerProc(API_NotifyEventID notifID, Int32 param);

constexpr short ID_AL_MENU = 32501;
constexpr short ID_AL_PALETTE_MENU = 32502;
