// The Applications dialog: the rules that bind an application to a profile, and the switch that
// turns the following on. The rules list shows each application with the profile it selects; a
// rule whose profile is not shown, or names none of the five, is greyed with the reason. A rule
// is added from a typed name or from the applications with a window open now, for the profile
// chosen in the selector; a name that has a rule already moves it to that profile.
//
// Every change goes to model::Rules() at once and the port hears of it; nothing waits for the
// dialog to close. Escape and the close buttons close it.
//
//   CAppRulesDlg dialog(mainWindow, port); // port may be null: the rules are edited only
//   dialog.DoModal();
#pragma once

#include "ui/main/AppRulesPort.h"
#include "ui/rules/ClosingClick.h"
#include "ui/skin/DlgBase.h"

#include <string>
#include <vector>

namespace quorvik::ui {

class CComboButton;
class CTwoColumnList;
class CWideCheckButton;

class CAppRulesDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 180;
    static constexpr int kWidthUnits = 560;
    static constexpr int kHeightUnits = 440;

    // Controls; each id is also the message it sends.
    static constexpr int kCloseId = kDialogCloseId; // the title bar's, which Escape presses
    static constexpr int kSwitchId = 2201;
    static constexpr int kRuleListId = 2202;
    static constexpr int kRuleScrollId = 2203;
    static constexpr int kRemoveId = 2204;
    static constexpr int kNameEditId = 2205;
    static constexpr int kOpenListId = 2206;
    static constexpr int kOpenScrollId = 2207;
    static constexpr int kProfileSelectorId = 2208;
    static constexpr int kAddId = 2209;
    static constexpr int kCloseButtonId = 2210;
    // The profile selector opens its menu with the first, the menu reports its choice with the
    // second and its loss of the activation with the third.
    static constexpr unsigned kMsgProfileSelector = 0x493;
    static constexpr unsigned kMsgProfileChoice = 0x494;
    static constexpr unsigned kMsgProfileMenuClosed = 0x495;
    static constexpr int kProfileMenuSlot = 0;

    CAppRulesDlg(WindowHandle parent, AppRulesPort* port);
    ~CAppRulesDlg() override;
    // The dialog open now, if one is: a change of the rules from outside (a command) shows there.
    static CAppRulesDlg* Shown();

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // The slot a rule added now selects.
    int ChosenSlot() const { return chosenSlot_; }
    // The slots the profile selector offers, in show-list order.
    const std::vector<int>& OfferedSlots() const { return offered_; }
    // The applications the list of open ones shows, as the port gave them.
    const std::vector<OpenApplication>& OpenApplications() const { return open_; }
    // The rules, the switch and the profile names again (the rules may change from outside).
    void Reload();

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    // Enter adds the name typed, when there is one.
    void OnOK() override;
    // Tab goes from the switch down the rules, then down the new rule, then to Close; the title
    // bar's button comes last.
    int FocusBand(const Rect& rect) const override;

private:
    CTwoColumnList* rules() const;
    CTwoColumnList* openList() const;
    CComboButton* selector() const;
    void showRules(int select);
    void showChosenProfile();
    void addRule();
    void removeRule();
    void pickOpen(bool andAdd);
    void onSwitch();
    void openProfileMenu();
    void onProfileChoice(LPARAM lParam);
    void onProfileMenuClosed();
    void changed();
    void scroll(int listId, int barId, WPARAM part, LPARAM code);

    AppRulesPort* port_;
    std::vector<OpenApplication> open_;
    std::vector<int> offered_;
    int chosenSlot_ = 0;
    rules::ClosingClick closingClick_;
};

} // namespace quorvik::ui
