#include "platform/inventory/locator.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/inventory/wql.h"
#include "platform/win_names.h"

namespace platform::inventory {

namespace {

class Results : public WmiEnumerator {
  public:
    explicit Results(std::vector<WmiInstance> results) : results_(std::move(results)) {}
    HRESULT Next(long, WmiObject* object, DWORD* returned) override {
        if (next_ >= results_.size()) {
            *returned = 0;
            return WBEM_S_FALSE;
        }
        *object = results_[next_++].object;
        *returned = 1;
        return S_OK;
    }

  private:
    std::vector<WmiInstance> results_;
    size_t next_ = 0;
};

class Connection : public WmiServices {
  public:
    Connection(std::shared_ptr<const Inventory> inventory, const FailurePoints& failures,
               std::wstring nameSpace)
        : inventory_(std::move(inventory)), failures_(failures), nameSpace_(std::move(nameSpace)) {}
    HRESULT SetProxyBlanket(DWORD, DWORD, DWORD, DWORD, DWORD) override {
        return failures_.blanketFails ? E_ACCESSDENIED : S_OK;
    }
    HRESULT ExecQuery(const std::wstring& language, const std::wstring& query, long,
                      std::unique_ptr<WmiEnumerator>* enumerator) override {
        enumerator->reset();
        if (UpperCase(language) != L"WQL") return WBEM_E_INVALID_QUERY_TYPE;
        if (failures_.queryFails) return WBEM_E_TRANSPORT_FAILURE;
        std::vector<WmiInstance> results;
        const HRESULT result = RunWql(*inventory_, nameSpace_, query, &results);
        if (!Succeeded(result)) return result;
        *enumerator = std::make_unique<Results>(std::move(results));
        return S_OK;
    }

  private:
    std::shared_ptr<const Inventory> inventory_;
    FailurePoints failures_;
    std::wstring nameSpace_;
};

class Locator : public WmiLocator {
  public:
    Locator(std::shared_ptr<const Inventory> inventory, FailurePoints failures)
        : inventory_(std::move(inventory)), failures_(std::move(failures)) {}
    HRESULT ConnectServer(const std::wstring& nameSpace, long,
                          std::unique_ptr<WmiServices>* services) override {
        services->reset();
        if (failures_.serviceAvailable && !failures_.serviceAvailable())
            return WBEM_E_TRANSPORT_FAILURE;
        // "\\.\root\cimv2" and "root\cimv2" name the same namespace on the local machine.
        std::wstring local = nameSpace;
        for (const wchar_t* prefix : {L"\\\\.\\", L"//./"})
            if (local.rfind(prefix, 0) == 0) local = local.substr(4);
        if (PathKey(local) != L"ROOT\\CIMV2" && PathKey(local) != L"ROOT\\WMI")
            return WBEM_E_INVALID_NAMESPACE;
        *services = std::make_unique<Connection>(inventory_, failures_, local);
        return S_OK;
    }

  private:
    std::shared_ptr<const Inventory> inventory_;
    FailurePoints failures_;
};

}  // namespace

std::unique_ptr<WmiLocator> MakeLocator(std::shared_ptr<const Inventory> inventory,
                                        FailurePoints failures) {
    return std::make_unique<Locator>(std::move(inventory), std::move(failures));
}

}  // namespace platform::inventory
