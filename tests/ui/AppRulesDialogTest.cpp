// The Applications dialog through the real window: reached from a profile tab's menu, driven by
// the messages its controls send; what it does to the rules and what the program around it hears.
#include "ProfileAreaSupport.h"
#include "TextContrast.h"

#include "model/AppRules.h"
#include "ui/macro/ListScrolling.h"
#include "ui/main/AppRuleControls.h"
#include "ui/main/AppRulesDlg.h"

namespace quorvik::test {
namespace {

using ui::CAppRulesDlg;

constexpr int kTextNameRefused = 473;

// What the program around the window would be: it hears of every change, with the rules as they
// stand by then, and knows the open applications.
struct RecordingPort : ui::AppRulesPort {
    void AppRulesChanged() override { told.push_back(model::Rules()); }
    std::vector<ui::OpenApplication> OpenApplications() override { return open; }
    std::vector<model::AppRules> told;
    std::vector<ui::OpenApplication> open{{u"firefox", u"Mozilla Firefox"}, {u"Steam_App_570", u"Dota 2"}};
};

class AppRulesDialogTest : public ProfileAreaTest {
protected:
    void SetUp() override {
        ProfileAreaTest::SetUp();
        model::Rules() = {};
    }
    void TearDown() override {
        model::Rules() = {};
        ProfileAreaTest::TearDown();
    }

    // Opens the dialog from slot 1's tab and runs `body` on it while it is open; it must close it.
    void withDialog(std::function<void(CAppRulesDlg&)> body, std::vector<DialogScript::Step> more = {}) {
        DialogScript script;
        script.then([&](ui::CDlgBase& dialog) {
            auto* rules = dynamic_cast<CAppRulesDlg*>(&dialog);
            ASSERT_NE(rules, nullptr) << "not the Applications dialog";
            body(*rules);
            // The body ends the dialog (its loop then returns at once).
            EXPECT_NE(dialog.Result(), 0) << "the dialog was left open";
            if (dialog.Result() == 0)
                dialog.EndDialog(platform::IDCANCEL);
        });
        for (auto& step : more)
            script.then(std::move(step));
        chooseInSlotMenu(1, ui::CProfileArea::kApplications);
        EXPECT_TRUE(script.done());
    }
    ui::CTwoColumnList& list(CAppRulesDlg& dialog, int id) { return *dialog.FindControlAs<ui::CTwoColumnList>(id); }
    void clickRow(CAppRulesDlg& dialog, int id, int row, bool twice = false) {
        const ui::Rect& r = list(dialog, id).rect();
        const int y = r.top + row * ui::ListRowHeight() + ui::ListRowHeight() / 2;
        click(dialog, r.left + 10, y);
        if (twice)
            mouse(dialog, platform::WM_LBUTTONDBLCLK, r.left + 10, y);
    }
    void chooseProfile(CAppRulesDlg& dialog, int entry) {
        clickIn(dialog, CAppRulesDlg::kProfileSelectorId);
        const platform::WindowHandle menu = dialog.Popup(CAppRulesDlg::kProfileMenuSlot);
        ASSERT_NE(menu, 0u) << "no profile menu";
        chooseRow(menu, entry, ui::CRuleProfilePopup::kRowHeightUnits);
        EXPECT_EQ(dialog.Popup(CAppRulesDlg::kProfileMenuSlot), 0u);
    }
    std::vector<std::pair<std::u16string, int>> rulesNow() {
        std::vector<std::pair<std::u16string, int>> now;
        for (const auto& rule : model::Rules().rules)
            now.push_back({rule.match, rule.slot});
        return now;
    }

