// The generated skins and built-in pictures, and the gallery drawn off screen.
#include "UiTestSupport.h"

#include "ui/skin/SkinSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <string>
#include <vector>

using namespace quorvik;
using namespace quorvik::ui;

namespace {

// Every picture the program loads by name from skins/.
std::vector<std::string> NamedSkins() {
    std::vector<std::string> names = {"Frame_Lighting_Setting.bmp",
                                      "Frame_Macro_Manager.bmp",
                                      "Frame_common.bmp",
                                      "Frame_progress_nr.bmp",
                                      "Frame_progress_ov.bmp",
                                      "Frame_warning.bmp",
                                      "Slider_Circle.png",
                                      "Slider_bar.png",
                                      "Slider_bar2.png",
                                      "battery_charging.png",
                                      "battery_empty.png",
                                      "battery_full.png",
                                      "battery_green.png",
                                      "battery_lighting.png",
                                      "battery_orange.png",
                                      "battery_red.png",
                                      "button2_nr.png",
                                      "button2_ov.png",
                                      "button4_nr.png",
                                      "color_select_check.png",
                                      "color_select_nr.png",
                                      "combo2_nr.png",
                                      "combo2_ov.png",
                                      "combo3_nr.png",
                                      "combo3_ov.png",
                                      "dpi_value_nr.png",
                                      "dpi_value_ov.png",
                                      "foldr_close.png",
                                      "foldr_open.png",
                                      "header2_nr.png",
                                      "header2_ov.png",
                                      "header_nr.png",
                                      "header_ov.png",
                                      "macro_down.png",
                                      "macro_record_dn.png",
                                      "macro_record_nr.png",
                                      "macro_time.png",
                                      "macro_up.png",
                                      "menu_nr.png",
                                      "menu_ov.png",
                                      "menusub_nr.png",
                                      "menusub_ov.png",
                                      "min_nr.png",
                                      "min_ov.png",
                                      "profile_list_nr.png",
                                      "profile_list_ov.png",
                                      "profile_tab_nr.png",
                                      "profile_tab_ov.png",
                                      "profile_tab_dn.png",
                                      "profile_tab_dn_ov.png",
                                      "exit_nr.png",
                                      "exit_ov.png"};
    for (const char* base : {"check_", "radio_", "check_button_dpi_"})
        for (const char* look : {"nr", "ov", "dn"})
            names.push_back(std::string(base) + look + ".png");
    for (const char* base : {"up_", "down_"})
        for (const char* look : {"nr", "ov", "check"})
            names.push_back(std::string(base) + look + ".png");
    for (const char* rate : {"125", "250", "500", "1000"})
        for (const char* look : {"nr", "dn"})
            names.push_back(std::string(rate) + "hz_" + look + ".png");
    for (int m = 3; m <= 10; ++m)
        names.push_back("power_manage_" + std::to_string(m) + "min.png");
    for (int n = 1; n <= 9; ++n)
        names.push_back("mouse/serial_number" + std::to_string(n) + ".png");
    return names;
}

QImage LoadSkin(const std::string& name) {
    return QImage(QString::fromStdString(SkinFile(name)));
}

class SkinsTest : public quorvik::test::UiTest {};

TEST_F(SkinsTest, EveryNamedSkinIsGeneratedWithItsDoubleSizeTwin) {
    for (const std::string& name : NamedSkins()) {
        SCOPED_TRACE(name);
        QImage image = LoadSkin(name);
        ASSERT_FALSE(image.isNull());
        auto dot = name.rfind('.');
        QImage twin = LoadSkin(name.substr(0, dot) + "@2x" + name.substr(dot));
        ASSERT_FALSE(twin.isNull());
        EXPECT_EQ(twin.size(), image.size() * 2);
    }
}

TEST_F(SkinsTest, FramesHaveTheSizesTheWindowsStretch) {
    EXPECT_EQ(LoadSkin("Frame_warning.bmp").size(), QSize(319, 102));
    EXPECT_EQ(LoadSkin("Frame_Lighting_Setting.bmp").size(), QSize(230, 82));
    EXPECT_EQ(LoadSkin("Frame_Macro_Manager.bmp").size(), QSize(528, 365));
    EXPECT_EQ(LoadSkin("Frame_progress_ov.bmp").size(), QSize(429, 140));
    // The progress bar is copied from the row at y 66 … 77 of the "_ov" frame: it must differ there.
    QImage empty = LoadSkin("Frame_progress_nr.bmp");
    QImage full = LoadSkin("Frame_progress_ov.bmp");
    EXPECT_NE(empty.copy(0, 66, 429, 12), full.copy(0, 66, 429, 12));
}

// Controls that show the same picture share one decoded copy; each file keeps its own picture,
// at every display scale, and a holder that paints on its copy changes no other.
TEST_F(SkinsTest, ThePicturesOfOneFileAreDecodedOnceAndShared) {
    for (double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        platform::SetDisplayScaleFactor(scale);
        SkinImage a, b, other;
        ASSERT_TRUE(a.load(SkinFile("combo2_nr.png")));
        ASSERT_TRUE(b.load(SkinFile("combo2_nr.png")));
        ASSERT_TRUE(other.load(SkinFile("combo2_ov.png")));
        EXPECT_EQ(a.image().constBits(), b.image().constBits());
        EXPECT_NE(a.image().constBits(), other.image().constBits());
        EXPECT_NE(a.image(), other.image());
        EXPECT_EQ(b.width(), a.width());
        EXPECT_EQ(a.image().width(), int(a.width() * scale));

        QImage painted = a.image();
        painted.fill(Qt::red);
        EXPECT_NE(b.image().pixelColor(0, 0), QColor(Qt::red));
        SkinImage again;
        ASSERT_TRUE(again.load(SkinFile("combo2_nr.png")));
        EXPECT_EQ(again.image(), b.image());
        EXPECT_NE(again.image(), painted);
    }
    // Built-in pictures too: every dialog takes the icon.
    EXPECT_EQ(BuiltinImage(128).constBits(), BuiltinImage(128).constBits());
    EXPECT_NE(BuiltinImage(364).size(), BuiltinImage(364, true).size());
}

TEST_F(SkinsTest, EachLookOfAControlIsDistinct) {
    const std::vector<std::vector<std::string>> sets = {
        {"check_nr.png", "check_ov.png", "check_dn.png"},
        {"radio_nr.png", "radio_ov.png", "radio_dn.png"},
        {"check_button_dpi_nr.png", "check_button_dpi_ov.png", "check_button_dpi_dn.png"},
        {"up_nr.png", "up_ov.png", "up_check.png"},
        {"down_nr.png", "down_ov.png", "down_check.png"},
        {"exit_nr.png", "exit_ov.png"},
        {"min_nr.png", "min_ov.png"},
        {"button2_nr.png", "button2_ov.png"},
        {"header_nr.png", "header_ov.png"},
        {"header2_nr.png", "header2_ov.png"},
        {"combo2_nr.png", "combo2_ov.png"},
        {"combo3_nr.png", "combo3_ov.png"},
        {"menu_nr.png", "menu_ov.png"},
        {"menusub_nr.png", "menusub_ov.png"},
        {"profile_list_nr.png", "profile_list_ov.png"},
        {"profile_tab_nr.png", "profile_tab_ov.png", "profile_tab_dn.png", "profile_tab_dn_ov.png"},
        {"macro_record_nr.png", "macro_record_dn.png"},
        {"color_select_nr.png", "color_select_check.png"},
        {"1000hz_nr.png", "1000hz_dn.png"},
        {"power_manage_3min.png", "power_manage_4min.png", "power_manage_10min.png"},
        {"mouse/serial_number1.png", "mouse/serial_number2.png", "mouse/serial_number9.png"},
    };
    for (const auto& looks : sets) {
        for (std::size_t a = 0; a < looks.size(); ++a) {
            for (std::size_t b = a + 1; b < looks.size(); ++b) {
                SCOPED_TRACE(looks[a] + " / " + looks[b]);
                QImage first = LoadSkin(looks[a]);
                QImage second = LoadSkin(looks[b]);
                EXPECT_EQ(first.size(), second.size());
                EXPECT_NE(first, second);
            }
        }
    }
}

TEST_F(SkinsTest, BuiltInPictures) {
    EXPECT_EQ(BuiltinImage(364).size(), QSize(1127, 740));
    EXPECT_FALSE(BuiltinImage(128).isNull());
    EXPECT_FALSE(BuiltinImage(151).isNull());
    EXPECT_TRUE(BuiltinImage(999).isNull());
    // The colour picture: colours inside the two picking areas, the dialog background outside.
    QImage picture = BuiltinImage(287);
    ASSERT_EQ(picture.size(), QSize(500, 291));
    const QColor background(0x0F, 0x0F, 0x0F);
    EXPECT_EQ(picture.pixelColor(5, 5), background);
    EXPECT_EQ(picture.pixelColor(232, 150), background);
    EXPECT_EQ(picture.pixelColor(480, 250), background);
    QSet<QRgb> hues;
    for (int x = 18; x < 222; x += 7)
        hues.insert(picture.pixel(x, 60));
    EXPECT_GT(hues.size(), 20);
    EXPECT_NE(picture.pixelColor(250, 30), background);

    // On a scaled display the double-size twin is drawn; sizes stay in units.
    platform::SetDisplayScaleFactor(2.0);
    SkinImage main;
    ASSERT_TRUE(main.loadBuiltin(364));
    EXPECT_EQ(main.width(), 1127);
    EXPECT_EQ(main.image().width(), 2254);
}

// The gallery as a person would see it, drawn off screen at each display scale.
TEST_F(SkinsTest, GalleryRendersWithoutMissingPictures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* scale : {"1.0", "1.5", "2.0"}) {
        SCOPED_TRACE(scale);
        const QString png = dir.filePath(QStringLiteral("gallery-%1.png").arg(scale));
        QProcess gallery;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        gallery.setProcessEnvironment(env);
        gallery.start(QStringLiteral(QV_BIN_DIR "/gallery"), {"--render", png, "--scale", scale});
        ASSERT_TRUE(gallery.waitForFinished(60000));
        EXPECT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();
        QImage shot(png);
        ASSERT_FALSE(shot.isNull());
        const double factor = QString(scale).toDouble();
        EXPECT_EQ(shot.width(), int(900 * factor));
        EXPECT_EQ(shot.height(), int(590 * factor));
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 3)
            for (int x = 0; x < shot.width(); x += 3)
                colours.insert(shot.pixel(x, y));
        EXPECT_GT(colours.size(), 200); // not blank, not a flat fill
    }
}

} // namespace
