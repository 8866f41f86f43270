// Runs the real tramsik-cli as a child process with its own cache folder, collecting its exit
// status and both output streams.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

struct CliRun {
    int status = -1;  // the exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

inline std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A tramsik-cli started and not yet waited for.
struct CliChild {
    pid_t pid = -1;
    std::filesystem::path out, err;
};

// `folder` holds the captured streams and is the child's XDG_CACHE_HOME, so the disk images
// of a simulated machine are made there and nowhere else. `input` (when given) is its stdin.
inline CliChild StartCli(const std::filesystem::path& folder, const std::vector<std::string>& args,
                         const std::filesystem::path& input = {}) {
    CliChild child{-1, folder / "stdout", folder / "stderr"};
    std::vector<std::string> strings{TRAMSIK_CLI};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("XDG_CACHE_HOME=", 0) != 0) environment.push_back(*e);
    environment.push_back("XDG_CACHE_HOME=" + folder.string());
    std::vector<char*> envp;
    for (std::string& s : environment)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty()) posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, child.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
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

inline CliRun RunCli(const std::filesystem::path& folder, const std::vector<std::string>& args,
                     const std::filesystem::path& input = {}) {
    return WaitCli(StartCli(folder, args, input));
}
