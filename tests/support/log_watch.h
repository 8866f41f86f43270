// Reading what the code under test wrote to the diagnostic log. The process-wide log can be
// started only once, so every test of the program shares one file, started on first use in
// the temporary folder; a LogWatch sees the lines added after it was made.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/host.h"
#include "base/log.h"
#include "base/utf8.h"

class LogWatch {
  public:
    LogWatch() : start_(Contents().size()) {}

    // The messages of the new lines, without their time stamps and line ends.
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        std::istringstream added(Contents().substr(start_));
        for (std::string line; std::getline(added, line);) {
            // Windows ends lines with CR LF, and a message may spell its own line end so.
            while (!line.empty() && line.back() == '\r')
                line.pop_back();
            const size_t stamp = line.find(":   ");
            messages.push_back(stamp == std::string::npos ? line : line.substr(stamp + 4));
        }
        return messages;
    }

    // A message as the host writes it to the log (on Windows, in the ANSI code page), for
    // comparing with what Messages() returns.
    static std::string AsLogged(const std::string& utf8) {
        std::string bytes = base::LogLineBytes(FromUtf8(utf8));
        while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
            bytes.pop_back();
        return bytes;
    }

  private:
    struct File {
        File()
            : path(std::filesystem::temp_directory_path() /
                   ("tramsik-disk-test-" + std::to_string(std::random_device{}()) + ".log")) {
            StartLogAt(FromUtf8(path.string()));
        }
        ~File() {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
        std::filesystem::path path;
    };

    static std::string Contents() {
        static const File file;
        std::ifstream in(file.path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

    size_t start_;
};
