// What the macro manager's small dialogs share: 319 × 102 units on the neutral frame, a title
// line, OK and Cancel. Each dialog adds its body (an edit field, a prompt, a captured key) and
// decides in OnOK whether what was entered may close it.
#pragma once

#include "ui/skin/Displays.h"
#include "ui/skin/DlgBase.h"

namespace quorvik::ui {

// A label in the semi-bold weight of titles and headings.
class CHeadingText : public CStaticText {
public:
    CHeadingText(WindowHandle parent, int id, const Rect& rect, std::u16string text, const QColor& colour,
                 int cellHeight = 0, Qt::Alignment align = Qt::AlignLeft);
};

class CMacroSmallDlg : public CDlgBase {
public:
    static constexpr int kWidthUnits = 319;
    static constexpr int kHeightUnits = 102;

    CMacroSmallDlg(int templateId, WindowHandle parent, int titleText);

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    virtual void CreateBody() = 0;
    // Escape typed on the keyboard presses Cancel (the message alone still does nothing).
    int CancelControlId() const override;

    // A grey label, and the single edit field the value dialogs have.
    void AddPrompt(int text, const Rect& rect, Qt::Alignment align);
    QLineEdit* AddValueEdit(int id, const Rect& rect, const std::u16string& text);
    // The attention dialog over this one with language text `text`.
    void Attention(int text);

private:
    int titleText_;
};

} // namespace quorvik::ui
