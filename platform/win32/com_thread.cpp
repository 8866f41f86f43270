#include "platform/win32/com_thread.h"

#include "platform/win32/windows_api.h"

#include <objbase.h>

namespace platform::win32 {

namespace {

// A single-threaded apartment: the thread of a window wants one, and so do the shell's calls.
class ThreadCom {
  public:
    ThreadCom()
        : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ThreadCom() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ThreadCom(const ThreadCom&) = delete;
    ThreadCom& operator=(const ThreadCom&) = delete;

    // Another part of the program may have chosen this thread's apartment already; COM works
    // all the same.
    HRESULT Result() const { return result_ == RPC_E_CHANGED_MODE ? S_OK : result_; }

  private:
    ::HRESULT result_;
};

}  // namespace

HRESULT StartComOnThisThread() {
    thread_local const ThreadCom com;
    return com.Result();
}

}  // namespace platform::win32
