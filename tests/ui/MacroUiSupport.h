// Set-up of the macro manager tests: the delivered English texts, a private data folder for the
// library file, an empty library, and a script that answers the modal dialogs as they open.
#pragma once

#include "UiTestSupport.h"

#include "macro/MacroFiles.h"
#include "macro/MacroLibrary.h"
#include "model/LanguageTable.h"
#include "model/ProfileRecord.h"
#include "platform/qt/FileDialogs.h"
#include "support/TestSupport.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/Displays.h"

#include <QKeyEvent>
#include <QWindow>

#include <deque>
#include <filesystem>
#include <functional>

namespace quorvik::test {

// Answers the modal dialogs that open next, one step per dialog, in order.
class DialogScript {
public:
    using Step = std::function<void(ui::CDlgBase&)>;
    ~DialogScript() { ui::CDlgBase::OnNextDialogShown({}); }

    DialogScript& then(Step step) {
        steps_.push_back(std::move(step));
        arm();
        return *this;
    }
    bool done() const { return steps_.empty(); }
    int shown() const { return shown_; }

private:
    void arm() {
        ui::CDlgBase::OnNextDialogShown([this](ui::CDlgBase& dialog) {
            if (steps_.empty())
                return;
            Step step = std::move(steps_.front());
            steps_.pop_front();
            ++shown_;
            if (!steps_.empty())
                arm(); // before the step: it may open the next dialog itself
            step(dialog);
        });
    }
    std::deque<Step> steps_;
    int shown_ = 0;
};

// The text of an attention dialog.
inline std::u16string AttentionText(ui::CDlgBase& dialog) {
    auto* text = dialog.FindControlAs<ui::CStaticText>(ui::CAttentionDlg::kMessageId);
    return text ? text->text() : std::u16string(u"(not an attention dialog)");
}

class MacroUiTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        std::filesystem::create_directories(data_.path() / "config");
        for (const char* name : {"LanSetting.ini", "Lan_EN.txt"})
            std::filesystem::copy_file(std::filesystem::path(QV_BIN_DIR) / "config" / name,
                                       data_.path() / "config" / name);
        platform::SetDataFolder(data_.str());
        model::ResetLanguageTables();
        ASSERT_TRUE(model::LoadLanguageTables());
        macro::TheMacroLibrary().Clear();
        macro::TheMacroLibrary().SetNextMacroIndex(1);
        macro::CurrentMacroLocation() = macro::MacroLocation::None();
        for (int slot = 0; slot < 2; ++slot)
            savedProfiles_[slot] = model::Profile(slot);
        model::SetCurrentSlot(0);
    }
    void TearDown() override {
        platform::SetFileDialogAnswerer({});
        for (int slot = 0; slot < 2; ++slot)
            model::Profile(slot) = savedProfiles_[slot];
        macro::TheMacroLibrary().Clear();
        macro::CurrentMacroLocation() = macro::MacroLocation::None();
        model::ResetLanguageTables();
    }

    // A click in the middle of a control.
    void clickControl(ui::CDlgBase& dialog, int id) {
        ui::CControlBase* control = dialog.FindControl(id);
        ASSERT_NE(control, nullptr) << "no control " << id;
        const ui::Rect r = control->rect();
        click(dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // An attention dialog with language text `text`, answered with OK or its close button.
    DialogScript::Step expectAttention(int text, bool ok = true) {
        return [this, text, ok](ui::CDlgBase& dialog) {
            EXPECT_EQ(AttentionText(dialog), model::LanguageText(text)) << "expected language text " << text;
            clickControl(dialog, ok ? ui::CAttentionDlg::kOkId : ui::CAttentionDlg::kCloseId);
        };
    }
    // A key event as the window system hands it to one of the program's windows.
    void sendKey(ui::CDlgBase& dialog, QEvent::Type type, int key, std::uint32_t nativeKey = 0,
                 bool autoRepeat = false) {
        QWindow* window = dialog.window()->windowHandle();
        ASSERT_NE(window, nullptr);
        QKeyEvent event(type, key, Qt::NoModifier, 0, nativeKey, 0, QString(), autoRepeat);
        QCoreApplication::sendEvent(window, &event);
    }
    void tapKey(ui::CDlgBase& dialog, int key) {
        sendKey(dialog, QEvent::KeyPress, key);
        sendKey(dialog, QEvent::KeyRelease, key);
        loop.runUntilIdle();
    }

    std::string libraryFile() const { return macro::MacroLibraryFilePath(); }

    TempDir data_;
    std::array<model::ProfileRecord, 2> savedProfiles_;
};

// A macro at `location` with the given actions and its event count.
inline model::MacroRecord& GiveActions(const macro::MacroLocation& location,
                                       std::initializer_list<model::MacroAction> actions) {
    model::MacroRecord& m = *macro::TheMacroLibrary().SlotAt(location)->macro;
    m.MacroActionNum = 0;
    for (const auto& a : actions)
        m.InsertAction(m.MacroActionNum, a);
    m.MacroCommandActionNum = m.CountEvents();
    return m;
}

} // namespace quorvik::test
