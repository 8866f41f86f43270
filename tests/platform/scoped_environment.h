// Environment variables set for a test's while, with what was there before put back.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "tests/support/environment.h"

class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        SetTestEnvironment(name, value);
    }
    ~ScopedEnvironment() { SetTestEnvironment(name_, old_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A fresh runtime folder, where the host's named mutexes keep their lock files: a test's
// mutexes meet neither another test's nor those of a copy of the program running here.
class PrivateRuntimeFolder {
  public:
    PrivateRuntimeFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("tramsik-runtime-" + std::to_string(std::random_device{}()))),
          variable_("XDG_RUNTIME_DIR", path_.string()) {
        std::filesystem::create_directories(path_);
    }
    ~PrivateRuntimeFolder() { std::filesystem::remove_all(path_); }

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
    ScopedEnvironment variable_;
};
