// RS: the host's resource manager. Each add-on has one resource module, read from the add-on's
// resource folder in the chosen language: string lists, menus, alerts, dialog and palette layouts
// and library parts. Modules exist once per process.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "../API/APIdefs.hpp"

// Fetches string `index` (from 1) of string list `resId`; false when there is none.
bool RSGetIndString(GS::UniString* str, short resId, short index, GSResModule module);

namespace RS {

struct AlertResource {
    short id = 0;
    GS::UniString largeText; // "^0" to "^3" stand for the four substitution texts
    GS::UniString smallText;
    std::vector<GS::UniString> buttons; // one to three captions, button 1 first
    short defaultButton = 1;            // answered when nobody answers
};

struct ItemResource {
    short id = 0;
    std::string type; // "button", "separator", "lefttext", "listbox"
    Int32 x = 0, y = 0, width = 0, height = 0;
    GS::UniString text;
};

struct PanelResource {
    short id = 0;
    std::string kind; // "dialog" or "palette"
    GS::UniString title;
    Int32 width = 0, height = 0;
    std::vector<ItemResource> items;
};

struct MenuResource {
    short id = 0;
    std::vector<GS::UniString> items;
};

// A library-part parameter declaration. Scalars hold one value; arrays dim1 x dim2 values, row by row.
struct LibParamResource {
    std::string name;
    API_AddParID type = APIParT_RealNum;
    bool isArray = false;
    Int32 dim1 = 0, dim2 = 0;
    std::vector<double> numbers;
    std::vector<GS::UniString> strings;
};

struct LibPartResource {
    short id = 0;
    std::string name;
    std::string guid; // "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX"
    std::string kind; // "label", "zonestamp", ...
    std::vector<LibParamResource> params;
};

// Opens the resources of `folder` in `language` ("en", "de"); InvalidResModule on failure, with
// a message naming the file and what is wrong in `error`.
GSResModule OpenModule(const std::string& folder, const std::string& language, std::string& error);
void CloseModule(GSResModule module);

const AlertResource* GetAlert(GSResModule module, short id);
const PanelResource* GetPanel(GSResModule module, short id);
const MenuResource* GetMenu(GSResModule module, short id);
const LibPartResource* GetLibPart(GSResModule module, short id);
std::vector<const LibPartResource*> GetLibParts(GSResModule module);

} // namespace RS
