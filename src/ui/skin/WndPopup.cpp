#include "ui/skin/WndPopup.h"

#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/AccessibleControls.h"

namespace quorvik::ui {

using namespace platform;

namespace {
struct KindMessage {
    int kind;
    unsigned message;
};
constexpr std::array<KindMessage, 15> kClosedMessages{{
    {0, 1029},
    {1, 1032},
    {2, 1042},
    {3, 1045},
    {6, 1057},
    {7, 1126},
    {8, 1136},
    {9, 1146},
    {10, 1156},
    {11, 1159},
    {12, 1162},
    {13, 1165},
    {14, 1168},
    {15, 1170},
    {16, 1173}, // the Applications dialog's profile menu
}};
} // namespace

CWndPopup::CWndPopup() : font_(ControlFont()) {}

CWndPopup::~CWndPopup() {
    if (window_ && handle_) {
        closing_ = true;
        inDestructor_ = true;
        window_->destroyWindow();
    }
}

Rect CWndPopup::ContextMenuRect(int screenX, int screenY) {
    return Rect{screenX, screenY, screenX + Scaled(300), screenY + Scaled(300)};
}

unsigned CWndPopup::ClosedMessageForKind(int kind) {
    for (const auto& entry : kClosedMessages)
        if (entry.kind == kind)
            return entry.message;
    return 0;
}

bool CWndPopup::Create(WindowHandle owner, const Rect& screenRect, int kind, int controlId, unsigned message) {
    if (window_)
        return false;
    InstallAccessibility();
    owner_ = owner;
    kind_ = kind;
    controlId_ = controlId;
    message_ = message;
    window_ = new NativeWindow(this, WindowKind::Popup, owner);
    handle_ = window_->handle();
    window_->setCursor(Qt::ArrowCursor);
    if (!TakesActivation()) {
        window_->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
        window_->setFocusPolicy(Qt::NoFocus);
    }
    window_->setPosition(screenRect.left, screenRect.top, screenRect.width(), screenRect.height());
    background_.loadBuiltin(151);
    BuildItems();
    window_->showCommand(TakesActivation() ? SW_SHOW : SW_SHOWNOACTIVATE);
    return true;
}

CWndPopup::Item& CWndPopup::AddItem(std::u16string text, const std::string& normal, const std::string& hover,
                                    bool subMenu, int id) {
    Item item;
    item.text = std::move(text);
    if (!normal.empty())
        item.normal.load(normal);
    if (!hover.empty())
        item.hover.load(hover);
    item.subMenu = subMenu;
    item.id = id;
    items_.push_back(std::move(item));
    return items_.back();
}

void CWndPopup::AddSeparator() {
    Item item;
    item.separator = true;
    items_.push_back(std::move(item));
}

void CWndPopup::LayoutRows(int rowHeight, int separatorHeight) {
    int width = window_ ? window_->width() : 0;
    int y = 0;
    for (auto& item : items_) {
        int h = item.separator ? separatorHeight : rowHeight;
        item.rect = Rect{0, y, width, y + h};
        y += h;
    }
}

int CWndPopup::ItemAt(int x, int y) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!items_[i].separator && items_[i].rect.contains(x, y))
            return int(i);
    return -1;
}

void CWndPopup::BuildItems() {}
void CWndPopup::OnExtra() {}

void CWndPopup::DrawItems(QPainter& p, const Rect&) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        QRect box = item.rect.toQRect();
        if (item.separator) {
            p.fillRect(box, Rgb(kAccent));
            continue;
        }
        bool hot = int(i) == hot_;
        const SkinImage& image = hot && !item.hover.isNull() ? item.hover : item.normal;
        image.draw(p, box);
        DrawSingleLine(p, box.adjusted(2, 2, -2, -2), QString::fromStdU16String(item.text),
                       hot ? Rgb(kTextHover) : Rgb(kTextNormal), font_, Qt::AlignHCenter);
    }
}

void CWndPopup::DrawItemIcons(QPainter& p, const Rect&) {
    // Each item's own picture, centred in a 25-pixel column at the left.
    for (const Item& item : items_) {
        if (item.separator || item.icon.isNull())
            continue;
        QRect column(item.rect.left, item.rect.top, 25, item.rect.height());
        int w = std::min(item.icon.width(), 25);
        int h = std::min(item.icon.height(), column.height());
        item.icon.draw(p, QRect(column.center().x() - w / 2 + 1, column.center().y() - h / 2 + 1, w, h));
    }
}

void CWndPopup::Repaint() {
    if (window_)
        window_->invalidate();
}

void CWndPopup::onPaint() {
    if (!window_)
        return;
    Rect client{0, 0, window_->width(), window_->height()};
    window_->paintBuffered(Qt::black, [&](QPainter& memory) {
        background_.draw(memory, client.toQRect());
        DrawItems(memory, client);
        DrawItemIcons(memory, client);
        memory.setPen(QPen(Rgb(0x3A3A3A), 1));
        memory.setBrush(Qt::NoBrush);
        memory.drawRect(QRectF(0.5, 0.5, client.width() - 1, client.height() - 1));
    });
}

