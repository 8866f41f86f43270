#include "cli/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

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

auto Fields(const CliOptions& o) {
    return std::tie(o.Machine, o.LanguageFlag, o.LogPath, o.Trace, o.Command, o.Drive, o.Json,
                    o.Target, o.Yes, o.Verify, o.OutPath, o.Anonymize);
}

TEST(CliOptions, CommandsAndTheirOptions) {
    using enum CliCommand;
    const struct {
        std::initializer_list<const char*> line;
        void (*expect)(CliOptions&);  // changes the defaults into the options expected
    } cases[] = {
        // Without --lang the platform decides; without --drive the default drive is shown.
        {{"list"}, [](CliOptions&) {}},
        {{"--machine", "demo", "--lang", "zh", "--log", "/tmp/日志.log", "smart", "--drive", "12"},
         [](CliOptions& o) {
             o.Machine = L"demo";
             o.LanguageFlag = 1;
             o.LogPath = L"/tmp/日志.log";
             o.Command = Smart;
             o.Drive = 12;
         }},
        {{"smart"}, [](CliOptions& o) { o.Command = Smart; }},
        {{"--lang", "en", "report", "--json"},
         [](CliOptions& o) { o.LanguageFlag = 0, o.Command = Report, o.Json = true; }},
        // Global options after the command are taken too.
        {{"report", "--machine", "m.json"},
         [](CliOptions& o) { o.Machine = L"m.json", o.Command = Report; }},
        {{"info", "--drive", "2"}, [](CliOptions& o) { o.Command = Info, o.Drive = 2; }},
        {{"info"}, [](CliOptions& o) { o.Command = Info; }},
        // Confirmation unless asked not to.
        {{"migrate", "--target", "3", "--machine", "demo"},
         [](CliOptions& o) { o.Machine = L"demo", o.Command = Migrate, o.Target = 3; }},
        {{"migrate", "--yes", "--target", "0"},
         [](CliOptions& o) { o.Command = Migrate, o.Target = 0, o.Yes = true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            testing::PrintToString(std::vector<std::string>(c.line.begin(), c.line.end())));
        const Parsed p = Parse(c.line);
        ASSERT_TRUE(p.outcome.Run) << p.err;
        CliOptions expected;
        c.expect(expected);
        EXPECT_EQ(Fields(p.options), Fields(expected));
    }
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
        SCOPED_TRACE(testing::PrintToString(std::vector<std::string>(line.begin(), line.end())));
        const Parsed p = Parse(line);
        EXPECT_FALSE(p.outcome.Run);
        EXPECT_EQ(p.outcome.ExitCode, kExitUsage);
        EXPECT_FALSE(p.err.empty());
    }
}

TEST(CliOptions, HelpAndVersionSucceed) {
    const struct {
        std::initializer_list<const char*> line;
        std::vector<std::string> words;
    } cases[] = {
        {{"--help"}, {"--machine", "--lang", "--log", "list", "smart", "report", "migrate"}},
        {{"smart", "--help"}, {"--drive"}},
        {{"--version"}, {"tramsik-cli 1.3"}},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.line);
        EXPECT_FALSE(p.outcome.Run);
        EXPECT_EQ(p.outcome.ExitCode, kExitSuccess);
        for (const std::string& word : c.words)
            EXPECT_NE(p.out.find(word), std::string::npos) << word;
    }
}

}  // namespace

}  // namespace cli
