// The file-dialog seam: filters turned into Qt's form, the default extension, the starting folder.
#include "platform/qt/FileDialogs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace quorvik::platform;

namespace {

TEST(FileDialogs, FiltersTakeTheirPatternsFromThePatternField) {
    EXPECT_EQ(QtNameFilters(u"mkf file(*.mkf)|*.mkf||"), QStringList{"mkf file (*.mkf)"});
    EXPECT_EQ(QtNameFilters(u"psf file(*.psf)|*.psf||"), QStringList{"psf file (*.psf)"});
    // The description's parentheses are not what counts; several patterns are kept apart.
    EXPECT_EQ(QtNameFilters(u"Macro files (old)|*.mkf;*.mbf|All files|*||"),
              (QStringList{"Macro files (*.mkf *.mbf)", "All files (*)"}));
    EXPECT_TRUE(QtNameFilters(u"").isEmpty());
}

TEST(FileDialogs, TheDefaultExtensionGoesOnlyWhereNoneWasTyped) {
    EXPECT_EQ(WithDefaultExtension("/tmp/mine", u"mkf", false), "/tmp/mine.mkf");
    EXPECT_EQ(WithDefaultExtension("/tmp/mine.", u"mkf", false), "/tmp/mine.mkf");
    EXPECT_EQ(WithDefaultExtension("/tmp/mine.txt", u"mkf", false), "/tmp/mine.txt");
    EXPECT_EQ(WithDefaultExtension("/tmp/v1.2/mine", u"mbf", false), "/tmp/v1.2/mine.mbf");
    EXPECT_EQ(WithDefaultExtension("/tmp/mine", u"", false), "/tmp/mine");
    // An open dialog keeps a file that exists under the name as typed.
    quorvik::test::TempDir dir;
    const std::string plain = (dir.path() / "plain").string();
    std::ofstream(plain) << "x";
    EXPECT_EQ(WithDefaultExtension(plain, u"mkf", true), plain);
    EXPECT_EQ(WithDefaultExtension(plain, u"mkf", false), plain + ".mkf");
}

TEST(FileDialogs, TheAnswererStandsInForTheDesktopDialog) {
    quorvik::test::TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    FileDialogRequest seen;
    SetFileDialogAnswerer([&](const FileDialogRequest& request) {
        seen = request;
        return std::optional<std::string>("export");
    });
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = u"Export Macro";
    request.defaultExtension = u"mkf";
    request.fileName = u"Combo.mkf";
    // A name typed without a folder lands in the process's current directory.
    EXPECT_EQ(RunFileDialog(request), (dir.path() / "export.mkf").string());
    EXPECT_EQ(seen.title, u"Export Macro");
    EXPECT_EQ(StartFolder(request), dir.path().string());
    request.folder = "/somewhere";
    EXPECT_EQ(StartFolder(request), "/somewhere");

    SetFileDialogAnswerer([](const FileDialogRequest&) { return std::optional<std::string>(); });
    EXPECT_EQ(RunFileDialog(request), std::nullopt); // cancelled
    SetFileDialogAnswerer({});
    std::filesystem::current_path(previous);
}

} // namespace
