// Every machine description the repository holds: the shipped ones and the tests' fixtures.
#pragma once

#include <algorithm>
#include <filesystem>
#include <vector>

inline std::vector<std::filesystem::path> AllMachineFiles() {
    const std::filesystem::path top = TRAMSIK_SOURCE_DIR;
    std::vector<std::filesystem::path> files;
    const auto add = [&](const std::filesystem::path& folder) {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".json" && entry.path().stem().extension() != ".schema")
                files.push_back(entry.path());
    };
    add(top / "machines");
    for (const auto& room : std::filesystem::directory_iterator(top / "tests"))
        if (std::filesystem::is_directory(room.path() / "machines")) add(room.path() / "machines");
    std::sort(files.begin(), files.end());
    return files;
}
