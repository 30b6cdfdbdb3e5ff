// A group of controls on the main window with its own handlers: a settings page of the column,
// or one of the areas outside it (button selectors, power controls, profile area).
#pragma once

#include "platform/EventLoop.h"
#include "ui/main/PageHost.h"
#include "ui/skin/ControlBase.h"

#include <memory>
#include <vector>

namespace quorvik::ui {

// What one control showed at the page's last refresh. A file may hold a value the control can
// only approximate (an odd debounce time, a speed beyond a slider's end); collecting the page's
// values, which other pages' edits run, must not put the approximation in its place. So the
// control's value is written back only once the user has moved the control away from what the
// refresh showed (it stays moved until the next refresh, even when dragged back), or when the
// stored value is one the control shows exactly.
class ShownValue {
public:
    void Shown(int value) {
        shown_ = value;
        moved_ = false;
    }
    // Whether the control, now at `current`, has been moved since the refresh.
    bool Moved(int current) {
        moved_ = moved_ || current != shown_;
        return moved_;
    }
    // Whether collecting writes `current` over a stored value that the control shows `exactly`.
    bool Writes(int current, bool exactly) { return Moved(current) || exactly; }

private:
    int shown_ = 0;
    bool moved_ = false;
};

class CPage {
public:
    explicit CPage(PageHost& host) : host_(host) {}
    virtual ~CPage() = default;
    CPage(const CPage&) = delete;
    CPage& operator=(const CPage&) = delete;

    // Creates the page's controls on the host's window.
    virtual void CreateControls() = 0;
    // Shows `record` in every control of the page.
    virtual void Refresh(const model::ProfileRecord& record) = 0;
    // Writes what the page's controls hold into `record`.
    virtual void Collect(model::ProfileRecord& record) { (void)record; }
    // A message of one of the page's controls (the window routes by id); false when not the page's.
    virtual bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) = 0;
    // A window timer the page owns; false when not the page's.
    virtual bool OnTimer(unsigned id) {
        (void)id;
        return false;
    }
    // The mouse reported another sensor: new step count and lift-off class flag.
    virtual void OnSensorChanged(const device::SensorTables& tables) { (void)tables; }

protected:
    template <class T> T* Add(int list, std::unique_ptr<T> control) {
        return host_.Window().AddControl(list, std::move(control));
    }
    WindowHandle hwnd() const { return host_.Window().hwnd(); }

    PageHost& host_;
};

// A page of the settings column: a header check that opens and closes it, and content below the
// header that moves with it. Content controls are added at rectangles relative to the content's
// top-left corner; Place puts them where the column says.
class CColumnPage : public CPage {
public:
    CColumnPage(PageHost& host, int headerId, int headerText, int contentHeightUnits);

    int HeaderId() const { return headerId_; }
    int HeaderText() const { return headerText_; }
    // Height of the content in units (without the header).
    virtual int ContentHeightUnits() const { return contentHeight_; }
    bool IsOpen() const { return open_; }
    // The content's rectangle in client pixels while open (the panel drawn behind it).
    const Rect& ContentRect() const { return content_; }

    // Content origin at (left, top) in client pixels; the content shows only while `open`.
    void Place(int left, int top, int width, bool open);

    void CreateControls() override {}
    void Refresh(const model::ProfileRecord&) override {}
    bool HandleMessage(unsigned, WPARAM, LPARAM) override { return false; }

protected:
    // Adds a content control; its rectangle is taken as relative to the content's origin.
    template <class T> T* AddContent(int list, std::unique_ptr<T> control) {
        T* raw = Add(list, std::move(control));
        track(raw);
        return raw;
    }
    // Shows or hides a content control within the page (it still hides with the page).
    void SetContentVisible(CControlBase* control, bool visible);
    // Moves a content control to `relative` (from the content's origin, like AddContent's).
    void MoveContent(CControlBase* control, const Rect& relative);

private:
    struct Member {
        CControlBase* control;
        Rect relative;
        bool visible = true;
    };
    void track(CControlBase* control);
    void apply(Member& member) const;

    int headerId_;
    int headerText_;
    int contentHeight_;
    bool open_ = false;
    Rect content_;
    std::vector<Member> members_;
};

} // namespace quorvik::ui
