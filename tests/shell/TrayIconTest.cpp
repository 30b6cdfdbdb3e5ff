// The tray icon without a tray (offscreen, as under Xvfb): every call is harmless, and what the
// tray would report reaches the owner window as the messages it handles.
#include "platform/qt/TrayIcon.h"
#include "platform/Messages.h"
#include "platform/VirtualClockLoop.h"
#include "platform/qt/UiLoop.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace quorvik::platform {
namespace {

using Message = std::tuple<unsigned, WPARAM, LPARAM>;

struct Owner : MessageHandler {
    std::vector<Message> received;
    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override {
        received.emplace_back(message, wParam, lParam);
        return 0;
    }
};

constexpr unsigned kTrayMessage = 0x420;
constexpr unsigned kIconId = 128;

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetUiLoop(&loop);
        owner = loop.registerWindow(&window);
        QImage picture(32, 32, QImage::Format_ARGB32);
        picture.fill(Qt::blue);
        tray = std::make_unique<TrayIcon>(TraySetup{owner,
                                                    kTrayMessage,
                                                    kIconId,
                                                    QIcon(QPixmap::fromImage(picture)),
                                                    "Gaming Mouse",
                                                    {{2075, "Open"}, {0, {}}, {2076, "Exit"}}});
    }
    void TearDown() override {
        tray.reset();
        SetUiLoop(nullptr);
    }
    std::vector<Message> delivered() {
        loop.processDue();
        return std::exchange(window.received, {});
    }

    VirtualClockLoop loop;
    Owner window;
    WindowHandle owner = 0;
    std::unique_ptr<TrayIcon> tray;
};

TEST_F(TrayIconTest, WithoutATrayEveryCallIsHarmless) {
    ASSERT_FALSE(TrayIcon::Available()) << "offscreen has no tray";
    tray->Show();
    EXPECT_TRUE(tray->IsShown());
    tray->SetTip("Gaming Mouse 2");
    EXPECT_FALSE(tray->ShowMessage("Battery", "Low")) << "no tray, no notification";
    tray->PopupMenuAt(QPoint(10, 10));
    tray->Menu()->hide();
    tray->Remove();
    EXPECT_FALSE(tray->IsShown());
    tray->Remove();
    EXPECT_TRUE(delivered().empty());
}

TEST_F(TrayIconTest, MenuHasBothItemsAroundASeparatorAndPostsTheirCommands) {
    const QList<QAction*> actions = tray->Menu()->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Open");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Exit");

    actions[2]->trigger();
    actions[0]->trigger();
    EXPECT_EQ(delivered(), (std::vector<Message>{{WM_COMMAND, 2076, 0}, {WM_COMMAND, 2075, 0}}));
}

TEST_F(TrayIconTest, OnlyADoubleClickPostsTheOpenNotification) {
    for (auto reason :
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
        tray->HandleActivation(reason);
    EXPECT_TRUE(delivered().empty()) << "the menu is the tray's own; a single click does nothing";

    tray->HandleActivation(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(delivered(), (std::vector<Message>{{kTrayMessage, kIconId, WM_LBUTTONDBLCLK}}));
}

} // namespace
} // namespace quorvik::platform
