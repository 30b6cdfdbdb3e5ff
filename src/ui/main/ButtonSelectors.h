// The seven button selectors on the buttons panel (and the two hidden ones), each showing the
// name of its button's function, with everything a choice goes through: the button-function
// menu and its submenus, the fire-key, shortcut and macro dialogs, and the left-button guard.
// A stored choice is downloaded 20 ms later; a choice that would leave the mouse without a left
// button gives the button its left button back and warns (timer 20, text 151).
#pragma once

#include "ui/main/Page.h"
#include "ui/rules/ButtonAssignment.h"
#include "ui/rules/ClosingClick.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <optional>

namespace quorvik::ui {

class CComboButton;
class CComboPopup;
struct SubMenuInfo;

class CButtonSelectors : public CPage {
public:
    explicit CButtonSelectors(PageHost& host) : CPage(host) {}

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    bool OnTimer(unsigned id) override;

    CComboButton* Selector(int index) const { return selectors_[std::size_t(index)]; }
    // Button 0 … 6 of a selector id (2013 … 2019); none for the others, whose choices are not stored.
    static std::optional<int> ButtonOfSelector(int selectorId);
    // The selector whose menu is up, or 0.
    int OpenSelector() const { return openSelector_; }
    // The number (1 … 9) of the mouse picture shown.
    int MousePicture() const { return picture_; }

private:
    CComboButton* selectorById(int id) const;
    void onSelector(int id, LPARAM code);
    void onMenuLostActivation(int id);
    void onMenuChoice(int id, LPARAM choice);
    void onSubMenuMessage(const SubMenuInfo& info, unsigned message, WPARAM wParam, LPARAM lParam);
    void onDialogRequested(int id, unsigned openMessage);
    void runDialog(unsigned openMessage, int id);
    void onDialogResult(const rules::ButtonChoice& choice);

    void openMenu(int id);
    bool menuOpen() const;
    bool anyPopupOpen() const;
    void closeSubMenus();
    // Closes the menu and its submenus and takes the open mark off the selector.
    void closeMenus();
    void bringPopupsForward();
    void showPicture(int selectorId);
    static std::string pictureFile(int n);
    // Stores the choice for the selector, runs the guard, and downloads or warns.
    void apply(int selectorId, const rules::ButtonChoice& choice);

    std::array<CComboButton*, 9> selectors_{};
    CComboPopup* menu_ = nullptr; // valid while menuHandle_ is the window in the control slot
    WindowHandle menuHandle_ = 0;
    int openSelector_ = 0;
    int hovered_ = 0; // the selector under the pointer, or 0
    // The selector a dialog opened from the menu stores its result for.
    int dialogSelector_ = 0;
    // The menu lost the activation to a press on its own selector: that press's click only folds it.
    rules::ClosingClick closingClick_;
    std::array<QImage, 9> pictures_;
    int picture_ = 1;
};

} // namespace quorvik::ui
