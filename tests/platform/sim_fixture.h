// A simulated machine for one test: loaded from JSON text or a file under machines/, its
// images in a fresh temporary folder, installed as the platform every call goes to. The folder
// is also the runtime folder of the host's named mutexes, so a test's mutexes meet neither
// another test's nor those of a copy of the program running on this computer.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/demo_machine.h"
#include "platform/platform.h"
#include "platform/sim/machine_loader.h"
#include "platform/sim/sim_platform.h"
#include "tests/platform/scoped_environment.h"

class SimTest : public ::testing::Test {
  protected:
    void TearDown() override { platform::UsePlatform(nullptr); }

    // Loads `json` (or fails the test) and makes it the current platform.
    platform::sim::SimPlatform& Load(std::string_view json, const std::string& name = "test") {
        std::string error;
        auto machine = platform::sim::ParseMachine(json, name, folder_, &error);
        EXPECT_TRUE(machine) << error;
        if (!machine) throw std::runtime_error(error);
        return Install(std::move(*machine));
    }
    platform::sim::SimPlatform& LoadDemo() { return Load(platform::DemoMachineJson(), "demo"); }
    platform::sim::SimPlatform& LoadFile(const std::string& name) {
        std::string error;
        auto machine = platform::sim::LoadMachineFile(MachinePath(name), &error);
        EXPECT_TRUE(machine) << error;
        if (!machine) throw std::runtime_error(error);
        return Install(std::move(*machine));
    }
    // `name` is relative to tests/: "app/machines/frame_three.json".
    static std::filesystem::path MachinePath(const std::string& name) {
        return std::filesystem::path(TRAMSIK_SOURCE_DIR "/tests") / name;
    }

    platform::sim::SimPlatform& Install(platform::sim::Machine machine) {
        std::string error;
        auto backend = platform::sim::SimPlatform::Create(std::move(machine), {folder_}, &error);
        EXPECT_TRUE(backend) << error;
        if (!backend) throw std::runtime_error(error);
        platform::sim::SimPlatform& sim = *backend;
        platform::UsePlatform(std::move(backend));
        return sim;
    }

    PrivateRuntimeFolder runtime_;
    const std::filesystem::path& folder_ = runtime_.Path();
};
