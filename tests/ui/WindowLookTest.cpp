// How the windows look, in English and in Chinese at display factors 1 and 2: every text the
// main window, its pages, menus and dialogs and the macro manager draw keeps a contrast of at
// least 4.5 : 1 to what lies behind it, as drawn and under the pointer; Chinese is drawn in an
// installed Chinese face no smaller than the English text; nothing crosses the title bar's
// divider. The pictures go to QV_RENDER_DIR when it is set.
#include "MacroUiSupport.h"
#include "MainWindowHarness.h"
#include "TextContrast.h"

#include "macro/MacroLibrary.h"
#include "model/LanguageTable.h"
#include "ui/macro/Lists.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/main/ButtonSelectors.h"
#include "ui/main/ComboPopup.h"
#include "ui/main/MainIds.h"
#include "ui/main/MainLayout.h"
#include "ui/main/ShortcutDlg.h"
#include "ui/rules/ButtonAssignment.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/OpenWindowTable.h"
#include "ui/skin/SkinSupport.h"
#include "ui/skin/WndPopup.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <cstdlib>
#include <filesystem>

namespace quorvik::test {
namespace {

using namespace ui::main_ids;
using platform::WindowHandle;

struct Look {
    const char* language; // "EN" or "ZH"
    double factor;
};

std::string nameOf(const ::testing::TestParamInfo<Look>& info) {
    return std::string(info.param.language) + (info.param.factor == 1.0 ? "x1" : "x2");
}

class WindowLookTest : public MainWindowTest, public ::testing::WithParamInterface<Look> {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        platform::SetDisplayScaleFactor(GetParam().factor);
        std::filesystem::create_directories(dir_.path() / "config");
        if (chinese())
            writeBytes(dir_.path() / "config/LanSetting.ini", utf16File(u"[ChangeLanguage]\nLanguage=ZH\n"));
        start("0", {device::Form::Wired});
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        platform::SetDisplayScaleFactor(1.0);
    }
    bool chinese() const { return std::string(GetParam().language) == "ZH"; }
    std::string look() const { return nameOf({GetParam(), 0}); }

    // Every text of the window readable as it is, and each control's under the pointer.
    void expectReadable(ui::CDlgBase& dialog, const std::string& what) {
        const std::vector<DrawnText> texts = MeasureTexts(dialog.window());
        EXPECT_FALSE(texts.empty()) << what;
        EXPECT_EQ(LowContrast(texts), "") << what;
        keep(dialog.window()->grab().toImage(), what);
        for (int list = 1; list <= 7; ++list)
            for (const auto& control : dialog.ControlList(list)) {
                if (!control->isLive() || control->text().empty())
                    continue;
                const ui::Rect& r = control->rect();
                mouse(dialog, platform::WM_MOUSEMOVE, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
                EXPECT_EQ(LowContrast(MeasureTexts(dialog.window(), r.toQRect())), "")
                    << what << ", control " << control->id() << " under the pointer";
            }
        loop.send(dialog.hwnd(), platform::WM_MOUSELEAVE, 0, 0);
    }
    // A popup's rows readable, each also under the pointer.
    void expectReadable(WindowHandle handle, const std::string& what) {
        ASSERT_NE(handle, 0u) << what;
        auto* popup = dynamic_cast<ui::CWndPopup*>(platform::NativeWindow::fromHandle(handle)->owner());
        ASSERT_NE(popup, nullptr) << what;
        QWidget* window = popup->window();
        const std::vector<DrawnText> texts = MeasureTexts(window);
        EXPECT_FALSE(texts.empty()) << what;
        EXPECT_EQ(LowContrast(texts), "") << what;
        keep(window->grab().toImage(), what);
        for (std::size_t i = 0; i < popup->Items().size(); ++i) {
            const ui::Rect& r = popup->Items()[i].rect;
            if (popup->Items()[i].separator || popup->Items()[i].subMenu)
                continue; // a submenu's entry opens it when the pointer rests there
            loop.send(handle, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(r.left + 20, (r.top + r.bottom) / 2));
            EXPECT_EQ(LowContrast(MeasureTexts(window, r.toQRect())), "") << what << ", row " << i;
        }
    }
    // A modal dialog that `open` opens, measured as it shows (after `prepare`) and cancelled.
    void expectReadableDialog(const std::string& what, const std::function<void()>& open,
                              const std::function<void(ui::CDlgBase&)>& prepare = {}) {
        DialogScript script;
        script.then([&](ui::CDlgBase& dialog) {
            if (prepare)
                prepare(dialog);
            expectReadable(dialog, what);
            dialog.EndDialog(platform::IDCANCEL);
        });
        open();
        loop.runUntilIdle();
        EXPECT_TRUE(script.done()) << what << " did not open";
    }
    void keep(const QImage& picture, const std::string& what) {
        if (const char* dir = std::getenv("QV_RENDER_DIR")) {
            std::string name = what;
            std::replace(name.begin(), name.end(), ' ', '-');
            picture.save(QString::fromStdString(std::string(dir) + "/" + name + "-" + look() + ".png"));
        }
    }
    void closePopups() {
        for (int slot = 0; slot <= 10; ++slot)
            dlg().ClosePopup(slot);
        loop.runUntilIdle();
    }
};

TEST_P(WindowLookTest, ChineseIsDrawnInAnInstalledChineseFaceAsTallAsEnglish) {
    const QFont font = ui::ControlFont();
    const QFont english = ui::ControlFont(int(16 * GetParam().factor), u"Tahoma");
    if (chinese()) {
        // Qt's font matching finds the face itself, not a substitute that has no Chinese.
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("WenQuanYi Micro Hei"));
        EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'配'));
    }
    EXPECT_GE(font.pixelSize(), english.pixelSize());
    EXPECT_GE(QFontMetrics(font).height(), QFontMetrics(english).height());
}

