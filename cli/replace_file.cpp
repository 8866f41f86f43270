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

// Writes `text` as the whole content of the file `out` has open; false when it cannot.
bool WriteAll(std::ofstream& out, std::string_view text) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

bool ReplaceFile(const std::wstring& path, std::string_view text, std::wstring* problem) {
    fs::path target = PathFromWide(path);
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    // A device or a pipe (/dev/null, /dev/stdout ...) is written into: a rename would put a
    // file in its place.
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        return (out && WriteAll(out, text)) || Fail(path, "writing failed", problem);
    }
    // A link to a file stays a link: the file it names is replaced.
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        fs::path named = fs::canonical(target, error);
        if (!error) target = std::move(named);
    }
    const fs::path temporary = TemporaryPathFor(target);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return Fail(path, "the folder does not take a new file", problem);
    if (!WriteAll(out, text)) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Fail(path, "writing failed", problem);
    }
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
