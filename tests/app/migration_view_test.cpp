// The migration page in the main window skin: its fill, and whole migrations on a real worker
// thread against simulated disks, ticked by the virtual clock. A gate holds the worker at exact
// points of its copy, so every tick sees a known state; waits are bounded polls, never timings.
#include "app/main_frame/migration_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/pages/migration_page.h"
#include "disk/ata_smart.h"
#include "migration/volume_space.h"
#include "platform/ioctl.h"
#include "tests/app/app_fixture.h"
#include "tests/migration/driver_fixture.h"
#include "tests/ui/test_window.h"
#include "ui/combo.h"
#include "ui/list.h"
#include "ui/message_loop.h"
#include "ui/progress.h"

namespace app {

using disk::CAtaSmart;
using disk::DriveList;
using disk::DriveRecord;

namespace {

using namespace migration;
using SkinUI::testing::TestWindow;

// System disk (drive 0): GptPair's source, with a 30-character model. Targets A (drive 1,
// 2 GiB unless said otherwise) and B (drive 2, 3 GiB), each with the identity the inventory needs.
std::string ThreeDisks(const std::string& targetFaults = "{}",
                       const std::string& targetSize = "2GiB") {
    nlohmann::json machine = nlohmann::json::parse(GptPair("{}", targetFaults, targetSize));
    machine["drives"].push_back(nlohmann::json::parse(SimDrive(2, "Target B", "3GiB")));
    const char* models[] = {"Orvel SSD Q9 Migration Source1", "Target A", "Target B"};
    for (int drive = 0; drive < 3; ++drive)
        machine["drives"][drive]["identify"] = {
            {"model", models[drive]}, {"serial", "S" + std::to_string(drive)}, {"firmware", "F1"}};
    return machine.dump();
}

// Where target A keeps its backup GPT header.
constexpr uint64_t kTargetLastSector = (2ull << 30) / 512 - 1;

// The simulated machine behind the page; its target can report itself smaller once the worker
// writes (a drive exchanged behind the pre-check's back).
class ViewPlatform : public HookedPlatform {
  public:
    using HookedPlatform::HookedPlatform;

    std::atomic<bool> shrinkTarget{false};

    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* returned) override {
        const BOOL ok =
            HookedPlatform::DeviceIoControl(device, code, in, inSize, out, outSize, returned);
        if (ok && shrinkTarget && code == platform::IOCTL_DISK_GET_DRIVE_GEOMETRY_EX &&
            outSize >= platform::kDiskGeometryExMinimum)
            static_cast<platform::DISK_GEOMETRY_EX*>(out)->DiskSize = 8 << 20;
        return ok;
    }
};

using Texts = std::vector<std::wstring>;

class MigrationViewTest : public DriverTest, protected DialogHarness {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        InstallDialogs();
    }
    void TearDown() override {
        Close();
        RemoveDialogs();
        DriverTest::TearDown();
    }
    // The page goes first: it waits for a worker the gate may still hold.
    void Close() {
        gate_.Release();
        view_.reset();
        window_.reset();
        engine_.reset();
        MainWindowHandle = nullptr;
        shown_.clear();
    }

