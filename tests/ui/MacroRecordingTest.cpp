// Recording against the keys' own time stamps: the pauses a macro keeps are those between the
// keys, however late the window got to handle them.
#include "MacroUiSupport.h"

#include "macro/MacroLibrary.h"
#include "ui/macro/Lists.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroManagerDlg.h"

#include <QKeyEvent>

namespace quorvik::ui {
namespace {

using namespace platform;
using macro::MacroLocation;
using model::MacroAction;
using model::MakeDelay;
using model::MakeKeyEvent;

class MacroRecordingTest : public quorvik::test::MacroUiTest {};

TEST_F(MacroRecordingTest, DelaysAreTheKeysOwnTimesHoweverLateTheBusyWindowHandlesThem) {
    MacroLocation m = MacroLocation::None();
    ASSERT_EQ(macro::TheMacroLibrary().AddMacro(u"Timed", m), macro::AddResult::Added);
    CMacroManagerDlg manager(0);
    ASSERT_TRUE(manager.Create());
    manager.window()->showCommand(SW_SHOW);
    auto* tree = manager.FindControlAs<CEditShowList>(kIdMacroTree);
    const Rect t = tree->rect();
    click(manager, t.left + Scaled(80), t.top + tree->RowOf(m) * tree->RowHeight() + 5);
    clickControl(manager, kIdRecord);
    ASSERT_TRUE(manager.IsRecording());
    // Keys as the window system hands them over, each with its own time stamp (the X server's).
    auto stamped = [&](QEvent::Type type, int qtKey, unsigned long stamp) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, 0, 0, 0);
        event.setTimestamp(stamp);
        QCoreApplication::sendEvent(manager.window()->windowHandle(), &event);
    };
    stamped(QEvent::KeyPress, Qt::Key_A, 40000);
    loop.runUntilIdle();
    // The window was busy for 700 ms (a status read, a download) while the key went up 150 ms
    // after it went down: the release is handled late, the pause stays 150 ms.
    loop.advance(700);
    stamped(QEvent::KeyRelease, Qt::Key_A, 40150);
    loop.runUntilIdle();
    // Two keys typed 90 ms apart while the window was busy arrive in one go.
    loop.advance(2000);
    stamped(QEvent::KeyPress, Qt::Key_B, 41000);
    stamped(QEvent::KeyRelease, Qt::Key_B, 41090);
    loop.runUntilIdle();
    // The server's clock wraps after 2^32 ms; the pause across it is still the keys' own.
    stamped(QEvent::KeyPress, Qt::Key_C, 0xFFFFFFF0ul);
    stamped(QEvent::KeyRelease, Qt::Key_C, 0x10ul);
    loop.runUntilIdle();

    const model::MacroRecord& macro = *manager.SelectedMacro();
    const std::vector<MacroAction> actions(macro.actions.begin(),
                                           macro.actions.begin() + long(macro.ValidActionCount()));
    ASSERT_EQ(actions.size(), 11u);
    EXPECT_EQ(actions[1], MakeDelay(150));
    EXPECT_EQ(actions[3], MakeDelay(850));
    EXPECT_EQ(actions[5], MakeDelay(90));
    EXPECT_EQ(actions[9], MakeDelay(32));
    EXPECT_EQ(actions[10], MakeKeyEvent('C', true));
}

} // namespace
} // namespace quorvik::ui
