// The skins' picture cache against the PNGs it was made from: every picture, drawn as the window
// draws it at display factors 1 and 2, comes out the same pixel for pixel, with the same mean
// colour; a picture changed after the cache was made, a missing one and a damaged cache all fall
// back to the files.
#include "UiTestSupport.h"

#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"
#include "ui/skin/PictureCache.h"
#include "ui/skin/PictureCacheFormat.h"
#include "ui/skin/SkinSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QPainter>

#include <filesystem>
#include <fstream>

namespace quorvik::test {
namespace {

namespace pc = ui::picture_cache;
namespace fs = std::filesystem;

// The picture drawn over a grey ground as SkinImage draws it: stretched over `factor` times its size.
QImage drawn(const QImage& picture, double factor) {
    QImage target(int(picture.width() * factor), int(picture.height() * factor), QImage::Format_ARGB32_Premultiplied);
    target.fill(QColor(0x40, 0x44, 0x48));
    QPainter p(&target);
    p.drawImage(QRectF(target.rect()), picture, QRectF(picture.rect()));
    p.end();
    return target;
}

std::vector<QString> skinPictures() {
    std::vector<QString> files;
    QDirIterator it(QString::fromStdString(platform::ProgramFolder() + "skins"),
                    {QStringLiteral("*.png"), QStringLiteral("*.bmp")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.push_back(it.next());
    for (const char* builtin : {"128", "151", "151@2x", "287", "287@2x", "364", "364@2x"})
        files.push_back(QStringLiteral(":/quorvik/builtin/%1.png").arg(QLatin1String(builtin)));
    return files;
}

class PictureCacheTest : public UiTest {
protected:
    void TearDown() override {
        ui::UsePictureCache(true);
        ui::ForgetDecodedPictures();
        UiTest::TearDown();
    }
};

TEST_F(PictureCacheTest, EveryPictureDrawsTheSameFromTheCacheAsFromItsFile) {
    ui::BuiltinImage(128); // the resources registered
    const std::vector<QString> files = skinPictures();
    ASSERT_GT(files.size(), 150u);
    int compared = 0;
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        QRgb mean = 0;
        const QImage cached = ui::CachedPicture(file, &mean);
        ASSERT_FALSE(cached.isNull()) << "not in the cache";
        const QImage decoded(file);
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(cached.size(), decoded.size());
        EXPECT_EQ(QColor(mean), QColor(pc::MeanRgb(decoded)));
        for (double factor : {1.0, 2.0})
            EXPECT_TRUE(drawn(cached, factor) == drawn(decoded, factor)) << "differs at factor " << factor;
        ++compared;
    }
    EXPECT_EQ(compared, int(files.size()));
}

TEST_F(PictureCacheTest, TheWindowsPicturesComeFromTheCacheWithTheirMeanColour) {
    ui::ForgetDecodedPictures();
    ui::SkinImage background;
    ASSERT_TRUE(background.loadBuiltin(364));
    const QImage decoded(QStringLiteral(":/quorvik/builtin/364.png"));
    EXPECT_EQ(background.image().format(), QImage::Format_RGB32);
    EXPECT_EQ(ui::MeanColor(background.image()), QColor(pc::MeanRgb(decoded)));

    ui::UsePictureCache(false);
    ui::ForgetDecodedPictures();
    ui::SkinImage fromFile;
    ASSERT_TRUE(fromFile.loadBuiltin(364));
    EXPECT_EQ(ui::MeanColor(fromFile.image()), ui::MeanColor(background.image()));
    EXPECT_NE(fromFile.image().constBits(), background.image().constBits());
}

// A picture whose pages were let go reads the same when it is drawn again, and so does a picture
// the cache hands out afterwards.
TEST_F(PictureCacheTest, AReleasedPictureReadsTheSameAgain) {
    ui::BuiltinImage(128); // the resources registered
    const QString file = QStringLiteral(":/quorvik/builtin/128.png");
    const QImage cached = ui::CachedPicture(file);
    ASSERT_FALSE(cached.isNull());
    const QImage before = cached.copy();
    ui::ReleaseCachedPicture(file);
    EXPECT_TRUE(cached == before);
    EXPECT_TRUE(ui::CachedPicture(file) == before);
    EXPECT_TRUE(ui::CachedPicture(file) == QImage(file).convertToFormat(cached.format()));
    ui::ReleaseCachedPicture(QStringLiteral("/not/a/skin.png")); // nothing to let go
}

// A copy of the installed skins in a folder of the test's own, to change.
class CopiedSkinsTest : public PictureCacheTest {
protected:
    void SetUp() override {
        PictureCacheTest::SetUp();
        const fs::path from = fs::path(QV_BIN_DIR) / "skins";
        fs::create_directories(dir_.path() / "skins");
        for (const char* name : {"exit_nr.png", "exit_ov.png", pc::kFileName})
            fs::copy_file(from / name, dir_.path() / "skins" / name, fs::copy_options::overwrite_existing);
        // A copy that did not keep the files' times: the cache is the newest, so it holds.
        fs::last_write_time(dir_.path() / "skins" / pc::kFileName, fs::file_time_type::clock::now());
        platform::SetProgramFolder(dir_.path().string() + "/");
    }
    QString skin(const char* name) const { return QString::fromStdString((dir_.path() / "skins" / name).string()); }
    TempDir dir_;
};

TEST_F(CopiedSkinsTest, APictureChangedOrGoneSinceTheCacheIsReadFromItsFile) {
    EXPECT_FALSE(ui::CachedPicture(skin("exit_nr.png")).isNull());
    EXPECT_FALSE(ui::CachedPicture(skin("exit_ov.png")).isNull());

    // Changed after the cache was made (another picture, newer than the cache).
    QImage other(22, 22, QImage::Format_RGB32);
    other.fill(Qt::red);
    ASSERT_TRUE(other.save(skin("exit_ov.png"), "PNG"));
    fs::last_write_time(dir_.path() / "skins/exit_ov.png", fs::file_time_type::clock::now() + std::chrono::seconds(5));
    EXPECT_TRUE(ui::CachedPicture(skin("exit_ov.png")).isNull());
    ui::SkinImage image;
    ASSERT_TRUE(image.load(skin("exit_ov.png").toStdString()));
    EXPECT_EQ(image.image().pixelColor(3, 3), QColor(Qt::red));

    // Gone: nothing from the cache, and the load fails as it always has.
    fs::remove(dir_.path() / "skins/exit_nr.png");
    EXPECT_TRUE(ui::CachedPicture(skin("exit_nr.png")).isNull());
    ui::ClearMissingSkinImages();
    EXPECT_FALSE(image.load(skin("exit_nr.png").toStdString()));
    ASSERT_EQ(ui::SkinImageProblems().size(), 1u);
    EXPECT_EQ(ui::SkinImageProblems()[0].what, "missing");
    ui::ClearMissingSkinImages();
}

TEST_F(CopiedSkinsTest, ADamagedCacheIsNoCache) {
    const fs::path cache = dir_.path() / "skins" / pc::kFileName;
    const auto size = fs::file_size(cache);
    struct Damage {
        const char* what;
        std::function<void()> apply;
    };
    const Damage damages[] = {
        {"cut after its header", [&] { fs::resize_file(cache, pc::kHeaderBytes + 10); }},
        {"cut inside the pixels", [&] { fs::resize_file(cache, size / 2); }},
        {"another magic",
         [&] {
             std::fstream f(cache, std::ios::in | std::ios::out | std::ios::binary);
             f.write("NOTACACH", 8);
         }},
        {"empty", [&] { fs::resize_file(cache, 0); }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        // Each damage in a folder of its own: a cache is read once per folder.
        TempDir other;
        fs::create_directories(other.path() / "skins");
        fs::copy_file(dir_.path() / "skins/exit_nr.png", other.path() / "skins/exit_nr.png");
        fs::copy_file(fs::path(QV_BIN_DIR) / "skins" / pc::kFileName, cache, fs::copy_options::overwrite_existing);
        damage.apply();
        fs::copy_file(cache, other.path() / "skins" / pc::kFileName);
        platform::SetProgramFolder(other.path().string() + "/");
        const QString file = QString::fromStdString((other.path() / "skins/exit_nr.png").string());
        // "cut inside the pixels" keeps the pictures whose pixels are all still there.
        if (std::string(damage.what) != "cut inside the pixels") {
            EXPECT_TRUE(ui::CachedPicture(file).isNull());
        }
        ui::SkinImage image;
        EXPECT_TRUE(image.load(file.toStdString())); // from the file
    }
}

} // namespace
} // namespace quorvik::test