    // Loads the machine, takes the inventory and fills the page in the main window skin with
    // target A chosen; clicks and ticks reach the page as the frame routes them.
    void Open(const std::string& json, const std::string& name) {
        Close();
        std::string error;
        auto machine = platform::sim::ParseMachine(json, name, folder_, &error);
        ASSERT_TRUE(machine) << error;
        auto sim = platform::sim::SimPlatform::Create(std::move(*machine), {folder_}, &error);
        ASSERT_TRUE(sim) << error;
        sim_ = sim.get();
        auto wrapped = std::make_unique<ViewPlatform>(std::move(sim));
        platform_ = wrapped.get();
        gate_.Attach(*platform_);
        platform::UsePlatform(std::move(wrapped));
        MigrationState = 0;
        MigrationResult = 0;

        engine_ = std::make_unique<CAtaSmart>();
        AttachDiskSpace(*engine_);
        engine_->Init();
        getSystemDisk(engine_->vars, systemDisk_);
        ASSERT_EQ(systemDisk_.physicalDriveId, 0);
        targets_ = MigrationTargets(engine_->vars, systemDisk_);
        ASSERT_EQ(targets_.size(), 2u);

        window_ = std::make_unique<TestWindow>(L"166");
        ASSERT_TRUE(window_->Open());
        MainWindowHandle = window_.get();
        for (const int32_t index : targets_) {
            auto* item = new SkinUI::CListLabelElementUI();
            item->SetText(engine_->vars[index].Model);
            window_->Find<SkinUI::CComboUI>(L"Mig_drive_name")->Add(item);
        }
        view_ = std::make_unique<MigrationPageView>(window_->GetPaintManager());
        window_->onNotify = [this](SkinUI::TNotifyUI& msg) {
            const std::wstring name = msg.sender ? msg.sender->GetName() : L"";
            if (msg.type == SkinUI::notify::kTimer && msg.wParam == 2016) view_->OnTimer();
            if (msg.type != SkinUI::notify::kClick) return;
            if (name == L"Button_Start")
                view_->Start(systemDisk_.physicalDriveId, Target(0).Address.physicalDriveId);
            if (name == L"Button_Cancel") view_->Cancel();
        };
        view_->Fill(engine_->vars, systemDisk_, engine_->GetOsName(), &Target(0));
        backend_->Advance(0);
    }

    const DriveRecord& Target(size_t k) const { return engine_->vars[targets_.at(k)]; }
    SkinUI::CControlUI* Page(const wchar_t* name) {
        SkinUI::CControlUI* control = window_->Find(name);
        EXPECT_NE(control, nullptr) << "no control " << name;
        return control;
    }
    std::wstring TextOf(const wchar_t* name) { return Page(name)->GetText(); }
    bool Enabled(const wchar_t* name) { return Page(name)->IsEnabled(); }
    int Percent() { return window_->Find<SkinUI::CProgressUI>(L"progress3")->GetValue(); }
    size_t Ticks() const {
        size_t ticks = 0;
        for (const auto& n : window_->Of(SkinUI::notify::kTimer))
            ticks += n.wParam == 2016;
        return ticks;
    }