TEST_P(WindowLookTest, TheMainWindowIsReadableOnEveryPageAndNothingCrossesTheTitleBar) {
    const int divider = ui::Scaled(ui::layout::kTitleBarHeight - 1);
    for (int list = 1; list <= 7; ++list)
        for (const auto& control : dlg().ControlList(list)) {
            if (!control->isLive())
                continue;
            const ui::Rect& r = control->rect();
            EXPECT_TRUE(r.bottom <= divider || r.top > divider)
                << "control " << control->id() << " from " << r.top << " to " << r.bottom << " crosses row " << divider;
        }
    expectReadable(dlg(), "main window");
    for (int header : {kHeaderPollingRate, kHeaderLiftOff, kHeaderDebounce, kHeaderPointer}) {
        if (!dlg().FindControl(header)->isLive())
            continue; // lift-off: offered where the sensor has it
        clickControl(header);
        expectReadable(dlg(), "main window page " + std::to_string(header));
        closePopups();
    }
}

TEST_P(WindowLookTest, MenusAndListsAreReadable) {
    // The button-function menu and its multimedia submenu.
    clickControl(kFirstButtonSelector);
    const WindowHandle menu = dlg().Popup(kPopupSlotControl);
    expectReadable(menu, "button menu");
    const int row = ui::Scaled(ui::kButtonMenuRowUnits);
    const int multimedia = ui::rules::SubMenuEntryIndex(model::KeyMenu::Multimedia);
    loop.send(menu, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(20, multimedia * row + row / 2));
    loop.advance(ui::kButtonMenuRestMs);
    loop.runUntilIdle();
    expectReadable(dlg().Popup(ui::SubMenuOf(model::KeyMenu::Multimedia)->popupSlot), "multimedia menu");
    closePopups();

    clickControl(kHeaderPollingRate);
    clickControl(kRateSelector);
    expectReadable(dlg().Popup(kPopupSlotControl), "rate list");
    closePopups();
    clickControl(kHeaderLighting);
    clickControl(kEffectSelector);
    expectReadable(dlg().Popup(kPopupSlotControl), "effect list");
    closePopups();
    clickControl(kProfileSelector);
    expectReadable(dlg().Popup(kPopupSlotControl), "profile list");
    closePopups();
}

