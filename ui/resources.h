// Skins and images as resources: (name, type) pairs with bytes, embedded into the executable at
// build time (see ui/cmake/SkinUIResources.cmake) or registered by tests. On Windows the build
// makes them resources of the executable, served by a module that overrides Find.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace SkinUI {

class CResourceModule {
  public:
    virtual ~CResourceModule() = default;
    // `bytes` must outlive the module (embedded data does).
    void Add(std::wstring name, std::wstring type, std::string_view bytes);
    // Resource type names match without regard to case; names match exactly.
    virtual std::optional<std::string_view> Find(std::wstring_view name,
                                                 std::wstring_view type) const;

  private:
    std::map<std::pair<std::wstring, std::wstring>, std::string_view> entries_;
};

// The module chosen with CPaintManagerUI::SetInstance, then the resource folder for files.
// `type` empty means a file: an embedded resource of type "FILE", else a file name relative to
// the resource folder.
std::optional<std::string> LoadResourceBytes(std::wstring_view name, std::wstring_view type);

void SetResourceModule(const CResourceModule* module);
const CResourceModule* GetResourceModule();
void SetResourceFolder(std::wstring folder);

}  // namespace SkinUI