    // The next message dialog is recorded and closed with `button` (which must be shown).
    void Expect(const wchar_t* button) {
        WhileShown(
            [this](CMessageDialog& dialog) {
                shown_.push_back(Control(dialog, L"msgbox")->GetText());
            },
            button);
    }
    // Confirms the migration to target A and waits (bounded) until the worker stands at the
    // gate's mark.
    void StartTo(float percent) {
        gate_.Arm(percent);
        Expect(L"okBtn");
        ASSERT_TRUE(backend_->ClickControl(window_->GetPaintManager(), L"Button_Start"));
        ASSERT_EQ(shown_.size(), 1u);
        ASSERT_TRUE(gate_.Held()) << "the worker reached " << percent << "%";
    }
    // Lets the worker run to its end and waits (bounded) until its thread has returned.
    bool WorkerEnds() {
        gate_.Release();
        for (int i = 0; i < 3000 && view_->Busy(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return !view_->Busy();
    }
    // How many message dialogs a further second of the clock opens (each is closed by OK).
    int DialogsInASecond() {
        int opened = 0;
        backend_->Post([&] {
            if (CMessageDialog* dialog = OpenDialog()) {
                ++opened;
                backend_->ClickControl(dialog->GetPaintManager(), L"okBtn");
            }
        });
        backend_->Advance(1000);
        // Without a dialog the step is still queued: a turn of the loop spends it.
        for (int turn = 0; turn < 3 && backend_->PendingSteps() > 0; ++turn)
            SkinUI::CMessageLoop::PumpTurn();
        EXPECT_EQ(backend_->PendingSteps(), 0u);
        return opened;
    }
    // One tick of the page's timer with the outcome dialog (if any) closed by OK.
    void TickToOutcome() {
        Expect(L"okBtn");
        backend_->Advance(1000);
    }
    void ExpectIdle() {
        EXPECT_TRUE(Enabled(L"Button_Start"));
        EXPECT_FALSE(Enabled(L"Button_Cancel"));
        EXPECT_EQ(TextOf(L"progress"), L"Data migration") << "the lines are back to idle";
        for (const wchar_t* name : {L"data_mig_refresh", L"Mig_drive_name", L"Disk_Info", L"SMART"})
            EXPECT_TRUE(Enabled(name)) << name;
        // The timer is gone: a further second brings no tick and no dialog.
        const size_t ticks = Ticks();
        EXPECT_EQ(DialogsInASecond(), 0);
        EXPECT_EQ(Ticks(), ticks);
    }

    ViewPlatform* platform_ = nullptr;
    CopyGate gate_;
    std::unique_ptr<CAtaSmart> engine_;
    SystemDisk systemDisk_;
    std::vector<int32_t> targets_;
    std::unique_ptr<TestWindow> window_;
    std::unique_ptr<MigrationPageView> view_;
    Texts shown_;
};

TEST_F(MigrationViewTest, FillShowsSourceAndTargetLines) {
    Open(ThreeDisks(), "fill");
    // An 8 MiB system volume; target A chosen.
    EXPECT_EQ(TextOf(L"capacityData"), L"Disk capacity : 0.0 GB");
    EXPECT_EQ(TextOf(L"os_version"), L"OS Version : " + engine_->GetOsName() + L"-Bit");
    EXPECT_EQ(TextOf(L"os_drive"), L"OS Drive : Orvel SSD Q9 M..");
    EXPECT_EQ(Page(L"os_drive")->GetToolTip(), L"Orvel SSD Q9 Migration Source1");
    EXPECT_EQ(TextOf(L"capacityData2"), L"Disk capacity :     2.0 GB");

    view_->RefreshTargetLines(&Target(1));
    EXPECT_EQ(TextOf(L"capacityData2"), L"Disk capacity :     3.0 GB");

    // A later fill with a short model drops the cut and its tooltip; without any target Start
    // is off.
    DriveList only;
    only.Append(engine_->vars[0]);
    SystemDisk shortModel = systemDisk_;
    shortModel.model = L"Orvel S3";
    view_->Fill(only, shortModel, L"Windows 10 64", nullptr);
    EXPECT_EQ(TextOf(L"os_drive"), L"OS Drive : Orvel S3");
    EXPECT_EQ(Page(L"os_drive")->GetToolTip(), L"");
    EXPECT_FALSE(Enabled(L"Button_Start"));
    // The idle page leaves an empty target selector off, as the selectors' fill set it.
    auto* targets = window_->Find<SkinUI::CComboUI>(L"Mig_drive_name");
    targets->RemoveAll();
    targets->SetEnabled(false);
    view_->Refresh();
    EXPECT_FALSE(Enabled(L"Mig_drive_name"));
    EXPECT_TRUE(Enabled(L"data_mig_refresh"));
}

TEST_F(MigrationViewTest, AWholeMigrationShowsProgressTimesAndSuccess) {
    // A slow target gives the copy a remaining-time estimate: 10 ms of virtual time a chunk.
    Open(ThreeDisks(R"({ "slowMsPerMiB": 160 })"), "whole");
    StartTo(10);
    EXPECT_EQ(shown_, Texts{GetUiText(TEXT_MIGRATION_CONFIRM)});
    EXPECT_TRUE(view_->Busy());
    EXPECT_FALSE(Enabled(L"Button_Start"));
    EXPECT_TRUE(Enabled(L"Button_Cancel"));
    for (const wchar_t* name : {L"data_mig_refresh", L"Mig_drive_name", L"Disk_Info", L"SMART"})
        EXPECT_FALSE(Enabled(name)) << name << " is locked from the start";

    // The first tick: 10 % of 176 chunks done, 158 left at 10 ms each.
    backend_->Advance(1000);
    EXPECT_EQ(Percent(), 10);
    EXPECT_EQ(TextOf(L"progress"), L"Migrating");
    EXPECT_EQ(TextOf(L"used_time"), L"Used Time :     00: 00: 00");
    EXPECT_EQ(TextOf(L"remain_time"), L"Remain Time :     00: 00: 01");

    // Past the half, less than a second is left: no estimate to show.
    ASSERT_TRUE(gate_.RunTo(50));
    backend_->Advance(1000);
    EXPECT_EQ(Percent(), 50);
    EXPECT_EQ(TextOf(L"used_time"), L"Used Time :     00: 00: 01");
    EXPECT_EQ(TextOf(L"remain_time"), L"Remain Time :");

    ASSERT_TRUE(WorkerEnds());
    // A Cancel between the worker's end and the tick keeps the outcome it published.
    ASSERT_TRUE(Enabled(L"Button_Cancel"));
    ASSERT_TRUE(backend_->ClickControl(window_->GetPaintManager(), L"Button_Cancel"));
    EXPECT_EQ(MigrationState.load(), kStateSucceeded);
    TickToOutcome();
    EXPECT_EQ(shown_, (Texts{GetUiText(TEXT_MIGRATION_CONFIRM), GetUiText(TEXT_MIGRATION_DONE)}));
    EXPECT_EQ(Percent(), 0) << "the bar is emptied for the next run";
    EXPECT_EQ(MigrationProgress.elapsedSeconds.load(), 0u);
    ExpectIdle();
    EXPECT_FALSE(TableDeleted(1)) << "the migrated table stays";
}

TEST_F(MigrationViewTest, CancelShowsTheCancelAndStartWaitsForTheWorker) {
    Open(ThreeDisks(), "cancelled");
    StartTo(20);
    backend_->Advance(1000);
    EXPECT_EQ(Percent(), 20);
    ASSERT_TRUE(backend_->ClickControl(window_->GetPaintManager(), L"Button_Cancel"));
    EXPECT_EQ(MigrationState.load(), kStateCancelled);

    // The next tick tells the cancel while the worker is still held in its copy.
    TickToOutcome();
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[1], GetUiText(TEXT_MIGRATION_CANCELLED));
    EXPECT_TRUE(view_->Busy());
    EXPECT_FALSE(Enabled(L"Button_Start")) << "the worker has not ended";
    EXPECT_FALSE(Enabled(L"Button_Cancel"));
    EXPECT_FALSE(Enabled(L"data_mig_refresh"));
    // Start does nothing while the worker lives, even when asked directly.
    view_->Start(0, 1);
    EXPECT_EQ(shown_.size(), 2u);
    backend_->Advance(1000);
    EXPECT_FALSE(Enabled(L"Button_Start"));

    ASSERT_TRUE(WorkerEnds());
    EXPECT_EQ(DialogsInASecond(), 0) << "the cancel is told once";
    EXPECT_EQ(MigrationResult.load(), kMigrationCancelled);
    ExpectIdle();
    EXPECT_TRUE(TableDeleted(1));
}

TEST_F(MigrationViewTest, ACancelAfterTheCopyIsToldAndThenTheSuccessThatFollowed) {
    Open(ThreeDisks(), "late-cancel");
    // Held at the table rewrite: the copy is whole, so the worker no longer looks at Cancel.
    StartTo(100);
    ASSERT_TRUE(backend_->ClickControl(window_->GetPaintManager(), L"Button_Cancel"));
    TickToOutcome();
    ASSERT_EQ(shown_.size(), 2u);
    EXPECT_EQ(shown_[1], GetUiText(TEXT_MIGRATION_CANCELLED));
    EXPECT_FALSE(Enabled(L"Button_Start"));

    ASSERT_TRUE(WorkerEnds());
    TickToOutcome();
    ASSERT_EQ(shown_.size(), 3u) << "the worker's own outcome differs from the cancel";
    EXPECT_EQ(shown_[2], GetUiText(TEXT_MIGRATION_DONE));
    EXPECT_EQ(MigrationResult.load(), kMigrationSucceeded);
    ExpectIdle();
    EXPECT_FALSE(TableDeleted(1));
}

TEST_F(MigrationViewTest, ClosingThePageMidCopyCancelsAndWaitsForTheWorker) {
    Open(ThreeDisks(), "closed");
    StartTo(30);
    gate_.OpenOnCancel();
    view_.reset();
    // The worker has returned: its final word is out and the half-copied target has no table.
    EXPECT_EQ(MigrationState.load(), kStateCancelled);
    EXPECT_EQ(MigrationResult.load(), kMigrationCancelled);
    EXPECT_TRUE(TableDeleted(1));
}

TEST_F(MigrationViewTest, RefusedPreCheckOrDeclinedConfirmationStartsNothing) {
    // 11 MiB is exactly the range to copy; the pre-check wants 100 sectors more.
    Open(ThreeDisks("{}", "11MiB"), "small");
    int writes = 0;
    platform_->beforeWrite = [&](platform::HANDLE, platform::DWORD) { ++writes; };
    Expect(L"okBtn");
    ASSERT_TRUE(backend_->ClickControl(window_->GetPaintManager(), L"Button_Start"));
    // The same text for a start onto the system disk itself.
    Expect(L"okBtn");
    view_->Start(0, 0);
    // Target B is large enough: the confirmation comes, and is declined.
    Expect(L"cancelBtn");
    view_->Start(0, 2);
    const std::wstring tooSmall = GetUiText(TEXT_TARGET_TOO_SMALL);
    EXPECT_EQ(shown_, (Texts{tooSmall, tooSmall, GetUiText(TEXT_MIGRATION_CONFIRM)}));
    EXPECT_EQ(MigrationState.load(), 0u);
    ExpectIdle();
    EXPECT_EQ(Ticks(), 0u);
    EXPECT_EQ(writes, 0) << "nothing written to any drive";
}

// A failed end shows its message with the worker's code; a target that shrank behind the
// pre-check ends silently. (Which fault ends how is the migration's to test.)
TEST_F(MigrationViewTest, FailedEndsShowTheirMessageAndReturnToIdle) {
    const struct {
        std::string targetFaults;
        bool shrink;
        std::wstring text;  // empty: no dialog
    } cases[] = {
        {R"({ "writeErrorSector": )" + std::to_string(kTargetLastSector) + " }", false,
         GetUiText(TEXT_MIGRATION_FAILED) + L" [-15]"},
        {"{}", true, L""},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shrink);
        Open(ThreeDisks(c.targetFaults), "failed" + std::to_string(n++));
        platform_->beforeWrite = [this, shrink = c.shrink](platform::HANDLE, platform::DWORD) {
            if (shrink) platform_->shrinkTarget = true;
        };
        Expect(L"okBtn");
        ASSERT_TRUE(backend_->ClickControl(window_->GetPaintManager(), L"Button_Start"));
        ASSERT_TRUE(WorkerEnds());
        if (c.text.empty()) {
            EXPECT_EQ(DialogsInASecond(), 0);
            EXPECT_EQ(MigrationState.load(), kStateTooSmall);
        } else {
            TickToOutcome();
            ASSERT_EQ(shown_.size(), 2u);
            EXPECT_EQ(shown_[1], c.text);
        }
        ExpectIdle();
        EXPECT_TRUE(TableDeleted(1));
    }
}

}  // namespace

}  // namespace app
