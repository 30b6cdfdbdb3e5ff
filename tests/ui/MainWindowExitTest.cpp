// How the main window ends with edits pending, and where it opens: the pending save on the
// window's own WM_DESTROY, an exit asked from outside (a signal) saving at once, a desktop file
// dialog that every way out (tray exit, an exit from outside, the last form unplugged) closes,
// and the place on screens of several sizes and origins.
#include "MainWindowHarness.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "platform/ProcessGlobals.h"
#include "platform/qt/ExitRequests.h"
#include "platform/qt/FileDialogs.h"
#include "ui/main/MainIds.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <csignal>
#include <functional>
#include <optional>

namespace quorvik::test {
namespace {

using device::Form;
using namespace ui::main_ids;

class MainWindowExitTest : public MainWindowTest {
protected:
    // An edit downloaded to the mouse whose save waits for the ten seconds to pass.
    void editWithSavePending() {
        profile().SetPairValue(model::kPairKeyDebounce, 20);
        dlg().MarkGroup(device::SettingGroup::SensorLighting);
        loop.advance(100);
        ASSERT_TRUE(core().SavePending());
    }
    std::u16string savedDebounce() {
        model::ProfileRecord reread;
        if (!model::ReadProfileRecord(reread, model::Config().ProfileSlotPath(0)))
            return u"(unreadable)";
        return reread.PairValue(model::kPairKeyDebounce);
    }
};

TEST_F(MainWindowExitTest, TheTrayExitSavesWhatIsPendingAsTheWindowEnds) {
    start("0", {Form::Wired});
    editWithSavePending();
    post(platform::WM_COMMAND, kCmdTrayExit);
    EXPECT_FALSE(dlg().IsOpen());
    EXPECT_FALSE(core().SavePending());
    EXPECT_EQ(savedDebounce(), u"20");
}

TEST_F(MainWindowExitTest, ASignalSavesAtOnceBeforeTheExitIsDelivered) {
    start("0", {Form::Wired});
    editWithSavePending();
    // As the program connects them: every exit request goes through RequestExit.
    platform::ExitRequests requests([&](platform::ExitReason) { dlg().RequestExit(); });
    ASSERT_EQ(std::raise(SIGTERM), 0);
    for (int i = 0; i < 100 && requests.requestCount() == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(requests.requestCount(), 1);
    // A SIGKILL could come now: the edit is on disk although the exit has not run yet.
    EXPECT_EQ(savedDebounce(), u"20");
    EXPECT_TRUE(dlg().IsOpen());
    loop.runUntilIdle();
    EXPECT_FALSE(dlg().IsOpen());
}

// What an exit did to a desktop file dialog that was waiting for its user.
struct DialogOutcome {
    bool wasUp = false;   // the dialog was running when the exit came
    bool rescued = false; // the test had to close it: the exit did not
    std::optional<std::string> chosen{"(not asked)"};
    std::size_t stillRunning = 0;
    bool ownerOpen = true;
};

// Runs a desktop file dialog as the macro manager asks for a file to import: a modal dialog of
// the open-window table (which an exit only hides until its loop returns) owns it. `exit` runs
// while the file dialog waits for its user.
DialogOutcome exitWhileAFileDialogRuns(const std::string& folder, const std::function<void()>& exit) {
    platform::SetFileDialogAnswerer({});
    DialogOutcome outcome;
    QTimer::singleShot(0, [&] {
        outcome.wasUp = platform::RunningFileDialogCount() == 1 &&
                        qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr;
        exit();
    });
    // Should the exit not reach it, the test fails instead of waiting for ever.
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [&] {
        outcome.rescued = true;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* fileDialog = qobject_cast<QFileDialog*>(widget))
                fileDialog->reject();
    });
    rescue.start(5000);

    ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& owner) {
        platform::FileDialogRequest request;
        request.owner = owner.hwnd();
        request.title = u"Import";
        request.filter = u"mkf file(*.mkf)|*.mkf||";
        request.folder = folder;
        outcome.chosen = platform::RunFileDialog(request);
    });
    // Without a parent: in the harness the main window is not modal, so its end would delete its
    // children (the file dialog among them) at once; in the program it only hides until the
    // dialogs above it have returned.
    ui::CAttentionDlg owner(u"macro manager", 0);
    owner.DoModal();
    outcome.stillRunning = platform::RunningFileDialogCount();
    outcome.ownerOpen = owner.IsOpen();
    return outcome;
}

