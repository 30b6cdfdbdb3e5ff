#include "platform/qt/NativeWindow.h"

#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/TouchMemory.h"
#include "platform/qt/KeyMapping.h"
#include "platform/qt/UiLoop.h"

#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>

namespace quorvik::platform {

namespace {
// How far the pointer goes with the button held on the free area before the window moves, in
// pixels at display factor 1.
constexpr int kMoveThresholdPx = 4;

std::map<WindowHandle, NativeWindow*>& windowTable() {
    static std::map<WindowHandle, NativeWindow*> table;
    return table;
}

Qt::WindowFlags flagsFor(WindowKind kind) {
    Qt::WindowFlags flags = Qt::FramelessWindowHint;
    if (kind == WindowKind::Popup)
        flags |= Qt::Tool | Qt::WindowStaysOnTopHint;
    else if (kind == WindowKind::Overlay)
        flags |= Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;
    else
        flags |= Qt::Window;
    return flags;
}
} // namespace

NativeWindow::NativeWindow(MessageHandler* owner, WindowKind kind, WindowHandle ownerWindow)
    : QWidget(WindowFromHandle(ownerWindow), flagsFor(kind)), owner_(owner), kind_(kind), loop_(UiLoop()) {
    handle_ = loop_.registerWindow(this);
    windowTable()[handle_] = this;
    if (kind == WindowKind::Overlay) {
        // Whatever the user is doing underneath keeps the keyboard and the pointer.
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    } else {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }
    // We paint every pixel ourselves, double-buffered by Qt's backing store.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

NativeWindow::~NativeWindow() {
    if (!handle_)
        return;
    // Deleted without destroyWindow (its owner window went first and Qt took its children along):
    // the owner still hears WM_DESTROY, so it can let go of the window.
    MessageHandler* owner = owner_;
    owner_ = nullptr;
    windowTable().erase(handle_);
    loop_.unregisterWindow(handle_);
    handle_ = 0;
    if (owner)
        owner->handleMessage(WM_DESTROY, 0, 0);
}

NativeWindow* NativeWindow::fromHandle(WindowHandle handle) {
    auto it = windowTable().find(handle);
    return it == windowTable().end() ? nullptr : it->second;
}

NativeWindow* WindowFromHandle(WindowHandle handle) {
    return NativeWindow::fromHandle(handle);
}

LRESULT NativeWindow::forward(unsigned message, WPARAM wParam, LPARAM lParam) {
    return owner_ ? owner_->handleMessage(message, wParam, lParam) : 0;
}

LRESULT NativeWindow::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kHoverTimerId) {
        loop_.killTimer(handle_, kHoverTimerId);
        if (tracking_ && hoverMs_ > 0) {
            hoverMs_ = 0; // hover reports once per tracking request: the controls ask again
            return forward(WM_MOUSEHOVER, 0, MakePointParam(lastPoint_.x(), lastPoint_.y()));
        }
        return 0;
    }
    if (message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
        beginCaptionDrag(lParam);
        return 0;
    }
    return forward(message, wParam, lParam);
}

void NativeWindow::invalidate(const QRect& area) {
    ++invalidations_;
    update(area);
}

void NativeWindow::updateNow() {
    repaint();
}

void NativeWindow::setCapture() {
    // Qt keeps delivering the mouse to the pressed window until the button comes up, which is
    // all the skinned windows capture for; the flag only answers the owner's question.
    captured_ = true;
}

void NativeWindow::releaseCapture() {
    captured_ = false;
}

void NativeWindow::trackMouse(unsigned hoverMs) {
    tracking_ = true;
    hoverMs_ = hoverMs;
    if (hoverMs_ > 0)
        loop_.setTimer(handle_, kHoverTimerId, hoverMs_);
}

void NativeWindow::showCommand(int command) {
    if (kind_ == WindowKind::Overlay && command != SW_HIDE) {
        show(); // shown without activating, by its attribute
        return;
    }
    switch (command) {
    case SW_HIDE:
        hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        showMinimized();
        break;
    case SW_SHOWNOACTIVATE:
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        if (isMinimized())
            showNormal();
        else
            show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        showNormal();
        raiseAndActivate();
        break;
    default:
        // A minimised window stays minimised, as the program expects: activating it would make an
        // X11 window manager restore it to the screen.
        if (isMinimized()) {
            show();
            break;
        }
        if (!isVisible()) {
            // Shown for the first time: activated once the caller is done, unless it minimised or
            // hid the window meanwhile (the main window's start in the tray does so at once).
            show();
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (isVisible() && !isMinimized())
                        raiseAndActivate();
                },
                Qt::QueuedConnection);
            break;
        }
        show();
        raiseAndActivate();
        break;
    }
}

void NativeWindow::raiseAndActivate() {
    // The offscreen platform has no stacking order and complains when asked for one.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    activateWindow();
}

