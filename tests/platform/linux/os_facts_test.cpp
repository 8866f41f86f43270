#include <gtest/gtest.h>

#include "platform/linux/os_facts.h"
#include "platform/win_constants.h"
#include "tests/platform/linux/fake_kernel.h"

using namespace platform;
using namespace platform::linux_backend;

TEST(OsFacts, CodePageFollowsTheLocaleAndNameVersionAndArchitectureAreRead) {
    for (const char* locale : {"zh_CN.UTF-8", "zh_CN.GB18030", "zh_SG.UTF-8"})
        EXPECT_EQ(CodePageForLocale(locale), 936u) << locale;
    // Traditional Chinese and every other language are English here.
    for (const char* locale : {"zh_TW.UTF-8", "ja_JP.UTF-8", "C", ""})
        EXPECT_EQ(CodePageForLocale(locale), 1252u) << locale;

    FakeKernel kernel;
    EXPECT_EQ(ReadCodePage(kernel), 1252u);
    kernel.environment["LANG"] = "zh_CN.UTF-8";
    EXPECT_EQ(ReadCodePage(kernel), 936u);
    // LC_ALL wins over LANG; an empty LC_ALL does not count.
    kernel.environment["LC_ALL"] = "en_US.UTF-8";
    EXPECT_EQ(ReadCodePage(kernel), 1252u);
    kernel.environment["LC_ALL"] = "";
    kernel.environment["LC_CTYPE"] = "zh_CN.GBK";
    kernel.environment["LANG"] = "en_GB.UTF-8";
    EXPECT_EQ(ReadCodePage(kernel), 936u);

    EXPECT_EQ(OsReleaseName("NAME=\"Debian GNU/Linux\"\nVERSION='12 (bookworm)'\n"
                            "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(OsReleaseName("NAME=Fedora\nVERSION=\"40 (Workstation)\"\n"),
              "Fedora 40 (Workstation)");
    EXPECT_EQ(OsReleaseName("garbage\n=\n"), "");

    DWORD major = 9, minor = 9, build = 9;
    ParseKernelRelease("6.1.76-amd64", &major, &minor, &build);
    EXPECT_EQ(std::tuple(major, minor, build), std::tuple(6u, 1u, 76u));
    ParseKernelRelease("5.15", &major, &minor, &build);
    EXPECT_EQ(build, 0u);
    ParseKernelRelease("weird", &major, &minor, &build);
    EXPECT_EQ(major, 0u);

    kernel.File("/usr/lib/os-release", "PRETTY_NAME=\"Orvel OS 1\"\n");
    OsFacts facts = ReadOsFacts(kernel);
    EXPECT_EQ(facts.name, L"Orvel OS 1");
    EXPECT_EQ(facts.architecture, PROCESSOR_ARCHITECTURE_AMD64);
    kernel.system.machine = "i686";
    kernel.files.clear();
    facts = ReadOsFacts(kernel);
    EXPECT_EQ(facts.architecture, PROCESSOR_ARCHITECTURE_INTEL);
    EXPECT_EQ(facts.name, L"Linux");
}
