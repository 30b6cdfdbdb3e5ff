#include "ui/skin/DlgBase.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/TouchMemory.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/AccessibleControls.h"
#include "ui/skin/OpenWindowTable.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace quorvik::ui {

using namespace platform;

namespace {
std::function<void(CDlgBase&)>& nextShownHook() {
    static std::function<void(CDlgBase&)> hook;
    return hook;
}
} // namespace

CDlgBase::CDlgBase(int templateId, WindowHandle parent)
    : width_(2254), height_(1480), templateId_(templateId), parent_(parent) {}

CDlgBase::~CDlgBase() {
    if (window_)
        DestroyWindow();
    if (stepTimerHandle_ && HasUiLoop())
        UiLoop().unregisterWindow(stepTimerHandle_);
}

void CDlgBase::OnNextDialogShown(std::function<void(CDlgBase&)> hook) {
    nextShownHook() = std::move(hook);
}

bool CDlgBase::Create() {
    if (window_)
        return false;
    InstallAccessibility();
    // A dialog object may be shown again: it starts from fresh controls each time.
    for (auto& list : lists_)
        list.clear();
    edits_.clear(); // they went with the old window
    hot_ = pressed_ = nullptr;
    focus_ = stepping_ = nullptr;
    focusVisible_ = false;
    ended_ = false;
    window_ = new NativeWindow(this, Kind(), parent_);
    handle_ = window_->handle();
    OnInitDialog();
    return true;
}

int CDlgBase::DoModal() {
    if (!Create())
        return IDCANCEL;
    modal_ = true;
    ShowForModal();
    if (auto hook = std::exchange(nextShownHook(), {}))
        hook(*this);
    bool finished = UiLoop().runUntil([this] { return ended_ || !window_; });
    modal_ = false;
    if (!finished && !ended_)
        result_ = IDCANCEL;
    DestroyWindow();
    return result_;
}

void CDlgBase::ShowForModal() {
    window_->setWindowModality(Qt::ApplicationModal);
    window_->showCommand(SW_SHOW);
}

void CDlgBase::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    if (!modal_)
        DestroyWindow();
    else if (window_)
        window_->hide();
}

void CDlgBase::DestroyWindow() {
    if (!window_)
        return;
    NativeWindow* window = window_;
    window->destroyWindow(); // sends WM_DESTROY, which clears our state
    window_ = nullptr;
    handle_ = 0;
}

