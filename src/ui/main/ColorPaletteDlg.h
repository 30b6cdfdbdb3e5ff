// The colour palette: a colour picture to pick from, the red, green and blue values as numbers,
// a preview of the colour, OK and a close button. It edits one colour of a profile record: a
// colour slot of the selected lighting effect, or the indicator colour of a DPI level.
#pragma once

#include "model/ProfileRecord.h"
#include "ui/skin/DlgBase.h"

#include <array>
#include <optional>

namespace quorvik::ui {

class CColorPaletteDlg : public CDlgBase {
public:
    static constexpr int kTemplate = 133;
    static constexpr int kModeLighting = 0; // index = colour slot of the selected effect
    static constexpr int kModeDpiLevel = 1; // index = DPI level; 8 or more edits level 0
    static constexpr int kCloseId = 2004;
    static constexpr int kOkId = 2010;
    static constexpr int kRedField = 2011;
    static constexpr int kGreenField = 2012;
    static constexpr int kBlueField = 2013;
    static constexpr int kWidthUnits = 500;
    static constexpr int kHeightUnits = 291;
    // The built-in colour picture, and the colour of its background between the colour areas.
    static constexpr int kPictureResource = 287;
    static constexpr model::Colour kPictureBackground = model::MakeColour(0x0F, 0x0F, 0x0F);
    // Language text of the refusal of a typed value that is not a number 0 … 255.
    static constexpr int kTextBadValue = 380;

    CColorPaletteDlg(model::ProfileRecord& record, int mode, int index, WindowHandle parent);

    // Runs the dialog. IDOK: the working colour was written into the record. Anything else: the
    // record is untouched (also when the mode and index name no colour, and nothing is shown).
    int DoModal();

    model::Colour WorkingColour() const { return working_; }
    // The two areas of the picture that a press picks from, in client pixels.
    static std::array<Rect, 2> PickAreas();
    // Where the preview of the working colour is drawn, in client pixels.
    static Rect PreviewRect();

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool OnInitDialog() override;
    // Only OK and the close button close the palette, Escape not.
    int CancelControlId() const override { return 0; }
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    // OK and Enter: the working colour goes into the record.
    void OnOK() override;

private:
    model::Colour* target();
    // Takes the picture's colour under a client point; false when the point is not in an area.
    bool pickAt(int x, int y);
    void showWorkingColour();
    void onFieldChanged(int id);
    void onRejectedField(int id);
    int componentOf(int fieldId) const;

    model::ProfileRecord& record_;
    std::optional<int> effect_; // mode lighting: the effect whose slot is edited
    int mode_;
    int index_;
    model::Colour working_ = 0;
    SkinImage picture_; // the dialog's own copy of the frame, read for the colour under the pointer
    bool picking_ = false;
    bool settingFields_ = false;
    std::array<bool, 3> rejectPending_{};
};

} // namespace quorvik::ui
