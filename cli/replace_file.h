// Writing a file that a reader may open at any moment, such as a collector's text file: the text
// goes to a temporary file in the same folder, which then takes the file's place by a rename, so
// a reader sees the old file or the new one and never half of one. A device or a pipe is written
// into instead, and a link to a file keeps linking to the new file.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Replaces (or creates) `path` with `text`, readable by every user and writable by its owner:
// the reader may run as another user. False with `problem` set when nothing was replaced; the
// temporary file is gone then too.
bool ReplaceFile(const std::wstring& path, std::string_view text, std::wstring* problem);

}  // namespace cli
