// RS: reading and validating a resource folder's JSON files (format: Resources/README.md).
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "RS.hpp"

namespace RS {

struct ModuleContent {
    std::map<short, std::vector<GS::UniString>> strings;
    std::map<short, MenuResource> menus;
    std::map<short, AlertResource> alerts;
    std::map<short, PanelResource> panels;
    std::map<short, LibPartResource> libParts;
};

// Reads every *.json file of the folder, in name order. On failure `error` names the file and
// the JSON path of the fault, and `content` must be discarded.
bool ReadModuleFolder(const std::filesystem::path& folder, ModuleContent& content, std::string& error);

// Reads one file's text into `content` (exposed for tests and fuzzing); `fileName` is used in messages.
bool ReadResourceText(const std::string& fileName, const std::string& text, ModuleContent& content, std::string& error);

} // namespace RS
