// `tramsik-cli capture`: the machine as the inventory saw it, written as a machine description
// to standard output or, through a temporary file and a rename, to --out.
#pragma once

#include <cstdio>
#include <string>

namespace disk {
class CAtaSmart;
}  // namespace disk

namespace cli {

struct CaptureRequest {
    std::wstring out;  // empty: standard output
    bool anonymize = false;
};

// `engine` has taken its inventory. Progress lines go to `err` once the capture has taken more
// than a second.
int RunCapture(const CaptureRequest& request, const disk::CAtaSmart& engine, std::FILE* out,
               std::FILE* err);

}  // namespace cli
