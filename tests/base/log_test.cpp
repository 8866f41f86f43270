#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
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

const std::regex kStamp(
    R"(^\d{4}-[1-9]\d?-[1-9]\d?( ([1-9]\d?|0)){1}:([1-9]\d?|0):([1-9]\d?|0):   )");

class LogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* unit = ::testing::UnitTest::GetInstance();
        folder_ =
            fs::temp_directory_path() / ("tramsik-log-" + std::to_string(unit->random_seed()) +
                                         "-" + unit->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        path_ = folder_ / "tramsik.log";
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::wstring LogPath() const { return FromUtf8(path_.string()); }

    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // The message of each line, after its time stamp; an empty line stays empty.
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        std::string contents = Contents();
        size_t start = 0;
        for (size_t end; (end = contents.find(kLineEnd, start)) != std::string::npos;
             start = end + kLineEnd.size()) {
            const std::string line = contents.substr(start, end - start);
            std::smatch match;
            EXPECT_TRUE(line.empty() || std::regex_search(line, match, kStamp)) << line;
            messages.push_back(line.empty() ? line : match.suffix().str());
        }
        EXPECT_EQ(start, contents.size()) << "the log ends in the middle of a line";
        return messages;
    }

    fs::path folder_;
    fs::path path_;
    DiagnosticLog log_;
};

// A message's own line end adds an empty line; arguments are written as they are, in the
// host's encoding.
TEST_F(LogTest, LineEndsFollowTheMessageAndArgumentsAreWrittenAsTheyAre) {
    log_.StartAt(LogPath());
    log_.WriteFormatted(L"begin to update GPT\n");
    log_.WriteFormatted(L"model %ls err(%d)-(0x%x)", L"100%s %d Orvel 磁盘", -5, 0x1F);
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "begin to update GPT", "",
                              "model 100%s %d Orvel " + Encoded(L"磁盘") + " err(-5)-(0x1f)"}));
}

TEST_F(LogTest, LongMessagesAreCutAt4095Characters) {
    log_.StartAt(LogPath());
    const std::wstring exact(4095, L'a');
    log_.WriteFormatted(L"%ls", exact.c_str());
    log_.WriteFormatted(L"%lsbcdef", exact.c_str());
    // Where U+1F600 takes two units the cut falls between them, and the half left goes too.
    log_.WriteFormatted(L"%ls\U0001F600", std::wstring(4094, L'a').c_str());
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{
                  std::string(4095, 'a'), std::string(4095, 'a'),
                  std::string(4094, 'a') + (sizeof(wchar_t) == 2 ? "" : Encoded(L"\U0001F600"))}));
}

TEST_F(LogTest, StartDeletesThePreviousLogAndEarlierLinesAreDropped) {
    { std::ofstream(path_, std::ios::binary) << "previous run\n"; }
    log_.WriteFormatted(L"before start");
    EXPECT_EQ(Contents(), "previous run\n");
    log_.StartAt(LogPath());
    EXPECT_FALSE(fs::exists(path_));
    log_.WriteFormatted(L"after start");
    // Only the first start counts: a second one neither moves nor clears the log.
    log_.StartAt(FromUtf8((folder_ / "other.log").string()));
    log_.WriteFormatted(L"still here");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"after start", "still here"}));
    EXPECT_FALSE(fs::exists(folder_ / "other.log"));
}

TEST_F(LogTest, TwoThreadsLeaveWholeLines) {
    log_.StartAt(LogPath());
    const std::wstring a(300, L'a'), b(300, L'b');
    auto writer = [&](const std::wstring& text) {
        for (int i = 0; i < 1000; ++i)
            log_.WriteFormatted(L"%ls %d", text.c_str(), i);
    };
    std::thread first(writer, a), second(writer, b);
    first.join();
    second.join();
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2000u);
    int countA = 0;
    const std::regex whole("^(a{300}|b{300}) \\d+$");
    for (const std::string& message : messages) {
        ASSERT_TRUE(std::regex_match(message, whole)) << message.substr(0, 80);
        countA += message[0] == 'a';
    }
    EXPECT_EQ(countA, 1000);
}

TEST_F(LogTest, UnwritablePlacesAreSilent) {
    log_.StartAt(FromUtf8((folder_ / "missing-folder" / "x.log").string()));
    log_.WriteFormatted(L"nowhere to go");
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
    EXPECT_EQ(DiagnosticLog::PathFor(L"C:\\Orvel 1\\Tramsik.exe"), L"C:\\Orvel 1\\Tramsik.log");
    EXPECT_EQ(DiagnosticLog::PathFor(L"/u/.local/tramsik"), L"/u/.local/tramsik.log");
    EXPECT_EQ(DiagnosticLog::PathFor(L""), L"");
}

}  // namespace