void NativeWindow::setTopmost(bool topmost) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost); // hides the window: show it again
    if (wasVisible)
        show();
}

void NativeWindow::setPosition(int x, int y, int width, int height) {
    setGeometry(x, y, width, height);
    setFixedSize(width, height);
}

void NativeWindow::setRegion(const QRegion& region) {
    if (region.isEmpty())
        clearMask();
    else
        setMask(region);
}

void NativeWindow::destroyWindow() {
    if (!handle_)
        return;
    forward(WM_DESTROY, 0, 0);
    owner_ = nullptr;
    tracking_ = false;
    windowTable().erase(handle_);
    loop_.unregisterWindow(handle_);
    handle_ = 0;
    hide();
    deleteLater();
}

namespace {
// The first paint writes every pixel of a backing store that no one has touched yet: its pages
// are made present in one call rather than one fault at a time, in large pages where the system
// has them for the asking. Returns the pixels it looked at (`done` again when those were made
// present before), null when there were none.
const void* prefaultBackingStore(QWidget& widget, const void* done) {
    QBackingStore* store = widget.backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    const auto* image = static_cast<const QImage*>(device);
    if (image->constBits() == done)
        return done;
    const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto begin = (std::uintptr_t(image->constBits()) + page - 1) & ~(page - 1);
    const auto end = (std::uintptr_t(image->constBits()) + std::uintptr_t(image->sizeInBytes())) & ~(page - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // a hint; refused is fine
    if (end <= begin || ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE) != 0)
        return image->constBits();
    // Under a hypervisor that shadows the page tables, the first touch of each page still leaves
    // the guest, some microseconds a page: one read a page pays that here, ahead of the first
    // paint for a window that waits for the mouse before it opens, and not in the blit of that
    // paint.
    ReadOnce(reinterpret_cast<const void*>(begin), end - begin, page);
    return image->constBits();
}

void setDrawingHints(QPainter& p) {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
}
} // namespace

void NativeWindow::paintEvent(QPaintEvent*) {
    if (paints_ == 0)
        prefaulted_ = prefaultBackingStore(*this, prefaulted_);
    QPainter p(this);
    setDrawingHints(p);
    painter_ = &p;
    ++paints_;
    forward(WM_PAINT, 0, 0);
    painter_ = nullptr;
}

void NativeWindow::prepareBackingStore() {
    QBackingStore* store = paints_ == 0 ? backingStore() : nullptr;
    if (!store)
        return;
    // The size Qt gives it at the first paint: it finds it done and keeps the pixels.
    if (store->size() != size())
        store->resize(size());
    prefaulted_ = prefaultBackingStore(*this, prefaulted_);
}

void NativeWindow::paintBuffered(const QColor& fill, const std::function<void(QPainter&)>& draw) {
    if (!painter_)
        return;
    // The painter draws into Qt's backing store, an off-screen picture of the window that goes on
    // the screen in one transfer once the paint is over; a second window-sized picture of our own
    // would only cost its memory and a copy per paint. Saved and restored, so that what `draw`
    // leaves set (a clip, a pen) does not reach the rest of this paint.
    painter_->save();
    if (fill.isValid())
        painter_->fillRect(rect(), fill);
    draw(*painter_);
    painter_->restore();
}

WPARAM NativeWindow::keyState(const QMouseEvent* event) const {
    WPARAM keys = 0;
    if (event->buttons() & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (event->modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

LPARAM NativeWindow::pointOf(const QMouseEvent* event) const {
    QPoint p = event->position().toPoint();
    return MakePointParam(p.x(), p.y());
}

void NativeWindow::beginCaptionDrag(LPARAM screenPoint) {
    // The request is posted: a quick click may be over by the time it arrives.
    if (!leftDown_)
        return;
    // Nothing moves yet. Handed to the window manager at the press, a click whose release the
    // window manager no longer sees (it came before the move began) leaves the window stuck to
    // the pointer; the first moves with the button held start it instead.
    movePending_ = true;
    dragAnchor_ = QPoint(PointX(screenPoint), PointY(screenPoint));
}

bool NativeWindow::startPendingMove(const QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        movePending_ = false;
        return false;
    }
    const QPoint at = event->globalPosition().toPoint();
    const int threshold = std::max(1, int(kMoveThresholdPx * DisplayScaleFactor()));
    if ((at - dragAnchor_).manhattanLength() < threshold)
        return false;
    movePending_ = false;
    // The window manager moves the window where it can (Wayland allows nothing else); elsewhere,
    // and offscreen, we follow the pointer ourselves until the button comes up, the pressed point
    // staying under it.
    if (windowHandle() && windowHandle()->startSystemMove())
        return true;
    dragging_ = true;
    dragOrigin_ = pos();
    move(dragOrigin_ + (at - dragAnchor_));
    return true;
}

void NativeWindow::mousePressEvent(QMouseEvent* event) {
    lastPoint_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        leftDown_ = true;
        forward(WM_LBUTTONDOWN, keyState(event), pointOf(event));
    } else if (event->button() == Qt::RightButton) {
        forward(WM_RBUTTONDOWN, keyState(event), pointOf(event));
    }
}

void NativeWindow::mouseReleaseEvent(QMouseEvent* event) {
    lastPoint_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        leftDown_ = false;
        movePending_ = false;
        if (dragging_) {
            dragging_ = false;
            return;
        }
        forward(WM_LBUTTONUP, keyState(event), pointOf(event));
    } else if (event->button() == Qt::RightButton) {
        forward(WM_RBUTTONUP, keyState(event), pointOf(event));
    }
}

void NativeWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    lastPoint_ = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        leftDown_ = true; // the second press of a double-click arrives as this event
        forward(WM_LBUTTONDBLCLK, keyState(event), pointOf(event));
    }
}

void NativeWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        if (event->buttons() & Qt::LeftButton)
            move(dragOrigin_ + (event->globalPosition().toPoint() - dragAnchor_));
        else
            dragging_ = false;
        return;
    }
    if (movePending_ && startPendingMove(event))
        return;
    if (!handle_)
        return; // destroyed, waiting for Qt to delete it: the loop may be gone already
    lastPoint_ = event->position().toPoint();
    if (tracking_ && hoverMs_ > 0)
        loop_.setTimer(handle_, kHoverTimerId, hoverMs_); // the pointer moved: rest starts again
    forward(WM_MOUSEMOVE, keyState(event), pointOf(event));
}

void NativeWindow::leaveEvent(QEvent*) {
    if (!tracking_ || !handle_)
        return;
    tracking_ = false;
    hoverMs_ = 0;
    loop_.killTimer(handle_, kHoverTimerId);
    forward(WM_MOUSELEAVE, 0, 0);
}

void NativeWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && handle_)
        forward(WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
    // Back from minimised (the taskbar, the window manager) is shown again too.
    if (event->type() == QEvent::WindowStateChange && handle_ && isVisible())
        forward(WM_SHOWWINDOW, 1, 0);
}

void NativeWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (handle_)
        forward(WM_SHOWWINDOW, 1, 0);
}

void NativeWindow::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (handle_)
        forward(WM_KILLFOCUS, 0, 0);
}

void NativeWindow::closeEvent(QCloseEvent* event) {
    // The owner decides: a dialog ends itself, the main window hides.
    event->ignore();
    if (handle_)
        forward(WM_CLOSE, 0, 0);
}

namespace {
unsigned modifiersOf(Qt::KeyboardModifiers held) {
    unsigned modifiers = 0;
    if (held & Qt::ShiftModifier)
        modifiers |= KEY_SHIFT;
    if (held & Qt::ControlModifier)
        modifiers |= KEY_CONTROL;
    if (held & Qt::AltModifier)
        modifiers |= KEY_ALT;
    return modifiers;
}
} // namespace

bool NativeWindow::navigate(unsigned vk, unsigned modifiers) {
    auto* navigation = dynamic_cast<KeyNavigation*>(owner_);
    return navigation && handle_ && navigation->NavigateKey(vk, modifiers);
}

void NativeWindow::keyPressEvent(QKeyEvent* event) {
    unsigned vk = VirtualKeyFromEvent(*event);
    const unsigned modifiers = modifiersOf(event->modifiers());
    // A held Space or Enter presses once, as a held mouse button clicks once; its repeats go on
    // as plain key messages, which only a dialog that captures keys acts on.
    const bool repeatedPress = event->isAutoRepeat() && (vk == VK_SPACE || vk == VK_RETURN);
    if (vk != 0 && !repeatedPress && navigate(vk, modifiers))
        return;
    if (vk == 0 || !forward(WM_KEYDOWN, vk, LPARAM(modifiers)))
        QWidget::keyPressEvent(event);
}

bool NativeWindow::focusNextPrevChild(bool next) {
    // Tab reaches here from the window and from its edit fields alike.
    if (navigate(VK_TAB, next ? 0 : KEY_SHIFT))
        return true;
    return QWidget::focusNextPrevChild(next);
}

void NativeWindow::wheelEvent(QWheelEvent* event) {
    if (!handle_ || kind_ == WindowKind::Overlay) {
        event->ignore();
        return;
    }
    // Whole notches only: a touchpad's small steps add up to one before anything moves.
    wheelRest_ += event->angleDelta().y();
    const int notches = wheelRest_ / WHEEL_DELTA;
    if (notches == 0)
        return;
    wheelRest_ -= notches * WHEEL_DELTA;
    WPARAM keys = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    const QPoint p = event->position().toPoint();
    forward(WM_MOUSEWHEEL, MakeWheelParam(notches * WHEEL_DELTA, unsigned(keys)), MakePointParam(p.x(), p.y()));
}

} // namespace quorvik::platform
