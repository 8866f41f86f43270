#include "cli/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "base/utf8.h"

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
    CliOptions options;
    std::ostringstream out, err;
    // A braced list runs left to right: the streams are read after the parse.
    return {ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &options, out, err),
            options, out.str(), err.str()};
}

// The options the cases set that differ from the defaults, as "name=value" pairs.
std::string Changed(const CliOptions& o) {
    std::string text;
    const auto add = [&](const char* name, bool changed, const std::string& value) {
        if (changed) text += std::string(text.empty() ? "" : " ") + name + "=" + value;
    };
    add("machine", !o.Machine.empty(), ToUtf8(o.Machine));
    add("lang", o.LanguageFlag.has_value(), std::to_string(o.LanguageFlag.value_or(-1)));
    add("log", !o.LogPath.empty(), ToUtf8(o.LogPath));
    add("command", o.Command != CliCommand::List, std::to_string(static_cast<int>(o.Command)));
    add("drive", o.Drive.has_value(), std::to_string(o.Drive.value_or(-1)));
    add("json", o.Json, "1");
    add("target", o.Target != 0, std::to_string(o.Target));
    add("yes", o.Yes, "1");
    return text;
}

// Without --lang the platform decides; without --drive the default drive is shown; global
// options after the command are taken too; a migration asks for confirmation unless told not
// to. Commands: 1 smart, 2 report, 3 info, 4 migrate.
TEST(CliOptions, CommandsAndTheirOptions) {
    // An aggregate, not a pair: only aggregate initialisation keeps each list's array alive.
    const struct {
        std::initializer_list<const char*> line;
        const char* expected;
    } cases[] = {
        {{"list"}, ""},
        {{"--machine", "demo", "--lang", "zh", "--log", "/tmp/日志.log", "smart", "--drive", "12"},
         "machine=demo lang=1 log=/tmp/日志.log command=1 drive=12"},
        {{"--lang", "en", "report", "--json"}, "lang=0 command=2 json=1"},
        {{"info", "--drive", "2"}, "command=3 drive=2"},
        {{"migrate", "--target", "3", "--machine", "demo"}, "machine=demo command=4 target=3"},
        {{"migrate", "--yes", "--target", "0"}, "command=4 yes=1"},
    };
    for (const auto& [line, expected] : cases) {
        const Parsed p = Parse(line);
        ASSERT_TRUE(p.outcome.Run) << p.err;
        EXPECT_EQ(Changed(p.options), expected);
    }
}

TEST(CliOptions, UsageErrorsStopWithStatusTwo) {
    for (std::initializer_list<const char*> line : {
             std::initializer_list<const char*>{},
             {"--lang", "fr", "list"},
             {"list", "--json"},
             {"smart", "--drive", "-1"},
             {"list", "report"},
             // Without a target, or with a negative one, nothing is migrated.
             {"migrate"},
             {"migrate", "--target", "-1"},
         }) {
        SCOPED_TRACE(testing::PrintToString(std::vector<std::string>(line.begin(), line.end())));
        const Parsed p = Parse(line);
        EXPECT_FALSE(p.outcome.Run);
        EXPECT_EQ(p.outcome.ExitCode, kExitUsage);
        EXPECT_FALSE(p.err.empty());
    }
}

}  // namespace

}  // namespace cli
