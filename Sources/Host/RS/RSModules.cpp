// RS: the process-wide registry of resource modules, opened from JSON files and looked up by id.
#include <filesystem>
#include <map>
#include <memory>

#include "RS.hpp"
#include "RSReader.hpp"

namespace {

struct Module {
    std::string key; // canonical folder and language: the same resources are opened only once
    int openCount = 0;
    RS::ModuleContent content;
};

std::map<GSResModule, std::unique_ptr<Module>>& Modules()
{
    static std::map<GSResModule, std::unique_ptr<Module>> modules;
    return modules;
}

// Handles are never reused, so a stale handle finds nothing instead of someone else's module.
GSResModule nextHandle = 1;

const RS::ModuleContent* ContentOf(GSResModule module)
{
    auto found = Modules().find(module);
    return found == Modules().end() ? nullptr : &found->second->content;
}

bool IsPlainLanguage(const std::string& language)
{
    if (language.empty() || language.size() > 16)
        return false;
    for (char c : language) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
        if (!plain)
            return false;
    }
    return true;
}

template <typename Map> auto Find(const Map& map, short id) -> const typename Map::mapped_type*
{
    auto found = map.find(id);
    return found == map.end() ? nullptr : &found->second;
}

// One resource of a module's table: nullptr for an unknown module or id.
template <typename Map>
auto FindInModule(GSResModule module, Map RS::ModuleContent::*table, short id) -> const typename Map::mapped_type*
{
    const RS::ModuleContent* content = ContentOf(module);
    return content == nullptr ? nullptr : Find(content->*table, id);
}

} // namespace

bool RSGetIndString(GS::UniString* str, short resId, short index, GSResModule module)
{
    const RS::ModuleContent* content = ContentOf(module);
    if (str == nullptr || content == nullptr || index < 1)
        return false;
    const auto* list = Find(content->strings, resId);
    if (list == nullptr || std::size_t(index) > list->size())
        return false;
    *str = (*list)[std::size_t(index) - 1];
    return true;
}

namespace RS {

GSResModule OpenModule(const std::string& folder, const std::string& language, std::string& error)
{
    error.clear();
    if (!IsPlainLanguage(language)) {
        error = "resource language \"" + language + "\" is not a plain language name such as \"en\"";
        return InvalidResModule;
    }
    std::error_code ec;
    const std::filesystem::path directory = std::filesystem::path(folder) / language;
    if (!std::filesystem::is_directory(directory, ec)) {
        error = directory.string() + ": no such resource folder";
        return InvalidResModule;
    }
    const std::string key = std::filesystem::weakly_canonical(directory, ec).string();
    for (auto& [handle, module] : Modules()) {
        if (module->key == key) {
            ++module->openCount;
            return handle;
        }
    }
    auto module = std::make_unique<Module>();
    module->key = key;
    module->openCount = 1;
    if (!ReadModuleFolder(directory, module->content, error))
        return InvalidResModule;
    const GSResModule handle = nextHandle++;
    Modules().emplace(handle, std::move(module));
    return handle;
}

void CloseModule(GSResModule module)
{
    auto found = Modules().find(module);
    if (found == Modules().end())
        return;
    if (--found->second->openCount <= 0)
        Modules().erase(found);
}

const AlertResource* GetAlert(GSResModule module, short id)
{
    return FindInModule(module, &ModuleContent::alerts, id);
}

const PanelResource* GetPanel(GSResModule module, short id)
{
    return FindInModule(module, &ModuleContent::panels, id);
}

const MenuResource* GetMenu(GSResModule module, short id)
{
    return FindInModule(module, &ModuleContent::menus, id);
}

const LibPartResource* GetLibPart(GSResModule module, short id)
{
    return FindInModule(module, &ModuleContent::libParts, id);
}

std::vector<const LibPartResource*> GetLibParts(GSResModule module)
{
    std::vector<const LibPartResource*> parts;
    if (const ModuleContent* content = ContentOf(module)) {
        for (const auto& [id, part] : content->libParts)
            parts.push_back(&part);
    }
    return parts;
}

} // namespace RS
