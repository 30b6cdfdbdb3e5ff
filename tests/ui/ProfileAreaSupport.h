// The profiles panel's tests share this: the window started with the profile operations at hand,
// the dialogs answered as a user would, and the files and show list they change.
#pragma once

#include "MacroUiSupport.h"
#include "SmallPagesSupport.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "platform/qt/FileDialogs.h"
#include "platform/qt/TrayIcon.h"
#include "ui/macro/MacroIds.h"
#include "ui/main/ComboProfilePopup.h"
#include "ui/main/FirmwareResetDlg.h"
#include "ui/main/MainLayout.h"
#include "ui/main/ProfileArea.h"
#include "ui/main/ProfileNameDlgs.h"
#include "ui/main/ProfileRKeyPopup.h"
#include "ui/rules/ProfileSlots.h"
#include "ui/rules/TrayBattery.h"
#include "ui/skin/Displays.h"

#include <cerrno>

namespace quorvik::test {

using device::Form;
using device::SettingGroup;
using namespace ui::main_ids;
using Bytes = std::vector<unsigned char>;
using Codes = std::vector<std::uint8_t>;

inline constexpr int kTextAddPrompt = 141;
inline constexpr int kTextRenamePrompt = 144;
inline constexpr int kTextLimit = 145;
inline constexpr int kTextEmptyName = 147;
inline constexpr int kTextDeleteCurrent = 152;

class ProfileAreaTest : public SmallPagesTest {
protected:
    void TearDown() override {
        platform::SetFileDialogAnswerer({});
        ui::CDlgBase::OnNextDialogShown({});
        SmallPagesTest::TearDown();
    }

    ui::CProfileArea& area() { return *static_cast<ui::CProfileArea*>(dlg().PageFor(kProfileAdd)); }
    model::ConfigPairs& config() { return model::Config(); }
    std::vector<int> showList() {
        std::vector<int> list;
        for (int position = 0; position < 5; ++position)
            list.push_back(int(config().ProfileShowList(position)));
        return list;
    }
    const std::u16string& nameOf(int slot) { return model::Profile(slot).PairValue(model::kPairProfileName); }
    // The slot's file once the save on its way (off the main thread) is written.
    Bytes slotFile(int slot) {
        loop.runUntilIdle();
        return readBytes(config().ProfileSlotPath(slot));
    }
    // Every file the profile operations may write: the configuration and the five slot files.
    std::vector<Bytes> allFiles() {
        loop.runUntilIdle();
        std::vector<Bytes> files{readBytes(model::ConfigFilePath())};
        for (int slot = 0; slot < 5; ++slot)
            files.push_back(slotFile(slot));
        return files;
    }
    // The configuration as its file holds it.
    model::ConfigPairs savedConfig() {
        loop.runUntilIdle();
        model::ConfigPairs saved;
        EXPECT_TRUE(saved.Read(model::ConfigFilePath()));
        return saved;
    }
    // The tabs shown, top to bottom, as slots.
    std::vector<int> tabsShown() {
        std::vector<std::pair<int, int>> rows;
        for (int slot = 0; slot < 5; ++slot)
            if (area().Tab(slot)->isLive())
                rows.push_back({area().Tab(slot)->rect().top, slot});
        std::sort(rows.begin(), rows.end());
        std::vector<int> order;
        for (const auto& row : rows)
            order.push_back(row.second);
        return order;
    }

    // A click in the middle of a control of a dialog.
    void clickIn(ui::CDlgBase& dialog, int id) {
        ui::CControlBase* control = dialog.FindControl(id);
        ASSERT_NE(control, nullptr) << "no control " << id;
        const ui::Rect r = control->rect();
        click(dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Name dialog steps: type a name and press OK; press Cancel.
    DialogScript::Step typeName(std::u16string name) {
        return [this, name](ui::CDlgBase& dialog) {
            dialog.SetEditText(ui::CAddProfileDlg::kNameEdit, name);
            clickIn(dialog, ui::kIdDialogOk);
        };
    }
    DialogScript::Step cancel() {
        return [this](ui::CDlgBase& dialog) { clickIn(dialog, ui::kIdDialogCancel); };
    }
    DialogScript::Step attention(int text) {
        return [this, text](ui::CDlgBase& dialog) {
            EXPECT_EQ(AttentionText(dialog), model::LanguageText(text)) << "expected language text " << text;
            clickIn(dialog, ui::CAttentionDlg::kOkId);
        };
    }

    // A right-click on a tab opens its menu; the entry is chosen the way the pointer would. The
    // command waits for timer 60: `runCommand` lets it run.
    void chooseInSlotMenu(int slot, int operation, bool runCommand = true) {
        ui::CControlBase* tab = area().Tab(slot);
        ASSERT_TRUE(tab->isLive()) << "tab of slot " << slot;
        const ui::Rect& r = tab->rect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        mouse(dlg(), platform::WM_MOUSEMOVE, x, y);
        mouse(dlg(), platform::WM_RBUTTONUP, x, y);
        const platform::WindowHandle menu = dlg().Popup(kPopupSlotControl);
        ASSERT_NE(menu, 0u) << "no context menu";
        // At the click point, moved up where it would reach past the window's bottom (6 units
        // inside its edge, as the other menus keep).
        const QPoint at = platform::NativeWindow::fromHandle(menu)->pos();
        const QPoint click = dlg().window()->mapToGlobal(QPoint(x, y));
        const int height = ui::CProfileRKeyPopup::kEntryCount * ui::Scaled(ui::CProfileRKeyPopup::kRowHeightUnits);
        const int lowest = dlg().window()->mapToGlobal(QPoint(0, dlg().Height() - ui::Scaled(6))).y() - height;
        EXPECT_EQ(at, QPoint(click.x(), std::min(click.y(), lowest)));
        chooseRow(menu, operation, ui::CProfileRKeyPopup::kRowHeightUnits);
        EXPECT_FALSE(loop.isWindow(menu)) << "the menu closes with the choice";
        if (runCommand)
            loop.advance(ui::CProfileArea::kCommandDelayMs);
    }
    void chooseRow(platform::WindowHandle popup, int row, int rowUnits) {
        const int height = ui::Scaled(rowUnits);
        const int y = row * height + height / 2;
        loop.send(popup, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(20, y));
        loop.send(popup, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, platform::MakePointParam(20, y));
        loop.send(popup, platform::WM_LBUTTONUP, 0, platform::MakePointParam(20, y));
        loop.runUntilIdle();
    }
    ui::CComboProfilePopup* openList(int anchor = kProfileSelector) {
        clickControl(anchor);
        const platform::WindowHandle list = area().List();
        EXPECT_NE(list, 0u);
        auto* window = list ? platform::NativeWindow::fromHandle(list) : nullptr;
        return window ? dynamic_cast<ui::CComboProfilePopup*>(window->owner()) : nullptr;
    }

    // Adds a profile through the Add button.
    void addProfile(const std::u16string& name) {
        DialogScript script;
        script.then(typeName(name));
        clickControl(kProfileAdd);
        EXPECT_TRUE(script.done());
        loop.runUntilIdle(); // its save, written off the main thread
    }
};

} // namespace quorvik::test
