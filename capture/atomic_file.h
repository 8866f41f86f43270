// Writing a file so that nobody ever reads half of it: the text goes to a temporary file beside
// it, which then takes the file's name in one rename.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace capture {

// False with the reason in *error (the file named) when the text could not be written; what
// was there before is then left as it was.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                         std::string* error);

}  // namespace capture