    RecordingPort port_;
};

// Keyboards without a Menu key open the same menu with Shift+F10; F10 alone is not that key.
TEST_F(AppRulesDialogTest, ShiftF10OpensTheTabsMenuToo) {
    start("0", {Form::Wired});
    dlg().SetFocusTo(area().Tab(0));
    dlg().NavigateKey(platform::VK_F10, 0);
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u);
    ASSERT_TRUE(dlg().NavigateKey(platform::VK_F10, platform::KEY_SHIFT));
    EXPECT_NE(dlg().Popup(kPopupSlotControl), 0u);
}

// The entry follows the profile operations in a tab's menu, which the Menu key opens too, so the
// keyboard reaches the dialog as the pointer does.
TEST_F(AppRulesDialogTest, TheTabsMenuOffersItAndTheMenuKeyOpensThatMenu) {
    start("0", {Form::Wired});
    dlg().SetFocusTo(area().Tab(0));
    ASSERT_TRUE(dlg().NavigateKey(platform::VK_APPS, 0));
    const platform::WindowHandle opened = dlg().Popup(kPopupSlotControl);
    ASSERT_NE(opened, 0u) << "no menu";
    auto* menu = dynamic_cast<ui::CWndPopup*>(platform::NativeWindow::fromHandle(opened)->owner());
    ASSERT_NE(menu, nullptr);
    std::vector<std::u16string> entries;
    for (const auto& item : menu->Items())
        entries.push_back(item.text);
    EXPECT_EQ(entries, (std::vector<std::u16string>{u"Import", u"Export", u"Rename", u"Delete", u"Applications…"}));

    // Without a port the dialog edits the rules alone and offers no open applications.
    DialogScript script;
    script.then([&](ui::CDlgBase& shown) {
        auto* dialog = dynamic_cast<CAppRulesDlg*>(&shown);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->OpenApplications().empty());
        dialog->SetEditText(CAppRulesDlg::kNameEditId, u"game");
        clickIn(*dialog, CAppRulesDlg::kAddId);
        clickIn(*dialog, CAppRulesDlg::kCloseButtonId);
    });
    menu->OnKey(platform::VK_END);
    menu->OnKey(platform::VK_RETURN);
    loop.advance(ui::CProfileArea::kCommandDelayMs);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(rulesNow(), (std::vector<std::pair<std::u16string, int>>{{u"game", 0}}));
}

TEST_F(AppRulesDialogTest, RulesAreAddedMovedAndRemovedAndThePortHearsOfEach) {
    start("0", {Form::Wired});
    dlg().SetAppRulesPort(&port_);
    using Rules = std::vector<std::pair<std::u16string, int>>;
    withDialog(
        [&](CAppRulesDlg& dialog) {
            EXPECT_EQ(dialog.OfferedSlots(), (std::vector<int>{0, 1, 2}));
            EXPECT_EQ(dialog.ChosenSlot(), 0) << "the profile in use";
            EXPECT_EQ(list(dialog, CAppRulesDlg::kOpenListId).RowCount(), 2);

            // Typed, for the second profile.
            chooseProfile(dialog, 1);
            EXPECT_EQ(dialog.ChosenSlot(), 1);
            EXPECT_EQ(dialog.FindControl(CAppRulesDlg::kProfileSelectorId)->text(), nameOf(1));
            dialog.SetEditText(CAppRulesDlg::kNameEditId, u"  steam_app_570 ");
            clickIn(dialog, CAppRulesDlg::kAddId);
            EXPECT_EQ(rulesNow(), (Rules{{u"steam_app_570", 1}}));
            ASSERT_EQ(port_.told.size(), 1u);
            EXPECT_EQ(port_.told.back(), model::Rules()) << "told once the rules hold the change";
            EXPECT_EQ(dialog.GetEditText(CAppRulesDlg::kNameEditId), u"");
            const auto& rows = list(dialog, CAppRulesDlg::kRuleListId).Rows();
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0].second, nameOf(1));
            EXPECT_FALSE(rows[0].greyed);

            // Picked from the open applications, added with Enter.
            clickRow(dialog, CAppRulesDlg::kOpenListId, 0);
            EXPECT_EQ(dialog.GetEditText(CAppRulesDlg::kNameEditId), u"firefox");
            loop.send(dialog.hwnd(), platform::WM_KEYDOWN, platform::VK_RETURN, 0);
            EXPECT_EQ(rulesNow(), (Rules{{u"steam_app_570", 1}, {u"firefox", 1}}));
            EXPECT_EQ(list(dialog, CAppRulesDlg::kRuleListId).SelectedRow(), 1) << "the new rule is selected";

            // The same application (in another case), double-clicked for the third profile: its
            // rule moves, in its place.
            chooseProfile(dialog, 2);
            clickRow(dialog, CAppRulesDlg::kOpenListId, 1, true);
            EXPECT_EQ(rulesNow(), (Rules{{u"Steam_App_570", 2}, {u"firefox", 1}}));
            EXPECT_EQ(list(dialog, CAppRulesDlg::kRuleListId).SelectedRow(), 0);
            EXPECT_EQ(port_.told.size(), 3u);

            // Removed: the selected rule, and the next one is selected.
            clickIn(dialog, CAppRulesDlg::kRemoveId);
            EXPECT_EQ(rulesNow(), (Rules{{u"firefox", 1}}));
            EXPECT_EQ(list(dialog, CAppRulesDlg::kRuleListId).SelectedRow(), 0);
            clickIn(dialog, CAppRulesDlg::kRemoveId);
            EXPECT_TRUE(model::Rules().rules.empty());
            EXPECT_EQ(list(dialog, CAppRulesDlg::kRuleListId).SelectedRow(), -1);
            clickIn(dialog, CAppRulesDlg::kRemoveId); // nothing left: nothing happens
            EXPECT_EQ(port_.told.size(), 5u);

            // The switch.
            clickIn(dialog, CAppRulesDlg::kSwitchId);
            EXPECT_TRUE(model::Rules().autoSwitch);
            EXPECT_TRUE(port_.told.back().autoSwitch);
            clickIn(dialog, CAppRulesDlg::kSwitchId);
            EXPECT_FALSE(model::Rules().autoSwitch);
            EXPECT_EQ(port_.told.size(), 7u);

            // Names a rule cannot keep are refused with the message, and change nothing.
            for (const char16_t* refused : {u"   ", u"two\nlines", u"tab\there"}) {
                dialog.SetEditText(CAppRulesDlg::kNameEditId, refused);
                clickIn(dialog, CAppRulesDlg::kAddId);
            }
            dialog.SetEditText(CAppRulesDlg::kNameEditId, std::u16string(model::kAppRuleMatchMax + 1, u'x'));
            EXPECT_EQ(dialog.GetEditText(CAppRulesDlg::kNameEditId).size(), model::kAppRuleMatchMax)
                << "the field takes no more than a rule keeps";
            EXPECT_TRUE(model::Rules().rules.empty());
            EXPECT_EQ(port_.told.size(), 7u);

            // Escape closes.
            EXPECT_TRUE(dialog.NavigateKey(platform::VK_ESCAPE, 0));
        },
        {attention(kTextNameRefused), attention(kTextNameRefused), attention(kTextNameRefused)});
}