bool CWndPopup::OnMouseMove(int x, int y) {
    int item = ItemAt(x, y);
    if (item == hot_)
        return false;
    hot_ = item;
    return true;
}

bool CWndPopup::OnLButtonDown(int, int) {
    return false;
}

bool CWndPopup::OnLButtonUp(int x, int y) {
    int item = ItemAt(x, y);
    if (item < 0)
        return false;
    ReportChoice(item);
    return true;
}

void CWndPopup::ReportChoice(int index) {
    choice_ = PopupChoice{kind_, index, controlId_};
    UiLoop().send(owner_, message_, WPARAM(controlId_), reinterpret_cast<LPARAM>(&choice_));
}

int CWndPopup::NextItem(int from, bool down) const {
    const int n = int(items_.size());
    for (int step = 1; step <= n; ++step) {
        const int i = ((from < 0 ? (down ? -1 : n) : from) + (down ? step : -step) % n + n) % n;
        if (!items_[std::size_t(i)].separator)
            return i;
    }
    return -1;
}

namespace {
constexpr unsigned kMsgChooseLater = WM_USER + 0x1E0; // to the popup itself: wParam the item
} // namespace

void CWndPopup::PostChooseItem(int index) {
    if (handle_)
        UiLoop().post(handle_, kMsgChooseLater, WPARAM(index), 0);
}

void CWndPopup::ChooseItem(int index) {
    if (index < 0 || index >= int(items_.size()) || items_[std::size_t(index)].separator)
        return;
    const Rect& r = items_[std::size_t(index)].rect;
    const int x = r.left + r.width() / 2, y = r.top + r.height() / 2;
    if (OnMouseMove(x, y))
        Repaint();
    OnLButtonDown(x, y);
    OnLButtonUp(x, y);
}

bool CWndPopup::OnKey(unsigned vk) {
    auto centre = [this](int item) {
        const Rect& r = items_[std::size_t(item)].rect;
        return std::pair{r.left + r.width() / 2, r.top + r.height() / 2};
    };
    int target = -1;
    switch (vk) {
    case VK_DOWN:
    case VK_UP:
        target = NextItem(hot_, vk == VK_DOWN);
        break;
    case VK_HOME:
        target = NextItem(-1, true);
        break;
    case VK_END:
        target = NextItem(-1, false);
        break;
    case VK_RETURN:
    case VK_SPACE: {
        if (hot_ < 0 || hot_ >= int(items_.size()))
            return true;
        const auto [x, y] = centre(hot_);
        // The popup may close and go while the choice is handled; nothing of it is used after.
        OnLButtonDown(x, y);
        if (OnLButtonUp(x, y) && window_)
            Repaint();
        return true;
    }
    case VK_ESCAPE:
        if (ClosedMessageForKind(kind_) != 0 && !closing_ && !closedReported_)
            onDeactivated();
        else if (handle_)
            UiLoop().post(handle_, WM_CLOSE, 0, 0);
        return true;
    default:
        return false;
    }
    if (target < 0)
        return true;
    // The pointer's way: the item becomes hot as a move onto it makes it, with all that follows.
    const auto [x, y] = centre(target);
    if (OnMouseMove(x, y))
        Repaint();
    return true;
}

void CWndPopup::onDeactivated() {
    // The user clicked elsewhere: the owner hears it once, by the kind's own message.
    if (closing_ || closedReported_)
        return;
    closedReported_ = true;
    if (unsigned message = ClosedMessageForKind(kind_))
        UiLoop().send(owner_, message, WPARAM(controlId_), LPARAM(kind_));
}

LRESULT CWndPopup::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_MOUSEMOVE:
        if (!tracking_ && window_) {
            window_->trackMouse(50);
            tracking_ = true;
        }
        if (OnMouseMove(PointX(lParam), PointY(lParam)))
            Repaint();
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (hot_ != -1) {
            hot_ = -1;
            Repaint();
        }
        return 0;
    case WM_LBUTTONDOWN:
        buttonDown_ = true;
        if (OnLButtonDown(PointX(lParam), PointY(lParam)))
            Repaint();
        return 0;
    case WM_LBUTTONUP:
        buttonDown_ = false;
        if (OnLButtonUp(PointX(lParam), PointY(lParam)))
            Repaint();
        return 0;
    case WM_KEYDOWN:
        return OnKey(unsigned(wParam)) ? 1 : 0;
    case kMsgChooseLater:
        ChooseItem(int(wParam));
        return 0;
    case WM_ACTIVATE:
        if (wParam == WA_INACTIVE)
            onDeactivated();
        return 0;
    case WM_CLOSE:
        if (closing_)
            return 0;
        closing_ = true;
        UiLoop().send(owner_, kPopupClosingMessage, WPARAM(controlId_), LPARAM(kind_));
        if (window_)
            window_->destroyWindow();
        return 0;
    case WM_DESTROY:
        // Like a popup menu, the object goes with its window.
        closing_ = true;
        window_ = nullptr;
        handle_ = 0;
        if (!inDestructor_)
            delete this;
        return 0;
    default:
        return 0;
    }
}

} // namespace quorvik::ui