bool CDlgBase::OnInitDialog() {
    window_->setTitle(QStringLiteral("Gaming Mouse"));
    if (!WindowIcon().isNull())
        window_->setWindowIcon(WindowIcon());
    // Ten points at the screen's vertical resolution, weight 600, the language's face.
    double dpi = 96.0;
    if (auto* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchY();
    dialogFont_ = QFont(QString::fromStdU16String(model::FontFace()));
    dialogFont_.setStyleHint(QFont::SansSerif);
    dialogFont_.setWeight(QFont::DemiBold);
    dialogFont_.setPixelSize(std::max(1, int(10 * dpi / 72)));
    window_->setPosition(window_->x(), window_->y(), width_, height_);
    CreateControls(ClientRect());
    // The close button is a picture: a screen reader says what it does.
    if (CControlBase* close = FindControl(kDialogCloseId); close && close->AccessibleName().empty())
        close->SetAccessibleName(model::LanguageText(kTextNameClose));
    centreOnOwner();
    if (ListsInOpenWindows())
        RegisterOpenWindow(handle_);
    return true;
}

void CDlgBase::centreOnOwner() {
    QRect area;
    if (auto* owner = WindowFromHandle(parent_))
        area = owner->geometry();
    else if (auto* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    window_->move(area.center().x() - width_ / 2, area.center().y() - height_ / 2);
}

void CDlgBase::SetSize(int width, int height) {
    width_ = width;
    height_ = height;
    if (window_)
        window_->setPosition(window_->x(), window_->y(), width_, height_);
}

// ---- controls ----

void CDlgBase::addControl(int list, std::unique_ptr<CControlBase> control) {
    int index = std::clamp(list, 1, kControlLists) - 1;
    lists_[std::size_t(index)].push_back(std::move(control));
}

const std::vector<std::unique_ptr<CControlBase>>& CDlgBase::ControlList(int list) const {
    return lists_[std::size_t(std::clamp(list, 1, kControlLists) - 1)];
}

CControlBase* CDlgBase::FindControl(int id) const {
    for (const auto& list : lists_)
        for (const auto& control : list)
            if (control->id() == id)
                return control.get();
    return nullptr;
}

void CDlgBase::ReleaseImages() {
    forEachControl([](CControlBase* c) { c->ReleaseImages(); });
}

void CDlgBase::CreateControls(const Rect&) {}

void CDlgBase::InvalidateControl(const CControlBase* control) {
    if (window_ && control)
        window_->invalidate(control->rect().toQRect());
}

void CDlgBase::InvalidateAll() {
    if (window_)
        window_->invalidate();
}

// ---- edit fields ----

QLineEdit* CDlgBase::AddEdit(int id, const Rect& rect, const std::u16string& text, Qt::Alignment align) {
    if (!window_)
        return nullptr;
    auto* edit = new QLineEdit(QString::fromStdU16String(text), window_);
    edit->setGeometry(rect.toQRect());
    edit->setAlignment(align | Qt::AlignVCenter);
    edit->setFont(ControlFont());
    edit->setFrame(false);
    // Selected text stays white on the accent deep enough for it (4.5 : 1 and more).
    edit->setStyleSheet(QStringLiteral("QLineEdit { background: #1A1C20; color: #FFFFFF; border: 1px solid #3A3F46;"
                                       " selection-background-color: #2479AA; }"
                                       "QLineEdit:focus { border: 1px solid #35A0DE; }"));
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this, id] {
        if (handle_)
            UiLoop().send(handle_, WM_COMMAND, (WPARAM(EN_CHANGE) << 16) | WPARAM(id & 0xFFFF), 0);
    });
    edit->show();
    edits_[id] = edit;
    return edit;
}

QLineEdit* CDlgBase::Edit(int id) const {
    auto it = edits_.find(id);
    return it == edits_.end() ? nullptr : it->second.data();
}

std::u16string CDlgBase::GetEditText(int id) const {
    QLineEdit* edit = Edit(id);
    return edit ? edit->text().toStdU16String() : std::u16string();
}

void CDlgBase::SetEditText(int id, const std::u16string& text) {
    if (QLineEdit* edit = Edit(id))
        edit->setText(QString::fromStdU16String(text));
}

// ---- popups ----

void CDlgBase::SetPopup(int slot, WindowHandle popup) {
    if (slot >= 0 && slot < kPopupSlots)
        popups_[std::size_t(slot)] = popup;
}

WindowHandle CDlgBase::Popup(int slot) const {
    if (slot < 0 || slot >= kPopupSlots)
        return 0;
    WindowHandle h = popups_[std::size_t(slot)];
    return UiLoop().isWindow(h) ? h : 0;
}

void CDlgBase::ClosePopup(int slot) {
    if (slot < 0 || slot >= kPopupSlots)
        return;
    WindowHandle popup = popups_[std::size_t(slot)];
    if (popup && UiLoop().isWindow(popup))
        UiLoop().post(popup, WM_CLOSE, 0, 0);
    if (pressed_ && pressed_ != hot_)
        pressed_->CancelPress(0);
    popups_[std::size_t(slot)] = 0;
}

// ---- frame and painting ----

void CDlgBase::takeFrame(const SkinImage& image) {
    frame_ = image;
    frameWidth_ = image.width();
    frameHeight_ = image.height();
    background_ = MeanColor(image.image());
    InvalidateAll();
}

bool CDlgBase::SetFrameBitmap(const std::string& path) {
    SkinImage image;
    if (!image.load(path))
        return false;
    takeFrame(image);
    return true;
}

bool CDlgBase::SetFrameResource(int resourceId) {
    SkinImage image;
    if (!image.loadBuiltin(resourceId))
        return false;
    takeFrame(image);
    return true;
}