TEST_F(AppRulesDialogTest, ARuleForAHiddenOrMissingProfileIsGreyedWithTheReason) {
    start("0", {Form::Wired});
    model::Rules().rules = {{u"shown", 2}, {u"hidden", 4}, {u"nowhere", 7}};
    withDialog([&](CAppRulesDlg& dialog) {
        const auto& rows = list(dialog, CAppRulesDlg::kRuleListId).Rows();
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0].second, nameOf(2));
        EXPECT_FALSE(rows[0].greyed);
        EXPECT_EQ(rows[1].second, u"profile not shown");
        EXPECT_TRUE(rows[1].greyed);
        EXPECT_EQ(rows[2].second, u"no such profile");
        EXPECT_TRUE(rows[2].greyed);
        EXPECT_EQ(dialog.FindControl(CAppRulesDlg::kRuleListId)->AccessRowText(1), u"hidden, profile not shown");
        // A hidden profile is never offered for a new rule.
        EXPECT_EQ(dialog.OfferedSlots(), (std::vector<int>{0, 1, 2}));
        // Greyed or not, every text stays readable.
        const std::vector<DrawnText> texts = MeasureTexts(dialog.window());
        EXPECT_EQ(LowContrast(texts), "");
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                [](const DrawnText& t) { return t.text == QStringLiteral("no such profile"); }));
        clickIn(dialog, CAppRulesDlg::kCloseId);
    });
}

