// Commands carried out by the running program: the window on the virtual clock with the virtual
// mouse, and quorvikctl's side of the socket on a thread of its own, as the tool in another process.
#include "MainWindowHarness.h"

#include "ProgramLink.h"
#include "app/ProgramDoors.h"
#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "platform/qt/SingleInstance.h"
#include "ui/skin/ProgramWords.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <fstream>
#include <sstream>
#include <thread>

namespace quorvik::test {

namespace {

// What a command said, and its exit code.
struct Said {
    int code = -1;
    std::string out, err, error;
};

class ProgramDoorsTest : public MainWindowTest {
protected:
    void startProgram() {
        start("0", {device::Form::Wired});
        instance_ = std::make_unique<platform::SingleInstance>(
            platform::SingleInstance::SocketAt{QString::fromStdString((dir_.path() / "socket").string())});
        ASSERT_TRUE(instance_->TryBecomePrimary());
        doors_ = std::make_unique<app::ProgramDoors>(dlg(), bus_, mouse_.get(), *instance_);
        doors_->Start();
        takeReports();
    }
    void TearDown() override {
        doors_.reset();
        instance_.reset();
        MainWindowTest::TearDown();
    }

    // quorvikctl with `args`, answering `input`: the tool's side blocks on its thread while the
    // program's loop goes on here, its clock moving 10 ms a turn.
    Said ctl(const std::vector<std::string>& args, const std::string& input = "") {
        Said said;
        std::atomic<bool> done{false};
        std::thread tool([&] {
            std::ostringstream out, err;
            std::istringstream in(input);
            said.code =
                ctl::RunInProgram(instance_->socketPath().toStdString(), args, out, err, in, nullptr, said.error);
            said.out = out.str();
            said.err = err.str();
            done = true;
        });
        const QDeadlineTimer patience(10000);
        while (!done && !patience.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            loop.advance(10);
        }
        tool.join();
        return said;
    }

    // Runs the loop (its clock 10 ms a turn, Qt's events between) until `done`, for at most `ms`
    // of real time; whether it is done.
    bool waitFor(const std::function<bool()>& done, int ms = 3000) {
        const QDeadlineTimer patience(ms);
        while (!done() && !patience.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            loop.advance(10);
        }
        return done();
    }

    std::unique_ptr<platform::SingleInstance> instance_;
    std::unique_ptr<app::ProgramDoors> doors_;
};

} // namespace

// The reset through the program is the window's own: asked once (on the terminal), shown in the
// window, and the window's later saves keep it.
TEST_F(ProgramDoorsTest, ResetThroughTheProgramIsAskedOnceAndStaysAfterTheWindowsNextSave) {
    startProgram();
    profile().DPIOffOnFlagValue = 0x07;
    dlg().RefreshAllPages();
    dlg().MarkGroup(device::SettingGroup::SensorLighting);
    loop.advance(100);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{device::kCmdDpiLevels});
    const Said declined = ctl({"reset"}, "n\n");
    EXPECT_EQ(declined.code, ctl::kExitCancelled) << declined.error;
    EXPECT_NE(declined.err.find("[y/N]"), std::string::npos) << declined.err;
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});

    const Said said = ctl({"reset"}, "y\n");
    ASSERT_EQ(said.code, ctl::kExitOk) << said.error << said.err;
    EXPECT_EQ(takeCodes(), (std::vector<std::uint8_t>{device::kCmdFactoryReset}));
    EXPECT_EQ(profile().DPIOffOnFlagValue, 0x3F) << "the window's record is the reset one";
    EXPECT_EQ(dlg().OpenWarning(), nullptr) << "nothing asked or told in the window";

    // A later edit in the window and its delayed save: the file still holds the reset levels.
    profile().XYSetting[0] = 0x20;
    dlg().MarkGroup(device::SettingGroup::SensorLighting);
    loop.advance(device::kDownloadDelayMs + device::kDelayedSaveMs + 100);
    core().FinishSaves();
    model::ProfileRecord onDisk;
    ASSERT_TRUE(model::ReadProfileRecord(onDisk, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(onDisk.DPIOffOnFlagValue, 0x3F);
    EXPECT_EQ(onDisk.XYSetting[0], 0x20);
}

TEST_F(ProgramDoorsTest, StatusAndSelectGoThroughTheWindowsDeviceLink) {
    startProgram();
    emulator::StatusSettings status57 = mouse_->status();
    status57.battery = 57;
    mouse_->setStatus(status57);
    const Said status = ctl({"status", "--json"});
    ASSERT_EQ(status.code, ctl::kExitOk) << status.error << status.err;
    EXPECT_NE(status.out.find("\"battery\": 57"), std::string::npos) << status.out;

    // Slot 2 differs in its DPI levels only: that report alone goes out, and the tab follows.
    model::Profile(2).DPIOffOnFlagValue = 0x0F;
    const Said select = ctl({"profile", "select", "2"});
    ASSERT_EQ(select.code, ctl::kExitOk) << select.error << select.err;
    EXPECT_EQ(takeCodes(), (std::vector<std::uint8_t>{device::kCmdDpiLevels}));
    EXPECT_EQ(ui::TabSelectionA(), 2);
    EXPECT_EQ(model::CurrentSlot(), 2);
    // Saved as an edit is: with the delayed save.
    loop.advance(device::kDelayedSaveMs + 100);
    core().FinishSaves();
    model::ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(model::ConfigFilePath()));
    EXPECT_EQ(onDisk.CurrentProfile(), 2);

    // Output and exit codes as on its own: a level that is off, and a command line that is wrong.
    const Said off = ctl({"dpi", "8"});
    EXPECT_EQ(off.code, ctl::kExitBadArguments);
    EXPECT_NE(off.err.find("is off"), std::string::npos) << off.err;
    const Said wrong = ctl({"dpi", "nine"});
    EXPECT_EQ(wrong.code, ctl::kExitBadArguments);
}