void CDlgBase::SetFrameBitmap(const QImage& image) {
    if (image.isNull())
        return;
    SkinImage frame;
    frame.setImage(image);
    takeFrame(frame);
}

void CDlgBase::DrawFrame(QPainter& p) const {
    frame_.draw(p, QRect(0, 0, width_, height_));
}

bool CDlgBase::FrameCoversWindow() const {
    // The frame is stretched over the dialog's own size: it covers the window unless the window
    // manager made the window larger than that.
    return window_ && !frame_.isNull() && !frame_.image().hasAlphaChannel() && window_->width() <= width_ &&
           window_->height() <= height_;
}

void CDlgBase::TouchFrame() const {
    // Every cache line: the first paint's blit then finds the frame in the processor's caches.
    constexpr std::size_t kCacheLineBytes = 64;
    platform::ReadOnce(frame_.image().constBits(), std::size_t(frame_.image().sizeInBytes()), kCacheLineBytes);
}

void CDlgBase::FillBehindFrame(QPainter& p, const Rect& client) const {
    if (!FrameCoversWindow())
        p.fillRect(client.toQRect(), background_);
}

void CDlgBase::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    DrawControls(p, client);
}

void CDlgBase::DrawControls(QPainter& p, const Rect& clip) {
    forEachControl([&](CControlBase* c) {
        if (c->isLive() && c->rect().intersects(clip))
            c->Draw(p, clip);
    });
    DrawFocusMark(p);
}

void CDlgBase::OnPaint() {
    QPainter* painter = window_ ? window_->painter() : nullptr;
    if (!painter)
        return;
    if (window_->isMinimized() && !DrawsWhileMinimised()) {
        // Nothing is visible; touch one pixel so the paint counts as done.
        painter->fillRect(QRect(10, 10, 1, 1), Qt::white);
        return;
    }
    window_->paintBuffered(FrameCoversWindow() ? QColor() : background_, [this](QPainter& memory) {
        DrawBackground(memory, Rect{0, 0, window_->width(), window_->height()});
    });
    announceChanges();
}

// ---- mouse ----

bool CDlgBase::RedrawsWholeWindow(int id) {
    return id == 2040 || (id >= 2049 && id <= 2053) || (id >= 3001 && id <= 3004) || (id >= 3007 && id <= 3009);
}

void CDlgBase::hitTest(int x, int y) {
    CControlBase* found = nullptr;
    forEachControl([&](CControlBase* c) {
        if (!c->isLive() || !c->isHitTestable())
            return;
        if (c->OnMouseMove(0, x, y))
            InvalidateControl(c);
        if (c->rect().contains(x, y))
            found = c;
    });
    if (found != hot_) {
        InvalidateControl(hot_);
        InvalidateControl(found);
    }
    hot_ = found;
}

void CDlgBase::OnMouseMove(unsigned keys, int x, int y) {
    if (!tracking_ && window_) {
        window_->trackMouse(1);
        tracking_ = true;
    }
    lastX_ = x;
    lastY_ = y;
    if (hot_ && (hot_->rect().contains(x, y) || buttonDown_)) {
        // While the button is held the pressed control keeps the pointer, inside or not, so a
        // slider or a scroll bar thumb follows a drag that strays off its narrow rectangle.
        if (hot_->OnMouseMove(keys, x, y))
            InvalidateControl(hot_);
        return;
    }
    if (!buttonDown_)
        hitTest(x, y);
}

void CDlgBase::OnLButtonDown(unsigned keys, int x, int y) {
    // A value the keys or the wheel moved is released before the mouse acts.
    FinishStep();
    if (focusVisible_) {
        focusVisible_ = false; // the mouse is in use: the mark hides, as on the desktop
        InvalidateAll();
    }
    if (!buttonDown_ && (!hot_ || !hot_->rect().contains(x, y)))
        hitTest(x, y); // a press without a move before it (a synthetic or a first click)
    if (pressed_ && pressed_ != hot_)
        pressed_->CancelPress(0);
    if (hot_ && hot_->rect().contains(x, y)) {
        pressed_ = hot_;
        buttonDown_ = true;
        // The pressed control takes the focus (the edit field that may hold the keys keeps them).
        if (hot_->TakesFocus() && focus_ != hot_) {
            focus_ = hot_;
            announceFocus();
        }
        if (hot_->OnLButtonDown(keys, x, y))
            InvalidateControl(hot_);
        if (window_)
            window_->setCapture();
        return;
    }
    // A press on the free area drags the window, as a press on a caption would.
    if (window_) {
        QPoint screen = window_->mapToGlobal(QPoint(x, y));
        UiLoop().post(handle_, WM_NCLBUTTONDOWN, HTCAPTION, MakePointParam(screen.x(), screen.y()));
    }
}

