// The base of every skinned dialog: a frameless window that draws its own background from a skin
// bitmap, keeps its controls in seven ordered lists, forwards the mouse to them, and moves when
// dragged by its free area.
//
// A dialog sets width_ and height_ (units × scale, see Scaled) in its constructor, picks its frame
// in OnInitDialog before calling the base, creates its controls in CreateControls with
// AddControl(list, std::make_unique<...>(hwnd(), id, ...)), and handles its controls' messages in
// handleMessage, passing everything else to CDlgBase::handleMessage. DoModal runs it in a nested
// loop of the UI loop; Create plus window()->showCommand shows it modeless; EndDialog ends both.
#pragma once

#include "platform/qt/NativeWindow.h"
#include "ui/skin/ControlBase.h"

#include <QLineEdit>
#include <QPointer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace quorvik::ui {

class CWndPopup;
class CDlgBase;

inline constexpr int kControlLists = 7;
inline constexpr int kPopupSlots = 11;

// The close button every secondary dialog has: Escape presses it.
inline constexpr int kDialogCloseId = 2004;
// A value moved by keys or the wheel is released (code 2) once input pauses this long.
inline constexpr std::uint32_t kStepPauseMs = 200;

// Told what assistive technology follows: where the keyboard focus went, and that a dialog's
// controls may have changed (after input and after each paint).
class DialogObserver {
public:
    virtual ~DialogObserver() = default;
    virtual void FocusMoved(CDlgBase& dialog, CControlBase* control) = 0;
    virtual void ControlsChanged(CDlgBase& dialog) = 0;
};
void SetDialogObserver(DialogObserver* observer);
DialogObserver* GetDialogObserver();

// One stop of a dialog's focus order: a skinned control or an edit field.
struct FocusStop {
    CControlBase* control = nullptr;
    int editId = -1;
    Rect rect;
};

class CDlgBase : public platform::MessageHandler, public platform::KeyNavigation {
public:
    CDlgBase(int templateId, WindowHandle parent);
    ~CDlgBase() override;
    CDlgBase(const CDlgBase&) = delete;
    CDlgBase& operator=(const CDlgBase&) = delete;

    // Creates the window and initialises it (modeless); false when it already exists.
    bool Create();
    // Creates, shows and runs the dialog in a nested loop until it ends; returns the result
    // (IDCANCEL when the program quits meanwhile).
    int DoModal();
    // Ends the dialog with `result`: a modal loop returns it, a modeless dialog is destroyed.
    void EndDialog(int result);
    void DestroyWindow();
    int Result() const { return result_; }
    bool IsOpen() const { return window_ != nullptr && handle_ != 0; }

    // Tests act on the next dialog that opens (its controls exist and it is shown) with `hook`,
    // which runs once before the dialog's loop starts.
    static void OnNextDialogShown(std::function<void(CDlgBase&)> hook);

    WindowHandle hwnd() const { return handle_; }
    platform::NativeWindow* window() const { return window_; }
    int templateId() const { return templateId_; }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // The first control with this id in lists 1 … 7, or null.
    CControlBase* FindControl(int id) const;
    template <class T> T* FindControlAs(int id) const { return dynamic_cast<T*>(FindControl(id)); }
    // Takes ownership; `list` is 1 … 7. Returns the control.
    template <class T> T* AddControl(int list, std::unique_ptr<T> control) {
        T* raw = control.get();
        addControl(list, std::move(control));
        return raw;
    }
    const std::vector<std::unique_ptr<CControlBase>>& ControlList(int list) const;
    // Releases the images of every control (dialogs do it before they close).
    void ReleaseImages();

    // Single-line edit fields: child windows of the dialog (standard edit controls, not skinned).
    // Every change of the text, typed or set, reaches the dialog as WM_COMMAND with wParam
    // (EN_CHANGE << 16) | id. Enter and Escape typed in a field reach the dialog as keys.
    QLineEdit* AddEdit(int id, const Rect& rect, const std::u16string& text, Qt::Alignment align = Qt::AlignHCenter);
    QLineEdit* Edit(int id) const;
    std::u16string GetEditText(int id) const;
    void SetEditText(int id, const std::u16string& text);

    // Popup slots 0 … 10.
    void SetPopup(int slot, WindowHandle popup);
    WindowHandle Popup(int slot) const;
    void ClosePopup(int slot);

    // The frame: a file under skins/ or a built-in picture. The background colour becomes the
    // mean colour of the frame's pixels.
    bool SetFrameBitmap(const std::string& path);
    bool SetFrameResource(int resourceId);
    void SetFrameBitmap(const QImage& image);
    const QColor& BackgroundColour() const { return background_; }
    QSize FrameSize() const { return QSize(frameWidth_, frameHeight_); }

    // Window size in pixels (derived dialogs set units × scale before creation).
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rect ClientRect() const { return Rect{0, 0, width_, height_}; }
    const QFont& DialogFont() const { return dialogFont_; }

    CControlBase* HotControl() const { return hot_; }
    // Where the pointer was last seen over the client area; (-1, -1) once it left.
    QPoint LastPointer() const { return QPoint(lastX_, lastY_); }
    CControlBase* PressedControl() const { return pressed_; }

    // Invalidate the control's rectangle, or the whole window.
    void InvalidateControl(const CControlBase* control);
    void InvalidateAll();

