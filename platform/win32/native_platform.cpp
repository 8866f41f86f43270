#include "platform/native_platform.h"
namespace platform {
std::unique_ptr<Platform> MakeNativePlatform(std::wstring* error) { *error = L"x"; return nullptr; }
}