void CDlgBase::OnLButtonUp(unsigned keys, int x, int y) {
    if (window_)
        window_->releaseCapture();
    buttonDown_ = false;
    CControlBase* hot = hot_;
    if (hot) {
        // The handler may end the dialog; the controls stay alive until the dialog object goes.
        if (hot->OnLButtonUp(keys, x, y)) {
            if (RedrawsWholeWindow(hot->id()))
                InvalidateAll();
            else
                InvalidateControl(hot);
        }
        announceChanges();
        bool inPressed = pressed_ && pressed_->rect().contains(x, y);
        if (!inPressed && !hot->rect().contains(x, y)) {
            hot_ = nullptr;
            lastX_ = lastY_ = -1;
        }
    }
}

void CDlgBase::OnRButtonUp(unsigned keys, int x, int y) {
    bool inListOne = false;
    for (const auto& c : lists_[0])
        if (c->rect().contains(x, y))
            inListOne = true;
    if (inListOne && hot_ && hot_->OnRButtonUp(keys, x, y))
        InvalidateControl(hot_);
}

void CDlgBase::OnLButtonDblClk(unsigned keys, int x, int y) {
    if (!hot_)
        return;
    bool onControl = false;
    forEachControl([&](CControlBase* c) {
        if (c->rect().contains(x, y))
            onControl = true;
    });
    if (onControl && hot_->OnLButtonDblClk(keys, x, y))
        InvalidateControl(hot_);
}

void CDlgBase::OnMouseLeave() {
    tracking_ = false;
    if (buttonDown_ || !hot_)
        return;
    int x = -1, y = -1;
    if (window_ && window_->isMaximized()) {
        QPoint cursor = window_->mapFromGlobal(QCursor::pos());
        if (hot_->rect().contains(cursor.x(), cursor.y())) {
            x = cursor.x();
            y = cursor.y();
        }
    }
    hot_->OnMouseMove(0, x, y);
    InvalidateControl(hot_);
    hot_ = nullptr;
    lastX_ = lastY_ = -1;
}

void CDlgBase::OnMouseHover(int x, int y) {
    if (hot_ && hot_->rect().contains(x, y)) {
        lastX_ = x;
        lastY_ = y;
        InvalidateControl(hot_);
    }
}

void CDlgBase::OnOK() {
    EndDialog(IDOK);
}
void CDlgBase::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDlgBase::OnDestroy() {
    FinishStep();
    focus_ = nullptr;
    UnregisterOpenWindow(handle_);
    for (int slot = 0; slot < kPopupSlots; ++slot)
        if (popups_[std::size_t(slot)])
            ClosePopup(slot);
    hot_ = pressed_ = nullptr;
    tracking_ = buttonDown_ = false;
    handle_ = 0;
}

LRESULT CDlgBase::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(unsigned(wParam), PointX(lParam), PointY(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(unsigned(wParam), PointX(lParam), PointY(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(unsigned(wParam), PointX(lParam), PointY(lParam));
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(unsigned(wParam), PointX(lParam), PointY(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(unsigned(wParam), PointX(lParam), PointY(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_MOUSEHOVER:
        OnMouseHover(PointX(lParam), PointY(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            OnOK();
            return 1;
        }
        if (wParam == VK_ESCAPE) {
            OnCancel();
            return 1;
        }
        return 0;
    case WM_CLOSE:
        OnCancel();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return 0;
    }
}

} // namespace quorvik::ui
