// A test that runs tramsik-cli as a child process in a folder of its own (the simulator's
// cache and the diagnostic log live there), on the demo machine or a variant of it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

class CliRunFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("tramsik-cli-" + std::string(info->test_suite_name()) + "-" + info->name() +
                   "-" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        log_ = (folder_ / "run.log").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    CliRun Run(const std::string& machine, std::vector<std::string> args) {
        args.insert(args.begin(), {"--machine", machine, "--log", log_});
        return RunCli(folder_, args);
    }
    CliRun Demo(std::vector<std::string> args) { return Run("demo", std::move(args)); }

    // The demo machine changed by `edit`, as a machine file of this test.
    template <typename Edit>
    std::string DemoVariant(Edit edit) {
        std::ifstream in(TRAMSIK_SOURCE_DIR "/machines/demo.json");
        nlohmann::json machine = nlohmann::json::parse(in);
        edit(machine);
        const std::filesystem::path path = folder_ / "variant.json";
        std::ofstream(path) << machine.dump(2);
        return path.string();
    }

    std::filesystem::path folder_;
    std::string log_;
};