void expectClosedByTheExit(const DialogOutcome& outcome) {
    EXPECT_TRUE(outcome.wasUp);
    EXPECT_FALSE(outcome.rescued) << "the exit path left the file dialog open";
    EXPECT_FALSE(outcome.chosen);
    EXPECT_EQ(outcome.stillRunning, 0u);
    EXPECT_FALSE(outcome.ownerOpen);
}

TEST_F(MainWindowExitTest, TheTrayExitClosesARunningDesktopFileDialog) {
    start("0", {Form::Wired});
    expectClosedByTheExit(exitWhileAFileDialogRuns(dir_.str(), [&] { post(platform::WM_COMMAND, kCmdTrayExit); }));
    EXPECT_FALSE(dlg().IsOpen());
}

TEST_F(MainWindowExitTest, AnExitFromOutsideSavesAndClosesARunningDesktopFileDialog) {
    // A signal, the session's end or `quorvik --quit` while the user is choosing a file.
    start("0", {Form::Wired});
    editWithSavePending();
    std::u16string savedAtOnce;
    expectClosedByTheExit(exitWhileAFileDialogRuns(dir_.str(), [&] {
        dlg().RequestExit();
        savedAtOnce = savedDebounce();
        loop.runUntilIdle();
    }));
    EXPECT_EQ(savedAtOnce, u"20") << "saved before the exit was delivered";
    EXPECT_FALSE(dlg().IsOpen());
}

TEST_F(MainWindowExitTest, UnpluggingTheLastFormClosesARunningDesktopFileDialogAndSaves) {
    start("0", {Form::Wired});
    editWithSavePending();
    expectClosedByTheExit(exitWhileAFileDialogRuns(dir_.str(), [&] {
        mouse_->unplug(Form::Wired);
        loop.runUntilIdle();
    }));
    EXPECT_TRUE(loop.quitRequested());
    EXPECT_FALSE(core().SavePending());
    EXPECT_EQ(savedDebounce(), u"20");
}

struct ScreenCase {
    int left, top, width, height; // the work area
    int x, y, windowWidth, windowHeight;
};

class MainWindowPlacementTest : public MainWindowTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(MainWindowPlacementTest, CentredOnItsWorkAreaOrAtItsTopLeftWhenTooSmall) {
    const ScreenCase& c = GetParam();
    services_.screenLeft = c.left;
    services_.screenTop = c.top;
    services_.screenWidth = c.width;
    services_.screenHeight = c.height;
    // As the program's start sets it, before any window exists.
    platform::SetDisplayScaleFactor(platform::ScaleFactorForScreen(c.width, c.height));
    start("0", {Form::Wired});
    const QRect placed = native()->geometry();
    EXPECT_EQ(placed, QRect(c.x, c.y, c.windowWidth, c.windowHeight));
}

INSTANTIATE_TEST_SUITE_P(Screens, MainWindowPlacementTest,
                         ::testing::Values(ScreenCase{0, 0, 2560, 1440, 435, 165, 1690, 1110},
                                           ScreenCase{0, 0, 3840, 2160, 793, 340, 2254, 1480},
                                           // smaller than the window: the work area's top-left corner
                                           ScreenCase{0, 0, 1024, 600, 0, 0, 1127, 740},
                                           // a second monitor right of the first, with a top panel
                                           ScreenCase{1920, 27, 1920, 1053, 1920 + 396, 27 + 156, 1127, 740},
                                           // a dock on the left of a small screen
                                           ScreenCase{64, 0, 960, 768, 64, 14, 1127, 740}));

} // namespace
} // namespace quorvik::test
