#include "cli/replace_file.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "base/utf8.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

// Beside the file, hidden, and not ending in the file's own extension, so that a collector
// that reads every "*.prom" of the folder skips it.
fs::path TemporaryPathFor(const fs::path& target) {
    fs::path hidden = ".";
    hidden += target.filename();
    hidden += "." + std::to_string(std::random_device{}()) + ".tmp";
    return target.parent_path() / hidden;
}

bool Fail(const std::wstring& path, const std::string& reason, std::wstring* problem) {
    *problem = L"cannot write " + path + L": " + FromUtf8(reason);
    return false;
}

}  // namespace

bool ReplaceFile(const std::wstring& path, std::string_view text, std::wstring* problem) {
    const fs::path target = PathFromWide(path);
    const fs::path temporary = TemporaryPathFor(target);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return Fail(path, "the folder does not take a new file", problem);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return Fail(path, "writing failed", problem);
        }
    }
    std::error_code error;
    constexpr fs::perms kReadableByAll = fs::perms::owner_read | fs::perms::owner_write |
                                         fs::perms::group_read | fs::perms::others_read;
    fs::permissions(temporary, kReadableByAll, error);
    if (!error) fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Fail(path, error.message(), problem);
    }
    return true;
}

}  // namespace cli
