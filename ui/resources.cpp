#include "ui/resources.h"

#include <cwctype>
#include <fstream>
#include <iterator>

#include "base/utf8.h"

namespace SkinUI {

namespace {

std::wstring Lower(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

const CResourceModule*& ModuleSlot() {
    static const CResourceModule* module = nullptr;
    return module;
}

std::wstring& FolderSlot() {
    static std::wstring folder;
    return folder;
}

}  // namespace

void CResourceModule::Add(std::wstring name, std::wstring type, std::string_view bytes) {
    entries_[{std::move(name), Lower(type)}] = bytes;
}

std::optional<std::string_view> CResourceModule::Find(std::wstring_view name,
                                                      std::wstring_view type) const {
    auto it = entries_.find({std::wstring(name), Lower(type)});
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

void SetResourceModule(const CResourceModule* module) {
    ModuleSlot() = module;
}
const CResourceModule* GetResourceModule() {
    return ModuleSlot();
}
void SetResourceFolder(std::wstring folder) {
    FolderSlot() = std::move(folder);
}

std::optional<std::string> LoadResourceBytes(std::wstring_view name, std::wstring_view type) {
    if (const CResourceModule* module = ModuleSlot()) {
        // Embedded files (pictures named by file name) are resources of type "FILE".
        if (auto bytes = module->Find(name, type.empty() ? std::wstring_view(L"file") : type))
            return std::string(*bytes);
    }
    if (!type.empty() || name.empty()) return std::nullopt;
    std::wstring path =
        name.front() == L'/' ? std::wstring(name) : FolderSlot() + std::wstring(name);
    std::ifstream file(ToUtf8(path), std::ios::binary);
    if (!file) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace SkinUI