    // ---- keyboard focus ----
    // Tab and Shift+Tab walk the focus order; the focused control takes Space, Enter, the
    // arrows, PageUp / PageDown, Home and End; Escape presses the dialog's close button. Nothing
    // here while a key capture runs: then every key is the capture's.
    bool NavigateKey(unsigned vk, unsigned modifiers) override;
    // The stops Tab visits now, in reading order.
    std::vector<FocusStop> FocusOrder() const;
    // The control with the keyboard focus; null when an edit field or nothing has it.
    CControlBase* FocusedControl() const;
    int FocusedEditId() const;
    void SetFocusTo(CControlBase* control);
    void SetFocusToEdit(int id);
    // The focus mark shows once the keyboard has been used, until the next mouse press.
    bool FocusMarkShown() const { return focusVisible_; }
    // Where the mark is drawn around a control, and its colour.
    static QRect FocusMarkRect(const Rect& control);
    static QColor FocusMarkColour();
    // What assistive technology asks of a control, done as the keys do it: a press, a step of
    // its value (released after the pause like a key's). False when the control took nothing.
    bool PerformPress(CControlBase* control);
    // The press, made once the loop gets to it: what it opens (a modal dialog) runs outside the
    // caller, which a screen reader's request must not wait on.
    void PostPress(CControlBase* control);
    bool PerformStep(CControlBase* control, int delta);
    // Every described control (a role other than none) that shows, in reading order.
    std::vector<CControlBase*> ReadingOrder() const;
    // A value moved by a key or a wheel notch waits for its release; this sends it now.
    void FinishStep();
    CControlBase* SteppingControl() const { return stepping_; }

protected:
    // Each dialog draws its frame here; the base fills the background colour, stretches the frame
    // over the window and draws the controls.
    virtual void DrawBackground(QPainter& p, const Rect& client);
    // The frame stretched over the whole window.
    void DrawFrame(QPainter& p) const;
    // The background colour behind the frame, where the frame lets it show: an opaque frame,
    // stretched over a window no larger than the dialog's size, covers it (nothing is filled only
    // to be painted over).
    void FillBehindFrame(QPainter& p, const Rect& client) const;
    bool FrameCoversWindow() const;
    // Reads the frame's pixels once, so that the first paint finds them in the processor's
    // caches instead of memory (for a window that is shown after a wait).
    void TouchFrame() const;
    virtual void DrawControls(QPainter& p, const Rect& clip);
    // Each dialog creates its controls here.
    virtual void CreateControls(const Rect& client);
    virtual bool OnInitDialog();
    // Enter and the close message; the base ends the dialog with IDOK / IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();
    // Whether the dialog keeps an entry in the open-window table (not the main window, the
    // on-screen display or the progress dialog).
    virtual bool ListsInOpenWindows() const { return true; }
    // Whether a paint of the minimised window draws it whole: for a window about to be shown,
    // whose picture is then ready when it opens.
    virtual bool DrawsWhileMinimised() const { return false; }
    virtual platform::WindowKind Kind() const { return platform::WindowKind::Dialog; }
    // Which block of the window a stop belongs to; Tab visits block 0 first, each block top to
    // bottom and left to right. The base puts the title strip (its close button) last.
    virtual int FocusBand(const Rect& rect) const;
    // The control Escape presses; 0 for none (the key then reaches the dialog as WM_KEYDOWN).
    virtual int CancelControlId() const { return kDialogCloseId; }
    // How DoModal shows the dialog: modal to the whole program. A main window whose loop is the
    // program's loop shows itself and blocks nothing.
    virtual void ShowForModal();

    void OnPaint();
    void OnMouseMove(unsigned keys, int x, int y);
    void OnLButtonDown(unsigned keys, int x, int y);
    void OnLButtonUp(unsigned keys, int x, int y);
    void OnRButtonUp(unsigned keys, int x, int y);
    void OnLButtonDblClk(unsigned keys, int x, int y);
    void OnMouseLeave();
    void OnMouseHover(int x, int y);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    // Draws the focus mark over the controls when it shows.
    void DrawFocusMark(QPainter& p) const;

    int width_;
    int height_;
    QColor background_{0xBA, 0xE2, 0xEF};
    QFont dialogFont_;

private:
    void takeFrame(const SkinImage& image);
    void addControl(int list, std::unique_ptr<CControlBase> control);
    void hitTest(int x, int y);
    void centreOnOwner();
    template <class F> void forEachControl(F&& f) const {
        for (const auto& list : lists_)
            for (const auto& control : list)
                f(control.get());
    }
    static bool RedrawsWholeWindow(int id);
    bool keysCaptured() const;
    std::vector<FocusStop> sortedStops(bool focusOnly) const;
    bool moveFocus(bool forward);
    bool moveInGroup(CControlBase& from, bool forward);
    void armStep(CControlBase* control);
    WindowHandle inputHandle();
    void announceFocus();
    void announceChanges();
    bool owns(const CControlBase* control) const;

    int templateId_;
    WindowHandle parent_;
    WindowHandle handle_ = 0;
    QPointer<platform::NativeWindow> window_;
    SkinImage frame_;
    int frameWidth_ = 100;
    int frameHeight_ = 100;
    std::array<std::vector<std::unique_ptr<CControlBase>>, kControlLists> lists_;
    std::map<int, QPointer<QLineEdit>> edits_;
    CControlBase* hot_ = nullptr;
    CControlBase* pressed_ = nullptr;
    bool tracking_ = false;
    bool buttonDown_ = false;
    int lastX_ = -1;
    int lastY_ = -1;
    std::array<WindowHandle, kPopupSlots> popups_{};
    CControlBase* focus_ = nullptr;
    bool focusVisible_ = false;
    CControlBase* stepping_ = nullptr;
    // The step's release timer runs on a handle of its own, clear of the dialogs' timer ids.
    std::unique_ptr<platform::MessageHandler> stepTimer_;
    WindowHandle stepTimerHandle_ = 0;
    bool modal_ = false;
    bool ended_ = false;
    int result_ = 0;
};

} // namespace quorvik::ui
