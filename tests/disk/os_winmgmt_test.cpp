#include <gtest/gtest.h>

#include <algorithm>

#include "disk/winmgmt.h"
#include "tests/disk/inventory_fixture.h"

namespace disk {

namespace {

std::string Machine(const std::string& winmgmt) {
    return R"({"format": "tramsik-machine/1", "os": {"major": 10, "minor": 0, )" + winmgmt +
           R"(}, "drives": []})";
}

class Winmgmt : public SimTest {};

TEST_F(Winmgmt, DisabledThenRunningWithinTenPasses) {
    platform::sim::SimPlatform& sim =
        Load(Machine(R"("winmgmt": "disabled", "winmgmtStartMs": 1200)"));
    EXPECT_FALSE(IsWinmgmtRunning());
    const LogWatch log;
    EXPECT_TRUE(StartWinmgmt());
    const LogLines expected = Split(
        "sStatus.dwCurrentState:00000001; StartService - 1; QueryServiceStatus - 1; "
        "Sleep; Sleep; Sleep; Sleep; QueryServiceStatus - 2; StartService - 2; Sleep; "
        "StartService - 2; Sleep; StartService - 2; Sleep; StartService - 2; "
        "StartService Completed : SERVICE_RUNNING");
    EXPECT_EQ(log.Messages(), expected);
    // 0 + 100 + 200 + 300 ms, then three waits of 500 ms until the service is up after 1.2 s.
    EXPECT_EQ(sim.VirtualMilliseconds(), 600 + 3 * 500);
    ASSERT_EQ(sim.Launches().size(), 1u);
    EXPECT_EQ(sim.Launches()[0].file, L"sc");
    EXPECT_EQ(sim.Launches()[0].parameters, L"config Winmgmt start= auto");
    EXPECT_EQ(sim.StartRequests(), 1u + 4);
    EXPECT_TRUE(IsWinmgmtRunning());
}

TEST_F(Winmgmt, NeverStartingGivesUpAfterTenWaitsAndElevenRequests) {
    platform::sim::SimPlatform& sim =
        Load(Machine(R"("winmgmt": "disabled", "scConfigWorks": false)"));
    const LogWatch log;
    EXPECT_FALSE(StartWinmgmt());
    const auto lines = log.Messages();
    EXPECT_EQ(CountOf(lines, "StartService - 2"), 11);
    EXPECT_EQ(CountOf(lines, "Sleep"), 4 + 10);
    EXPECT_EQ(lines.back(), "StartService - 2");
    EXPECT_EQ(sim.VirtualMilliseconds(), 600 + 10 * 500);
    EXPECT_EQ(sim.StartRequests(), 1u + 11);
    EXPECT_EQ(sim.Launches().size(), 1u) << "sc is launched once, not waited for";
}

TEST_F(Winmgmt, AStartableServiceComesUpInTheShortWaitAndIsThenLeftAlone) {
    platform::sim::SimPlatform& sim =
        Load(Machine(R"("winmgmt": "startable", "winmgmtStartMs": 250)"));
    const LogWatch log;
    EXPECT_TRUE(StartWinmgmt());
    // Waits of 0, 100 and 200 ms: up at 300 >= 250.
    const LogLines expected = Split(
        "sStatus.dwCurrentState:00000001; StartService - 1; QueryServiceStatus - 1; "
        "Sleep; Sleep; Sleep; StartService Completed : SERVICE_RUNNING");
    EXPECT_EQ(log.Messages(), expected);
    EXPECT_EQ(sim.VirtualMilliseconds(), 300);
    EXPECT_TRUE(sim.Launches().empty()) << "no need for sc";

    // Once running, it needs no start and nothing is logged.
    const LogWatch running;
    const size_t requests = sim.StartRequests();
    EXPECT_TRUE(IsWinmgmtRunning() && StartWinmgmt());
    EXPECT_TRUE(running.Messages().empty());
    EXPECT_EQ(std::tuple(sim.StartRequests(), sim.VirtualMilliseconds()),
              std::tuple(requests, 300));
}

}  // namespace

}  // namespace disk