TEST_F(ProgramDoorsTest, WatchStreamsTheMousesChangesUntilItsCount) {
    startProgram();
    Said said;
    std::atomic<bool> done{false};
    std::thread tool([&] {
        std::ostringstream out, err;
        std::istringstream in;
        said.code = ctl::RunInProgram(instance_->socketPath().toStdString(), {"watch", "--count", "2"}, out, err, in,
                                      nullptr, said.error);
        said.out = out.str();
        done = true;
    });
    const QDeadlineTimer patience(10000);
    int presses = 0;
    while (!done && !patience.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        loop.advance(10);
        // Pressed once the watch listens (its first words have gone out), then again.
        if (presses < 2 && loop.now() % 500 == 0 && loop.now() > 1000) {
            mouse_->pressDpiButton(device::Form::Wired);
            ++presses;
        }
    }
    tool.join();
    EXPECT_EQ(said.code, ctl::kExitOk) << said.error;
    EXPECT_EQ(std::count(said.out.begin(), said.out.end(), '\n'), 2) << said.out;
    EXPECT_NE(said.out.find("DPI-"), std::string::npos) << said.out;
}

} // namespace quorvik::test

namespace quorvik::test {

// A profile file changed by another program: taken while nothing is pending, kept beside the file
// while an edit is; the window's own saves are never taken for such a change.
TEST_F(ProgramDoorsTest, ProfilesChangedOutsideAreTakenOrKeptBesideAndOwnSavesDoNotCount) {
    startProgram();
    const std::string file = model::Config().ProfileSlotPath(0);
    const std::string beside = file + ".changed-outside";
    waitFor([] { return false; }, 300); // the watch starts once the loop runs; nothing to see yet
    takeCodes();

    model::ProfileRecord outside = profile();
    outside.DPIOffOnFlagValue = 0x1F;
    ASSERT_TRUE(model::WriteProfileRecord(outside, file));
    ASSERT_TRUE(waitFor([&] { return profile().DPIOffOnFlagValue == 0x1F; })) << "not taken within 3 s";
    waitFor([&] { return !core().Busy() && mouse_->state().levelMask == 0x1F; });
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{device::kCmdDpiLevels}) << "only what differs";
    EXPECT_FALSE(std::filesystem::exists(beside));

