// Management instrumentation through COM: the locator, a namespace's services, the objects a
// query returns, each read whole into the seam's object when it arrives.
#include <utility>

#include "platform/win32/com_thread.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_api.h"
#include "platform/win32/wmi_variant.h"

#include <wbemidl.h>

namespace platform::win32 {

namespace {

struct Release {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, Release>;

struct FreeString {
    void operator()(BSTR text) const { ::SysFreeString(text); }
};
using Bstr = std::unique_ptr<OLECHAR, FreeString>;

Bstr MakeBstr(const std::wstring& text) {
    return Bstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// The object's own properties, without the system ones ("__CLASS" and the like).
void ReadProperties(IWbemClassObject& source, WmiObject* object) {
    if (FAILED(source.BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY))) return;
    BSTR name = nullptr;
    VARIANT value;
    ::VariantInit(&value);
    while (source.Next(0, &name, &value, nullptr, nullptr) == WBEM_S_NO_ERROR) {
        const Bstr owned(name);
        object->Set(std::wstring(name, ::SysStringLen(name)), WmiValueOf(value));
        ::VariantClear(&value);
    }
    source.EndEnumeration();
}

class ComEnumerator : public WmiEnumerator {
  public:
    explicit ComEnumerator(ComPtr<IEnumWbemClassObject> objects) : objects_(std::move(objects)) {}

    HRESULT Next(long timeoutMs, WmiObject* object, DWORD* returned) override {
        IWbemClassObject* found = nullptr;
        ULONG count = 0;
        const ::HRESULT result = objects_->Next(timeoutMs, 1, &found, &count);
        *returned = count;
        if (found != nullptr) {
            const ComPtr<IWbemClassObject> owned(found);
            *object = WmiObject();
            ReadProperties(*owned, object);
        }
        return result;
    }

  private:
    ComPtr<IEnumWbemClassObject> objects_;
};

class ComServices : public WmiServices {
  public:
    explicit ComServices(ComPtr<IWbemServices> services) : services_(std::move(services)) {}

    HRESULT SetProxyBlanket(DWORD authnService, DWORD authzService, DWORD authnLevel,
                            DWORD impersonationLevel, DWORD capabilities) override {
        return ::CoSetProxyBlanket(services_.get(), authnService, authzService, nullptr, authnLevel,
                                   impersonationLevel, nullptr, capabilities);
    }

    HRESULT ExecQuery(const std::wstring& language, const std::wstring& query, long flags,
                      std::unique_ptr<WmiEnumerator>* enumerator) override {
        IEnumWbemClassObject* objects = nullptr;
        const ::HRESULT result = services_->ExecQuery(
            MakeBstr(language).get(), MakeBstr(query).get(), flags, nullptr, &objects);
        if (objects != nullptr)
            *enumerator = std::make_unique<ComEnumerator>(ComPtr<IEnumWbemClassObject>(objects));
        return result;
    }

  private:
    ComPtr<IWbemServices> services_;
};

class ComLocator : public WmiLocator {
  public:
    explicit ComLocator(ComPtr<IWbemLocator> locator) : locator_(std::move(locator)) {}

    HRESULT ConnectServer(const std::wstring& nameSpace, long securityFlags,
                          std::unique_ptr<WmiServices>* services) override {
        IWbemServices* connected = nullptr;
        const ::HRESULT result =
            locator_->ConnectServer(MakeBstr(nameSpace).get(), nullptr, nullptr, nullptr,
                                    securityFlags, nullptr, nullptr, &connected);
        if (connected != nullptr)
            *services = std::make_unique<ComServices>(ComPtr<IWbemServices>(connected));
        return result;
    }

  private:
    ComPtr<IWbemLocator> locator_;
};

}  // namespace

HRESULT Win32Platform::CoInitializeSecurity() {
    if (const HRESULT com = StartComOnThisThread(); FAILED(com)) return com;
    return ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
}

HRESULT Win32Platform::CreateWbemLocator(std::unique_ptr<WmiLocator>* locator) {
    if (const HRESULT com = StartComOnThisThread(); FAILED(com)) return com;
    IWbemLocator* created = nullptr;
    const ::HRESULT result = ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_PPV_ARGS(&created));
    if (created != nullptr) *locator = std::make_unique<ComLocator>(ComPtr<IWbemLocator>(created));
    return result;
}

}  // namespace platform::win32
