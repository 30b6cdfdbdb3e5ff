// A top-level frameless window backed by a QWidget that speaks window messages.
//
// It registers itself with the UI loop and forwards what Qt reports to its owner's handler as the
// messages the skinned windows expect: WM_PAINT (with `painter()` valid during the call), mouse
// buttons, double-clicks, moves, WM_MOUSELEAVE / WM_MOUSEHOVER while tracking is on, WM_ACTIVATE
// and WM_KILLFOCUS on losing activation, WM_SHOWWINDOW when it is shown (or back from
// minimised), WM_CLOSE, WM_KEYDOWN (lParam the KEY_ modifiers), WM_MOUSEWHEEL and WM_DESTROY. Messages sent or
// posted to its handle (timers included) reach the owner the same way.
#pragma once

#include "platform/EventLoop.h"

#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <functional>

namespace quorvik::platform {

// An owner that moves the keyboard focus among controls of its own: it sees each key before the
// key becomes WM_KEYDOWN (Tab and Shift+Tab included, which Qt would otherwise keep), as a
// dialog's navigation comes before its window's keys. True when it used the key.
class KeyNavigation {
public:
    virtual ~KeyNavigation() = default;
    // `modifiers`: KEY_SHIFT, KEY_CONTROL, KEY_ALT.
    virtual bool NavigateKey(unsigned vk, unsigned modifiers) = 0;
};

enum class WindowKind {
    Dialog, // a frameless top-level window
    Popup,  // a frameless topmost tool window (menus, drop-down lists)
    // A frameless topmost tool window that never takes the keyboard focus or the pointer and is
    // shown without activation (the on-screen display over a game).
    Overlay,
};

class NativeWindow : public QWidget, public MessageHandler {
    Q_OBJECT
public:
    // `owner` receives the messages; `ownerWindow` (may be 0) is the window this one belongs to.
    NativeWindow(MessageHandler* owner, WindowKind kind, WindowHandle ownerWindow = 0);
    ~NativeWindow() override;

    WindowHandle handle() const { return handle_; }
    static NativeWindow* fromHandle(WindowHandle handle);
    // The object that receives the window's messages (a dialog, a popup).
    MessageHandler* owner() const { return owner_; }

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // Valid only while the owner handles WM_PAINT.
    QPainter* painter() const { return painter_; }
    // While the owner handles WM_PAINT: `draw` paints the whole window, filled with `fill` first
    // (unless `fill` is invalid: what `draw` paints covers every pixel), into Qt's backing store, which goes on the
    // screen in one transfer after the paint, so that no half-drawn frame shows.
    void paintBuffered(const QColor& fill, const std::function<void(QPainter&)>& draw);

    void invalidate() { invalidate(rect()); }
    void invalidate(const QRect& area);
    // Paints pending invalidations now (UpdateWindow).
    void updateNow();

    void setCapture();
    void releaseCapture();
    bool hasCapture() const { return captured_; }

    // Leave tracking plus, when `hoverMs` > 0, one WM_MOUSEHOVER after the pointer rests that long.
    void trackMouse(unsigned hoverMs);
    bool isTracking() const { return tracking_; }

    // SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWNOACTIVATE, SW_SHOW, SW_MINIMIZE, SW_RESTORE.
    // An overlay is shown without activation whatever the command.
    void showCommand(int command);
    WindowKind kind() const { return kind_; }
    void setTopmost(bool topmost);
    void setPosition(int x, int y, int width, int height);
    void setOpacity(double opacity) { setWindowOpacity(opacity); }
    void setRegion(const QRegion& region);
    void setTitle(const QString& title) { setWindowTitle(title); }

    // Sends WM_DESTROY to the owner, leaves the loop and deletes the widget once Qt is done with
    // the event it may be inside of. The owner hears nothing more after this.
    void destroyWindow();

    // For a window about to be shown that has not painted yet: its backing store made as large
    // as the window and its pages present now, while there is time, rather than in the first
    // paint. Where the display paints a window only once it is on the screen.
    void prepareBackingStore();

    // Counters for tests: invalidation requests and paints done.
    int invalidationCount() const { return invalidations_; }
    int paintCount() const { return paints_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    static constexpr unsigned kHoverTimerId = 0xFFFF0001u;

    LRESULT forward(unsigned message, WPARAM wParam, LPARAM lParam);
    WPARAM keyState(const QMouseEvent* event) const;
    LPARAM pointOf(const QMouseEvent* event) const;
    // Tab and Shift+Tab: to a navigating owner, or Qt's own chain of child widgets.
    bool navigate(unsigned vk, unsigned modifiers);
    void beginCaptionDrag(LPARAM screenPoint);
    // The pointer moved while a move is pending: starts it past the threshold. True once started.
    bool startPendingMove(const QMouseEvent* event);
    void raiseAndActivate();

    MessageHandler* owner_;
    WindowKind kind_;
    // The loop the window registered with; it must outlive the window.
    EventLoop& loop_;
    WindowHandle handle_ = 0;
    QPainter* painter_ = nullptr;
    bool captured_ = false;
    bool tracking_ = false;
    unsigned hoverMs_ = 0;
    QPoint lastPoint_{-1, -1};
    bool leftDown_ = false;
    // A press on the free area asked for a move; it starts once the pointer has gone a few
    // pixels with the button held, so a click never hands the window to the window manager.
    bool movePending_ = false;
    bool dragging_ = false;
    QPoint dragAnchor_;
    QPoint dragOrigin_;
    int wheelRest_ = 0; // what a fine-grained wheel turned short of a notch
    int invalidations_ = 0;
    int paints_ = 0;
    const void* prefaulted_ = nullptr; // the backing store's pixels last made present
};

// The window a handle names, or null (closed, destroyed, or never a native window).
NativeWindow* WindowFromHandle(WindowHandle handle);

} // namespace quorvik::platform
