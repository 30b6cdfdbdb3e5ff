// A dialog with one of each skinned control, for people to look at and click, and for the test
// that renders it.
#pragma once

#include "model/MacroRecord.h"
#include "ui/skin/DlgBase.h"
#include "ui/skin/WndPopup.h"

namespace quorvik::gallery {

// The drop-down of the gallery's selectors: rows drawn from the menu pictures.
class GalleryPopup : public ui::CWndPopup {
protected:
    void BuildItems() override;
};

class GalleryDlg : public ui::CDlgBase {
public:
    static constexpr int kWidthUnits = 900;
    static constexpr int kHeightUnits = 590;
    static constexpr unsigned kSelectorMessage = 0x404;
    static constexpr unsigned kInsertMessage = 0x48E;
    static constexpr unsigned kChoiceMessage = 0x403;

    explicit GalleryDlg(ui::WindowHandle parent = 0);

    // Opens the drop-down of selector `controlId` below it; returns the popup.
    ui::CWndPopup* OpenSelector(int controlId);
    // Shows the message box with a sample text (modal unless `modeless`).
    ui::CDlgBase* ShowMessage(bool modeless);

    ui::LRESULT handleMessage(unsigned message, ui::WPARAM wParam, ui::LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const ui::Rect& client) override;
    void DrawBackground(QPainter& p, const ui::Rect& client) override;

private:
    void scroll(int scrollBarId, ui::WPARAM part);
    // The list beside a scroll bar starts at the bar's position.
    void followThumb(int scrollBarId);
    void syncScrollBars();

    std::unique_ptr<ui::CDlgBase> modelessMessage_;
    ui::SkinImage panel_;
};

// Fills the program-wide macro library with a small sample tree and returns the macro to show.
const model::MacroRecord* FillSampleLibrary();

} // namespace quorvik::gallery