TEST_P(WindowLookTest, TheMainWindowsDialogsAreReadable) {
    auto chooseEntry = [&](int entry) {
        clickControl(kFirstButtonSelector + 1);
        const WindowHandle menu = dlg().Popup(kPopupSlotControl);
        ASSERT_NE(menu, 0u);
        const int row = ui::Scaled(ui::kButtonMenuRowUnits);
        const platform::LPARAM at = platform::MakePointParam(20, entry * row + row / 2);
        loop.send(menu, platform::WM_MOUSEMOVE, 0, at);
        loop.send(menu, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, at);
        loop.send(menu, platform::WM_LBUTTONUP, 0, at);
    };
    expectReadableDialog("fire key dialog", [&] { chooseEntry(6); });
    expectReadableDialog("shortcut dialog", [&] { chooseEntry(9); });
    // With "no modifier keys" the four checks are dimmed, and still read.
    expectReadableDialog(
        "shortcut dialog without modifiers", [&] { chooseEntry(9); },
        [&](ui::CDlgBase& dialog) {
            const ui::Rect r = dialog.FindControl(ui::CShortcutDlg::kNoModifierId)->rect();
            click(dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        });
    expectReadableDialog("macro select dialog", [&] { chooseEntry(8); });
    expectReadableDialog("DPI value dialog", [&] { clickControl(kDpiValueBox); });
    expectReadableDialog("colour palette", [&] { clickControl(kDpiColourButton); });
    expectReadableDialog("factory reset dialog", [&] { clickControl(kFactoryReset); });
    expectReadableDialog("profile name dialog", [&] { clickControl(kProfileRename); });
    // The attention dialog shows beside the window, modeless.
    dlg().ShowAttention(151);
    loop.runUntilIdle();
    ui::CDlgBase* attention = nullptr;
    for (WindowHandle h : ui::OpenWindows())
        if (h)
            if (auto* window = platform::NativeWindow::fromHandle(h))
                attention = dynamic_cast<ui::CAttentionDlg*>(window->owner());
    ASSERT_NE(attention, nullptr);
    expectReadable(*attention, "attention dialog");
}

TEST_P(WindowLookTest, TheMacroManagerIsReadable) {
    macro::MacroLocation folder = macro::MacroLocation::None();
    ASSERT_EQ(macro::TheMacroLibrary().AddFolder(u"Games", folder), macro::AddResult::Added);
    macro::MacroLocation at = folder;
    ASSERT_EQ(macro::TheMacroLibrary().AddMacro(u"Reload", at), macro::AddResult::Added);
    GiveActions(at, {model::MakeKeyEvent('R', false), model::MakeDelay(120), model::MakeKeyEvent('R', true)});
    macro::TheMacroLibrary().SlotAt(folder)->folderIsOpen = 1;
    ui::CMacroManagerDlg manager(dlg().hwnd());
    ASSERT_TRUE(manager.Create());
    manager.window()->showCommand(platform::SW_SHOW);
    // The macro selected, its delay row selected too: the selection's text and the clock icon.
    auto* tree = manager.FindControlAs<ui::CEditShowList>(ui::kIdMacroTree);
    const ui::Rect t = tree->rect();
    click(manager, t.left + ui::Scaled(80), t.top + tree->RowOf(at) * tree->RowHeight() + tree->RowHeight() / 2);
    const ui::Rect a = manager.FindControl(ui::kIdActionList)->rect();
    click(manager, a.left + ui::Scaled(40), a.top + tree->RowHeight() + tree->RowHeight() / 2);
    expectReadable(manager, "macro manager");

    click(manager,
          (manager.FindControl(ui::kIdInsert)->rect().left + manager.FindControl(ui::kIdInsert)->rect().right) / 2,
          manager.FindControl(ui::kIdInsert)->rect().top + 4);
    expectReadable(manager.Popup(ui::kInsertMenuSlot), "insert menu");
    manager.ClosePopup(ui::kInsertMenuSlot);
    loop.runUntilIdle();
    const int y = t.top + tree->RowOf(at) * tree->RowHeight() + tree->RowHeight() / 2;
    mouse(manager, platform::WM_MOUSEMOVE, t.left + ui::Scaled(80), y);
    mouse(manager, platform::WM_RBUTTONUP, t.left + ui::Scaled(80), y);
    expectReadable(manager.Popup(ui::kItemMenuSlot), "item menu");
    manager.ClosePopup(ui::kItemMenuSlot);
    loop.runUntilIdle();
    expectReadableDialog("macro name dialog", [&] {
        const ui::Rect r = manager.FindControl(ui::kIdNewMacro)->rect();
        click(manager, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        loop.runUntilIdle();
        manager.window()->grab(); // the deferred command runs after the repaint
    });
    manager.EndDialog(platform::IDCANCEL);
    loop.runUntilIdle();
}

INSTANTIATE_TEST_SUITE_P(Looks, WindowLookTest,
                         ::testing::Values(Look{"EN", 1.0}, Look{"EN", 2.0}, Look{"ZH", 1.0}, Look{"ZH", 2.0}), nameOf);

} // namespace
} // namespace quorvik::test