    // An edit of the window not saved yet, and the file changed again outside: the window's wins.
    profile().XYSetting[0] = 0x20;
    dlg().MarkGroup(device::SettingGroup::SensorLighting);
    outside.DPIOffOnFlagValue = 0x0F;
    ASSERT_TRUE(model::WriteProfileRecord(outside, file));
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(beside); }));
    EXPECT_EQ(profile().DPIOffOnFlagValue, 0x1F);
    EXPECT_EQ(profile().XYSetting[0], 0x20);
    ASSERT_NE(dlg().OpenFileNotice(), nullptr) << "told once";
    model::ProfileRecord kept;
    ASSERT_TRUE(model::ReadProfileRecord(kept, beside));
    EXPECT_EQ(kept.DPIOffOnFlagValue, 0x0F);

    // The delayed save writes the window's version; that is no outside change.
    std::filesystem::remove(beside);
    loop.advance(device::kDelayedSaveMs + 100);
    core().FinishSaves();
    waitFor([] { return false; }, 500);
    EXPECT_FALSE(std::filesystem::exists(beside));
    model::ProfileRecord onDisk;
    ASSERT_TRUE(model::ReadProfileRecord(onDisk, file));
    EXPECT_EQ(onDisk.XYSetting[0], 0x20);
    EXPECT_EQ(onDisk.DPIOffOnFlagValue, 0x1F);
}

// A save writes a copy of the settings taken when it starts: an edit made while it runs is still
// pending when it ends, and a change from outside then is kept beside, not taken over the edit.
TEST_F(ProgramDoorsTest, AnEditMadeWhileASaveRunsStaysPendingForOutsideChanges) {
    startProgram();
    const std::string file = model::Config().ProfileSlotPath(0);
    const std::string beside = file + ".changed-outside";
    waitFor([] { return false; }, 300);

    profile().XYSetting[0] = 0x20;
    core().SaveSoon();             // the copy holds this edit
    profile().XYSetting[1] = 0x30; // made while the copy is written
    core().FinishSaves();
    waitFor([] { return false; }, 300);

    model::ProfileRecord outside;
    ASSERT_TRUE(model::ReadProfileRecord(outside, file));
    EXPECT_EQ(outside.XYSetting[0], 0x20);
    EXPECT_NE(outside.XYSetting[1], 0x30);
    outside.DPIOffOnFlagValue = 0x0F;
    ASSERT_TRUE(model::WriteProfileRecord(outside, file));
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(beside); })) << "the edit was not seen as pending";
    EXPECT_EQ(profile().XYSetting[1], 0x30);
    EXPECT_NE(profile().DPIOffOnFlagValue, 0x0F);
}

} // namespace quorvik::test

namespace quorvik::test {

// The rules commands work on the program's rules, which it saves; the tool opens no file, not even
// a damaged one lying in the folder.
TEST_F(ProgramDoorsTest, RulesCommandsChangeTheProgramsRulesAndItSavesThem) {
    model::Rules() = {};
    startProgram();
    const std::string path = model::AppRulesFilePath();
    const Said add = ctl({"app", "add", "firefox", "1"});
    ASSERT_EQ(add.code, ctl::kExitOk) << add.error << add.err;
    EXPECT_EQ(add.err, "Rule added: \"firefox\" brings profile 1 \"Profile 2\".\n");
    ASSERT_EQ(ctl({"app", "auto", "on"}).code, ctl::kExitOk);
    model::AppRules expected;
    expected.rules = {{u"firefox", 1}};
    expected.autoSwitch = true;
    EXPECT_EQ(model::Rules(), expected);
    model::AppRules onDisk;
    ASSERT_TRUE(onDisk.Read(path));
    EXPECT_EQ(onDisk, expected);

    { std::ofstream(path, std::ios::binary) << "not a rules file"; }
    const Said list = ctl({"app", "list"});
    ASSERT_EQ(list.code, ctl::kExitOk) << list.err;
    EXPECT_EQ(list.out, "automatic switching: on\nfirefox\t1\tProfile 2\tfollowed\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".unreadable"));

    // The program's save ends later and fails: the command waits for it and says so.
    doors_->Host().SetAppRulesHandler([](std::function<void(const model::FileProblem&)> saved) {
        QTimer::singleShot(50, [saved] { saved({model::FileFault::DiskFull}); });
    });
    const Said failed = ctl({"app", "remove", "FIREFOX"});
    EXPECT_EQ(failed.code, ctl::kExitFailure);
    EXPECT_EQ(failed.err, "quorvikctl: cannot save " + path + ": no space left on the disk\n");
    EXPECT_TRUE(model::Rules().rules.empty()) << "the program follows what it was told";
    const Said none = ctl({"app", "remove", "firefox"});
    EXPECT_EQ(none.code, ctl::kExitFailure);
    EXPECT_NE(none.err.find("no rule for"), std::string::npos) << none.err;
}

} // namespace quorvik::test
