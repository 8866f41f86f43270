// Runs the real tramsik-cli as a child process in a folder of its own: the folder is its
// XDG_CACHE_HOME (the simulator's disk images are made there and nowhere else) and holds its
// output streams and diagnostic log.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

extern char** environ;

struct CliRun {
    int status = -1;  // the exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// A tramsik-cli started and not yet waited for.
struct CliChild {
    pid_t pid = -1;
    std::filesystem::path out, err;
};

inline std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// `input` (when given) is the child's stdin.
inline CliChild StartCli(const std::filesystem::path& folder, const std::vector<std::string>& args,
                         const std::filesystem::path& input = {}) {
    CliChild child{-1, folder / "stdout", folder / "stderr"};
    std::vector<std::string> strings{TRAMSIK_CLI}, environment{"XDG_CACHE_HOME=" + folder.string()};
    strings.insert(strings.end(), args.begin(), args.end());
    for (char** e = environ; *e; ++e)
        if (!std::string(*e).starts_with("XDG_CACHE_HOME=")) environment.push_back(*e);
    std::vector<char*> argv, envp;
    for (const auto& [from, to] : {std::pair{&strings, &argv}, {&environment, &envp}}) {
        for (std::string& s : *from)
            to->push_back(s.data());
        to->push_back(nullptr);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty()) posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    for (const auto& [fd, path] : {std::pair{1, &child.out}, std::pair{2, &child.err}})
        posix_spawn_file_actions_addopen(&actions, fd, path->c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

inline CliRun WaitCli(const CliChild& child) {
    CliRun run;
    int wait = 0;
    if (child.pid > 0 && waitpid(child.pid, &wait, 0) == child.pid && WIFEXITED(wait))
        run.status = WEXITSTATUS(wait);
    run.out = ReadWhole(child.out);
    run.err = ReadWhole(child.err);
    return run;
}

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

    // tramsik-cli with `args` after the machine and the log; `input` is its stdin.
    std::vector<std::string> Args(const std::string& machine, std::vector<std::string> args) {
        args.insert(args.begin(), {"--machine", machine, "--log", log_});
        return args;
    }
    CliRun Run(const std::string& machine, std::vector<std::string> args,
               const std::filesystem::path& input = {}) {
        return WaitCli(StartCli(folder_, Args(machine, std::move(args)), input));
    }
    CliRun Demo(std::vector<std::string> args) { return Run("demo", std::move(args)); }
    std::string Log() const { return ReadWhole(log_); }

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
