#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace cli {

namespace {

struct Parsed {
    ParseOutcome outcome;
    CliOptions options;
    std::string out, err;
};

Parsed Parse(std::initializer_list<const char*> arguments) {
    std::vector<const char*> argv{"tramsik-cli"};
    argv.insert(argv.end(), arguments);
    Parsed parsed{};
    std::ostringstream out, err;
    parsed.outcome =
        ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &parsed.options, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

TEST(CliOptions, CommandsAndTheirOptions) {
    Parsed p = Parse({"list"});
    ASSERT_TRUE(p.outcome.Run);
    EXPECT_EQ(p.options.Command, CliCommand::List);
    EXPECT_TRUE(p.options.Machine.empty());
    EXPECT_FALSE(p.options.LanguageFlag.has_value()) << "the platform decides";
    EXPECT_TRUE(p.options.LogPath.empty());

    p = Parse(
        {"--machine", "demo", "--lang", "zh", "--log", "/tmp/日志.log", "smart", "--drive", "12"});
    ASSERT_TRUE(p.outcome.Run) << p.err;
    EXPECT_EQ(p.options.Command, CliCommand::Smart);
    EXPECT_EQ(p.options.Machine, L"demo");
    EXPECT_EQ(p.options.LanguageFlag, 1);
    EXPECT_EQ(p.options.LogPath, L"/tmp/日志.log");
    EXPECT_EQ(p.options.Drive, 12);

    p = Parse({"smart"});
    ASSERT_TRUE(p.outcome.Run);
    EXPECT_FALSE(p.options.Drive.has_value()) << "no --drive: the default drive";

    p = Parse({"--lang", "en", "report", "--json"});
    ASSERT_TRUE(p.outcome.Run);
    EXPECT_EQ(p.options.Command, CliCommand::Report);
    EXPECT_EQ(p.options.LanguageFlag, 0);
    EXPECT_TRUE(p.options.Json);
    EXPECT_FALSE(Parse({"report"}).options.Json);

    // Global options after the command are taken too.
    p = Parse({"report", "--machine", "m.json"});
    ASSERT_TRUE(p.outcome.Run);
    EXPECT_EQ(p.options.Machine, L"m.json");
}

TEST(CliOptions, UsageErrorsStopWithStatusTwo) {
    for (std::initializer_list<const char*> line : {
             std::initializer_list<const char*>{},
             {"frobnicate"},
             {"--lang", "fr", "list"},
             {"--machine"},
             {"list", "--json"},
             {"smart", "--drive", "x"},
             {"smart", "--drive", "-1"},
             {"list", "report"},
             {"--unknown", "list"},
             // Without a target, or with a negative one, nothing is migrated.
             {"migrate"},
             {"migrate", "--target", "-1"},
             {"migrate", "--target", "x", "--yes"},
         }) {
        std::string args;
        for (const char* arg : line)
            args += std::string(arg) + " ";
        SCOPED_TRACE(args);
        const Parsed p = Parse(line);
        EXPECT_FALSE(p.outcome.Run);
        EXPECT_EQ(p.outcome.ExitCode, kExitUsage);
        EXPECT_FALSE(p.err.empty());
    }
}

TEST(CliOptions, MigrateNeedsItsTarget) {
    Parsed p = Parse({"migrate", "--target", "3", "--machine", "demo"});
    ASSERT_TRUE(p.outcome.Run) << p.err;
    EXPECT_EQ(p.options.Command, CliCommand::Migrate);
    EXPECT_EQ(p.options.Target, 3);
    EXPECT_FALSE(p.options.Yes) << "confirmation unless asked not to";
    p = Parse({"migrate", "--yes", "--target", "0"});
    ASSERT_TRUE(p.outcome.Run) << p.err;
    EXPECT_TRUE(p.options.Yes);
    EXPECT_EQ(p.options.Target, 0);
}

TEST(CliOptions, HelpAndVersionSucceed) {
    Parsed p = Parse({"--help"});
    EXPECT_FALSE(p.outcome.Run);
    EXPECT_EQ(p.outcome.ExitCode, kExitSuccess);
    for (const char* word : {"--machine", "--lang", "--log", "list", "smart", "report"})
        EXPECT_NE(p.out.find(word), std::string::npos) << word;
    EXPECT_NE(p.out.find("migrate"), std::string::npos);

    p = Parse({"smart", "--help"});
    EXPECT_EQ(p.outcome.ExitCode, kExitSuccess);
    EXPECT_NE(p.out.find("--drive"), std::string::npos);

    p = Parse({"--version"});
    EXPECT_EQ(p.outcome.ExitCode, kExitSuccess);
    EXPECT_NE(p.out.find("tramsik-cli 1.3"), std::string::npos);
}

}  // namespace

}  // namespace cli
