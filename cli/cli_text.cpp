#include "cli/cli_text.h"

#include "base/host.h"
#include "base/ui_text.h"
#include "base/utf8.h"

namespace cli {

namespace {

struct CliWordTexts {
    CliWord word;
    const wchar_t* english;
    const wchar_t* chinese;
};

// In the order of CliWord, which CliText checks.
constexpr CliWordTexts kWords[] = {
    {CliWord::Drive, L"Drive", L"磁盘"},
    {CliWord::Model, L"Model", L"型号"},
    {CliWord::Size, L"Size", L"容量"},
    {CliWord::Interface, L"Interface", L"接口"},
    {CliWord::Route, L"Route", L"通道"},
    {CliWord::SystemDisk, L"System disk", L"系统磁盘"},
    {CliWord::NotDetermined, L"not determined", L"未确定"},
    {CliWord::NoAttributes, L"No S.M.A.R.T. attributes", L"没有 S.M.A.R.T. 属性"},
    {CliWord::UsbIds, L"USB ids", L"USB 标识"},
    {CliWord::Verifying, L"Verifying", L"正在校验"},
};

}  // namespace

std::wstring CliText(CliWord word) {
    const CliWordTexts& texts = kWords[static_cast<size_t>(word)];
    return LanguageFlag == 1 ? texts.chinese : texts.english;
}

void Print(std::FILE* stream, std::string_view utf8) {
    base::WriteText(stream, utf8);
    std::fflush(stream);
}

void Print(std::FILE* stream, std::wstring_view text) {
    Print(stream, ToUtf8(text));
}

}  // namespace cli
