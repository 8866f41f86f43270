#include "capture/atomic_file.h"

#include <fstream>

namespace capture {

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                         std::string* error) {
    std::filesystem::path partial = file;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            *error = partial.string() + ": cannot be written";
            return false;
        }
    }
    std::error_code renameError;
    std::filesystem::rename(partial, file, renameError);
    if (renameError) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        *error = file.string() + ": cannot be written: " + renameError.message();
        return false;
    }
    return true;
}

}  // namespace capture