TEST_F(AppRulesDialogTest, TabWalksTheDialogInReadingOrderAndEveryStopHasAName) {
    start("0", {Form::Wired});
    dlg().SetAppRulesPort(&port_);
    withDialog([&](CAppRulesDlg& dialog) {
        std::vector<int> order;
        for (const ui::FocusStop& stop : dialog.FocusOrder()) {
            if (stop.control && dynamic_cast<ui::CVScrollBar*>(stop.control))
                continue;
            order.push_back(stop.control ? stop.control->id() : stop.editId);
            if (stop.control) {
                EXPECT_FALSE(stop.control->AccessibleName().empty()) << stop.control->id();
            }
        }
        EXPECT_EQ(order, (std::vector<int>{CAppRulesDlg::kSwitchId, CAppRulesDlg::kRuleListId, CAppRulesDlg::kRemoveId,
                                           CAppRulesDlg::kNameEditId, CAppRulesDlg::kOpenListId,
                                           CAppRulesDlg::kProfileSelectorId, CAppRulesDlg::kAddId,
                                           CAppRulesDlg::kCloseButtonId, CAppRulesDlg::kCloseId}));
        EXPECT_EQ(dialog.Edit(CAppRulesDlg::kNameEditId)->accessibleName(), QStringLiteral("Name of the application"));
        EXPECT_EQ(dialog.FindControl(CAppRulesDlg::kProfileSelectorId)->AccessibleName(),
                  u"Profile of the new rule: " + nameOf(0));
        // Keys pick from the open applications as clicks do.
        dialog.SetFocusTo(dialog.FindControl(CAppRulesDlg::kOpenListId));
        EXPECT_TRUE(dialog.NavigateKey(platform::VK_DOWN, 0));
        EXPECT_EQ(dialog.GetEditText(CAppRulesDlg::kNameEditId), u"firefox");
        EXPECT_TRUE(dialog.NavigateKey(platform::VK_DOWN, 0));
        EXPECT_TRUE(dialog.NavigateKey(platform::VK_RETURN, 0));
        EXPECT_EQ(rulesNow(), (std::vector<std::pair<std::u16string, int>>{{u"Steam_App_570", 0}}));
        EXPECT_TRUE(dialog.NavigateKey(platform::VK_ESCAPE, 0));
    });
}

// Every control inside the dialog and clear of the others, each caption whole, at both display
// factors and in both languages. Pictures go to QV_RENDER_DIR when it is set.
class AppRulesDrawnTest : public AppRulesDialogTest, public ::testing::WithParamInterface<std::tuple<double, bool>> {};

TEST_P(AppRulesDrawnTest, NothingIsCutOff) {
    const auto [factor, chinese] = GetParam();
    platform::SetDisplayScaleFactor(factor);
    std::filesystem::create_directories(dir_.path() / "config");
    writeBytes(dir_.path() / "config" / "LanSetting.ini",
               utf16File(chinese ? u"[ChangeLanguage]\nLanguage=ZH\n" : u"[ChangeLanguage]\nLanguage=EN\n"));
    start("0", {Form::Wired});
    ASSERT_EQ(model::LanguageText(0), chinese ? u"中文" : u"English");
    model::Rules().rules = {{u"steam_app_570", 1}, {u"hidden", 4}, {u"nowhere", 9}};
    dlg().SetAppRulesPort(&port_);
    withDialog([&](CAppRulesDlg& dialog) {
        const ui::Rect client = dialog.ClientRect();
        std::vector<ui::CControlBase*> controls = dialog.ReadingOrder();
        for (ui::CControlBase* c : controls) {
            const ui::Rect& r = c->rect();
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << c->id();
            for (ui::CControlBase* other : controls)
                if (other != c && c->Role() != ui::AccessRole::Label && other->Role() != ui::AccessRole::Label) {
                    EXPECT_FALSE(r.intersects(other->rect())) << c->id() << " and " << other->id();
                }
            if (!c->text().empty() && c->Role() != ui::AccessRole::ComboBox) {
                const int width = QFontMetrics(c->font()).horizontalAdvance(QString::fromStdU16String(c->text()));
                EXPECT_LE(width, r.width()) << c->id() << " cut off: " << model::ToUtf8(c->text());
            }
        }
        if (const char* dir = std::getenv("QV_RENDER_DIR"))
            dialog.window()->grab().toImage().save(QString::fromStdString(std::string(dir) + "/applications-" +
                                                                          (chinese ? "zh-" : "en-") +
                                                                          (factor == 1.0 ? "1x" : "2x") + ".png"));
        clickIn(dialog, CAppRulesDlg::kCloseId);
    });
    writeBytes(dir_.path() / "config" / "LanSetting.ini", utf16File(u"[ChangeLanguage]\nLanguage=EN\n"));
    model::LoadLanguageTables();
}

INSTANTIATE_TEST_SUITE_P(FactorsAndLanguages, AppRulesDrawnTest,
                         ::testing::Combine(::testing::Values(1.0, 2.0), ::testing::Bool()));

} // namespace
} // namespace quorvik::test
