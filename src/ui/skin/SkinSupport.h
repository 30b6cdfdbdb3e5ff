// Geometry, colours, images and fonts shared by the skinned controls and windows.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvik::ui {

// A rectangle in client pixels: left and top inside, right and bottom outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool intersects(const Rect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    QRect toQRect() const { return QRect(left, top, width(), height()); }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Units times the display scale factor, truncated towards zero (every layout size is).
int Scaled(double units);
// A rectangle given in units, scaled.
Rect ScaledRect(double left, double top, double right, double bottom);

// Full path of a skin image: the program folder's "skins/" plus `name` ("exit_nr.png",
// "mouse/serial_number1.png").
std::string SkinFile(std::string_view name);

// #RRGGBB as written in this toolkit's colour constants.
inline QColor Rgb(std::uint32_t rrggbb) {
    return QColor(int((rrggbb >> 16) & 0xFF), int((rrggbb >> 8) & 0xFF), int(rrggbb & 0xFF));
}
// A stored colour value: red in the lowest byte, green next, blue third.
inline QColor FromColorValue(std::uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
inline std::uint32_t ToColorValue(const QColor& c) {
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

inline constexpr std::uint32_t kTextNormal = 0xB4B4B4;
inline constexpr std::uint32_t kTextHover = 0xFFFFFF;
inline constexpr std::uint32_t kTextPressed = 0xFFFF00;
inline constexpr std::uint32_t kAccent = 0x35A0DE;
inline constexpr std::uint32_t kListBackground = 0x4B4B4B;

// One image slot of a control. Loading fails silently and leaves the slot empty. When the
// display is scaled and the generator left a double-size "@2x" twin beside the file, the twin is
// loaded, so pictures stay sharp; width and height are always the picture's size in units.
class SkinImage {
public:
    bool load(const std::string& path);
    void setImage(QImage image); // a picture made in the program
    // A built-in picture by resource number, its double-size twin on a scaled display.
    bool loadBuiltin(int resourceId);
    void clear();
    bool isNull() const { return image_.isNull(); }
    int width() const { return width_; }
    int height() const { return height_; }
    const QImage& image() const { return image_; }

    // Stretches the whole picture (or the part `source`, in units) over `target` in pixels.
    void draw(QPainter& p, const QRect& target) const;
    void draw(QPainter& p, const QRect& target, const QRectF& source) const;

private:
    // Takes a double-size twin: twice the pixels for the same size in units. False for none.
    bool takeTwin(QImage big);

    QImage image_;
    int width_ = 0;
    int height_ = 0;
    double ratio_ = 1.0; // image pixels per unit
};

// Whether a skin file is there and reads as a picture of a sensible size (its header only), for
// a picture loaded only when first shown: a broken one is named among the missing images at once,
// as a failed load would name it.
bool SkinFilePresent(const std::string& path);

// Paths that failed to load since the last clear: the program carries on without them, the
// gallery and the tests report them.
const std::vector<std::string>& MissingSkinImages();
// The same, each with what is wrong with it: "missing", "empty", "too large (… pixels)", ….
struct SkinProblem {
    std::string path;
    std::string what;
};
const std::vector<SkinProblem>& SkinImageProblems();
void ClearMissingSkinImages();
// Lets go of every decoded picture this table holds, so that the next load decodes (or takes
// from the picture cache) afresh: for the tests that compare the two.
void ForgetDecodedPictures();
// Told of every picture found broken from now on (each once): pictures of dialogs and popups
// load when they first open, after the start's check of the installation. Returns the observer
// it replaces; an empty one stops it.
using SkinProblemObserver = std::function<void(const SkinProblem&)>;
SkinProblemObserver SetSkinProblemObserver(SkinProblemObserver observer);

// A built-in picture by its resource number (128 icon, 151 popup background, 287 colour picture,
// 364 main window background); a null image when there is none. `doubleSize` asks for the
// twin drawn at twice the size (none for the icon).
QImage BuiltinImage(int resourceId, bool doubleSize = false);

// The program's icon (built-in picture 128) for every window and the tray: made once, so that
// each window that opens shares it instead of making and sending a picture of its own.
const QIcon& WindowIcon();

// The font the controls start with: face, height and character set of the language settings.
// `height` is the cell height in pixels (ascent plus descent); 0 takes the global one.
QFont ControlFont(int height = 0, const std::u16string& face = {});

// Mean colour of all pixels, each channel averaged on its own.
QColor MeanColor(const QImage& image);

// Single line, vertically centred, elided at the end when too long; `align` is Qt::AlignLeft,
// AlignHCenter or AlignRight.
void DrawSingleLine(QPainter& p, const QRect& box, const QString& text, const QColor& colour, const QFont& font,
                    Qt::Alignment align);

} // namespace quorvik::ui
