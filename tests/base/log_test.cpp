#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "base/host.h"
#include "base/log.h"
#include "base/utf8.h"

namespace {

namespace fs = std::filesystem;

// Windows keeps its log in the ANSI code page with CR LF line ends; the other hosts in UTF-8 with
// bare line feeds.
constexpr bool kWindowsHost = TRAMSIK_WINDOWS_HOST;
const std::string kLineEnd = kWindowsHost ? "\r\n" : "\n";

// `text` as the host writes it in its log, without the line end.
std::string Encoded(const std::wstring& text) {
    const std::string line = base::LogLineBytes(text);
    return line.substr(0, line.size() - kLineEnd.size());
}

class LogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("tramsik-log-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        path_ = folder_ / "tramsik.log";
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::wstring LogPath() const { return FromUtf8(path_.string()); }

    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string contents = Contents();
        size_t start = 0;
        for (size_t end; (end = contents.find(kLineEnd, start)) != std::string::npos;
             start = end + kLineEnd.size())
            lines.push_back(contents.substr(start, end - start));
        EXPECT_EQ(start, contents.size()) << "the log ends in the middle of a line";
        return lines;
    }

    fs::path folder_;
    fs::path path_;
};

const std::regex kStamp(
    R"(^\d{4}-[1-9]\d?-[1-9]\d?( ([1-9]\d?|0)){1}:([1-9]\d?|0):([1-9]\d?|0):   )");

std::string Message(const std::string& line) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(line, match, kStamp)) << line;
    return match.suffix();
}

// A message's own line end adds an empty line; arguments are written as they are, in the
// host's encoding.
TEST_F(LogTest, LineEndsFollowTheMessageAndArgumentsAreWrittenAsTheyAre) {
    DiagnosticLog log;
    log.StartAt(LogPath());
    log.WriteFormatted(L"begin to update GPT\n");
    log.WriteFormatted(L"model %ls err(%d)-(0x%x)", L"100%s %d Orvel 磁盘", -5, 0x1F);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Message(lines[0]), "begin to update GPT");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(Message(lines[2]), "model 100%s %d Orvel " + Encoded(L"磁盘") + " err(-5)-(0x1f)");
}

TEST_F(LogTest, LongMessagesAreCutAt4095Characters) {
    DiagnosticLog log;
    log.StartAt(LogPath());
    const std::wstring exact(4095, L'a');
    log.WriteFormatted(L"%ls", exact.c_str());
    log.WriteFormatted(L"%lsbcdef", exact.c_str());
    log.WriteFormatted(L"%ls", std::wstring(100000, L'z').c_str());
    // Where U+1F600 takes two units the cut falls between them, and the half left goes too.
    log.WriteFormatted(L"%ls\U0001F600", std::wstring(4094, L'a').c_str());
    std::vector<std::string> messages;
    for (const std::string& line : Lines())
        messages.push_back(Message(line));
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  std::string(4095, 'a'), std::string(4095, 'a'), std::string(4095, 'z'),
                  std::string(4094, 'a') + (sizeof(wchar_t) == 2 ? "" : Encoded(L"\U0001F600"))}));
}

TEST_F(LogTest, StartDeletesThePreviousLogAndEarlierLinesAreDropped) {
    { std::ofstream(path_, std::ios::binary) << "previous run\n"; }
    DiagnosticLog log;
    log.WriteFormatted(L"before start");
    EXPECT_EQ(Contents(), "previous run\n");
    log.StartAt(LogPath());
    EXPECT_FALSE(fs::exists(path_));
    log.WriteFormatted(L"after start");
    // Only the first start counts: a second one neither moves nor clears the log.
    log.StartAt(FromUtf8((folder_ / "other.log").string()));
    log.WriteFormatted(L"still here");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Message(lines[0]), "after start");
    EXPECT_EQ(Message(lines[1]), "still here");
    EXPECT_FALSE(fs::exists(folder_ / "other.log"));
}

TEST_F(LogTest, TwoThreadsLeaveWholeLines) {
    DiagnosticLog log;
    log.StartAt(LogPath());
    const std::wstring a(300, L'a'), b(300, L'b');
    auto writer = [&](const std::wstring& text) {
        for (int i = 0; i < 1000; ++i)
            log.WriteFormatted(L"%ls %d", text.c_str(), i);
    };
    std::thread first(writer, a), second(writer, b);
    first.join();
    second.join();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2000u);
    int countA = 0, countB = 0;
    const std::regex whole("^(a{300}|b{300}) \\d+$");
    for (const auto& line : lines) {
        const std::string message = Message(line);
        ASSERT_TRUE(std::regex_match(message, whole)) << message.substr(0, 80);
        (message[0] == 'a' ? countA : countB)++;
    }
    EXPECT_EQ(countA, 1000);
    EXPECT_EQ(countB, 1000);
}

TEST_F(LogTest, UnwritablePlacesAreSilent) {
    DiagnosticLog log;
    log.StartAt(FromUtf8((folder_ / "missing-folder" / "x.log").string()));
    log.WriteFormatted(L"nowhere to go");
    EXPECT_FALSE(fs::exists(folder_ / "missing-folder"));
    DiagnosticLog off;
    off.StartAt(L"");
    off.WriteFormatted(L"log is off");
}

TEST(LogLine, TheHostsLineEndAndEncoding) {
    // ASCII is the same bytes in every code page. A line end inside the message becomes the
    // host's; one the message spells as CR LF stays as it is.
    EXPECT_EQ(base::LogLineBytes(L""), kLineEnd);
    EXPECT_EQ(base::LogLineBytes(L"a\nb"), "a" + kLineEnd + "b" + kLineEnd);
    EXPECT_EQ(base::LogLineBytes(L"--ControllerMap--\r\n"), "--ControllerMap--\r\n" + kLineEnd);
    if (!kWindowsHost) {
        EXPECT_EQ(base::LogLineBytes(L"磁盘 \U0001F600"),
                  "\xe7\xa3\x81\xe7\x9b\x98 \xf0\x9f\x98\x80\n");
    }
}

TEST(LogPath, ExtensionOfTheExecutableBecomesLog) {
    EXPECT_EQ(DiagnosticLog::PathFor(L"C:\\Program Files\\Orvel\\Tramsik.exe"),
              L"C:\\Program Files\\Orvel\\Tramsik.log");
    EXPECT_EQ(DiagnosticLog::PathFor(L"/opt/tramsik/tramsik.bin"), L"/opt/tramsik/tramsik.log");
    EXPECT_EQ(DiagnosticLog::PathFor(L"/home/u/.local/bin/tramsik"),
              L"/home/u/.local/bin/tramsik.log");
    EXPECT_EQ(DiagnosticLog::PathFor(L""), L"");
}

}  // namespace
