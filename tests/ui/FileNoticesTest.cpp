// Files the window cannot use, as the user meets them: an import of a pipe, a device or a file far
// too large is refused with the file and the reason; settings that cannot be saved are told in
// one message per moment, kept in memory and saved once that works again.
#include "MacroUiSupport.h"
#include "SmallPagesSupport.h"

#include "macro/MacroFiles.h"
#include "model/ConfigPairs.h"
#include "model/FileProblems.h"
#include "model/ProfileFile.h"
#include "platform/qt/FileDialogs.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/main/ProfileArea.h"
#include "ui/main/ProfileNameDlgs.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/FileMessages.h"
#include "ui/skin/SkinSupport.h"

#include <sys/stat.h>

namespace quorvik::test {
namespace {

namespace fs = std::filesystem;
using namespace ui::main_ids;

// The import candidates that are no profile: a pipe, a link to a device, a file of 300 MB.
struct BadFiles {
    explicit BadFiles(const fs::path& dir)
        : fifo((dir / "pipe.psf").string()), zero((dir / "zero.psf").string()), big((dir / "big.psf").string()) {
        EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        fs::create_symlink("/dev/zero", zero);
        writeBytes(big, {0xFF, 0xFE});
        fs::resize_file(big, 300u * 1024 * 1024);
    }
    std::string fifo, zero, big;
};

class FileNoticesTest : public SmallPagesTest {
protected:
    void TearDown() override {
        platform::SetFileDialogAnswerer({});
        ui::CDlgBase::OnNextDialogShown({});
        model::SetSaveFailureHandler({});
        model::ForgetSaveFailures();
        SmallPagesTest::TearDown();
    }
    // As the program has it: failed saves go to the window.
    void reportSavesToTheWindow() {
        model::ForgetSaveFailures();
        model::SetSaveFailureHandler([this](const model::SaveFailure& f) { dlg().ShowSaveFailure(f); });
    }
    static long savedShowCount() {
        model::ConfigPairs saved;
        EXPECT_TRUE(saved.Read(model::ConfigFilePath()));
        return saved.ProfileShowCount();
    }
    std::u16string noticeText() {
        ui::CAttentionDlg* notice = dlg().OpenFileNotice();
        return notice ? AttentionText(*notice) : std::u16string();
    }
};

TEST_F(FileNoticesTest, AnImportThatIsNoProfileIsRefusedWithTheFileAndTheReason) {
    start("0", {device::Form::Wired});
    const BadFiles bad(dir_.path());
    model::Profile(0).SetPairValue(model::kPairProfileName, u"Mine");
    model::SaveAllProfiles();
    const model::ProfileRecord before = model::Profile(0);
    const auto slotFile = readBytes(model::Config().ProfileSlotPath(0));
    std::string answer;
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) { return std::optional(answer); });

    const std::pair<std::string, std::u16string> cases[] = {
        {bad.fifo, u"it is not a regular file"},
        {bad.zero, u"it is not a regular file"},
        {bad.big, u"it is larger than 1 MiB"},
    };
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        answer = path;
        std::u16string shown;
        DialogScript script;
        script.then([&](ui::CDlgBase& dialog) {
            shown = AttentionText(dialog);
            dialog.EndDialog(platform::IDOK);
        });
        clickControl(kProfileImport);
        EXPECT_TRUE(script.done());
        EXPECT_EQ(shown, model::ToU16(path) + u" cannot be imported: " + reason + u". Nothing was changed.");
        EXPECT_EQ(model::Profile(0), before);
        EXPECT_EQ(readBytes(model::Config().ProfileSlotPath(0)), slotFile);
    }
}

TEST_F(FileNoticesTest, TheMacroManagerRefusesAnImportThatIsNoMacroFile) {
    start("0", {device::Form::Wired});
    const BadFiles bad(dir_.path());
    std::string answer = bad.fifo;
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) { return std::optional(answer); });
    ui::CMacroManagerDlg manager(dlg().hwnd());
    ASSERT_TRUE(manager.Create());
    for (int command : {ui::CMacroManagerDlg::kImportMacro, ui::CMacroManagerDlg::kImportItems}) {
        std::u16string shown;
        DialogScript script;
        script.then([&](ui::CDlgBase& dialog) {
            shown = AttentionText(dialog);
            dialog.EndDialog(platform::IDOK);
        });
        manager.RunItemCommand(command);
        EXPECT_TRUE(script.done());
        EXPECT_EQ(shown, ui::ImportRefusedMessage(bad.fifo, {model::FileFault::NotAFile}));
        EXPECT_EQ(macro::TheMacroLibrary().CountOccupied(), 0u);
    }
    manager.DestroyWindow();
}

// The data folder is deleted under the running program: the save of an Add tells which files
// could not be saved and why, in one message; the profile stays in memory, and once the folder
// is back the next save (10 s later) writes it.
TEST_F(FileNoticesTest, SettingsThatCannotBeSavedAreToldOnceAndSavedWhenPossible) {
    start("0", {device::Form::Wired});
    reportSavesToTheWindow();
    const fs::path config = dir_.path() / "config";
    fs::remove_all(config);

    DialogScript script;
    script.then([this](ui::CDlgBase& dialog) {
        dialog.SetEditText(ui::CAddProfileDlg::kNameEdit, u"Kept");
        const ui::Rect r = dialog.FindControl(ui::kIdDialogOk)->rect();
        click(dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    });
    clickControl(kProfileAdd);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(dlg().OpenFileNotice(), nullptr) << "told once the loop comes back, all together";
    loop.runUntilIdle();
    const std::u16string text = noticeText();
    EXPECT_EQ(text, u"The settings could not be saved to " + model::ToU16(config.string()) +
                        u"/ (config.ini, default0.psf, default1.psf, default2.psf, default3.psf, default4.psf): "
                        u"there is no such file or folder. The changes are kept, and saving is tried again after "
                        u"each change, from time to time, and when the program ends.");
    EXPECT_EQ(model::Profile(3).PairValue(model::kPairProfileName), u"Kept");

    // The retry fails the same way: nothing new to tell.
    dlg().OpenFileNotice()->EndDialog(platform::IDOK);
    loop.advance(device::kDelayedSaveMs);
    loop.runUntilIdle();
    EXPECT_EQ(dlg().OpenFileNotice(), nullptr);

    fs::create_directories(config);
    loop.advance(device::kDelayedSaveMs);
    model::ProfileRecord saved;
    ASSERT_TRUE(model::ReadProfileRecord(saved, model::Config().ProfileSlotPath(3)));
    EXPECT_EQ(saved.PairValue(model::kPairProfileName), u"Kept");
    EXPECT_EQ(savedShowCount(), 4);
    EXPECT_FALSE(core().SavePending());

    // Failing again after a successful save is news again.
    fs::remove_all(config);
    clickControl(kFirstSlotTab + 1);
    loop.advance(device::kDelayedSaveMs + 1000);
    loop.runUntilIdle();
    EXPECT_NE(noticeText().find(u"there is no such file or folder"), std::u16string::npos);
}

TEST_F(FileNoticesTest, FailuresOfOneMomentAreGroupedByReasonAndFolder) {
    start("0", {device::Form::Wired});
    const std::vector<model::SaveFailure> failures{
        {"/a/config/config.ini", {model::FileFault::DiskFull, ENOSPC}},
        {"/a/config/default0.psf", {model::FileFault::DiskFull, ENOSPC}},
        {"/b/mine.psf", {model::FileFault::NoAccess, EACCES}},
        {"/a/config/default0.psf", {model::FileFault::DiskFull, ENOSPC}},
    };
    const std::u16string text = ui::SaveFailureMessage(failures);
    const std::u16string tail = u". The changes are kept, and saving is tried again after each change, from time to "
                                u"time, and when the program ends.";
    EXPECT_EQ(text,
              u"The settings could not be saved to /a/config/ (config.ini, default0.psf): the disk is full" + tail +
                  u"\n\nThe settings could not be saved to /b/mine.psf: this user may not read or write it" + tail);
    EXPECT_EQ(ui::WithValues(u"%1 and %2, %3", {u"%2", u"x"}), u"%2 and x, %3") << "values are not read again";
}

// A picture of the skins that is there but unusable is named with what is wrong with it, whether
// it is decoded at once or only looked at until it is first shown.
TEST_F(FileNoticesTest, BrokenSkinPicturesAreNamedWithWhatIsWrong) {
    ui::ClearMissingSkinImages();
    const fs::path skins = dir_.path() / "skins";
    fs::create_directories(skins);
    writeBytes(skins / "empty.png", {});
    const auto good = readBytes(std::string(QV_BIN_DIR) + "/skins/button2_nr.png");
    writeBytes(skins / "cut.png", std::vector<unsigned char>(good.begin(), good.begin() + long(good.size() / 2)));
    writeBytes(skins / "text.png", {'h', 'e', 'l', 'l', 'o'});
    ui::SkinImage image;
    for (const char* name : {"empty.png", "cut.png", "text.png", "gone.png"})
        EXPECT_FALSE(image.load((skins / name).string())) << name;
    EXPECT_FALSE(ui::SkinFilePresent((skins / "empty.png").string())) << "already named, named once";
    writeBytes(skins / "later.png", {'x'});
    EXPECT_FALSE(ui::SkinFilePresent((skins / "later.png").string()));
    EXPECT_TRUE(ui::SkinFilePresent(std::string(QV_BIN_DIR) + "/skins/button2_nr.png"));

    std::vector<std::pair<std::string, std::string>> found;
    for (const ui::SkinProblem& p : ui::SkinImageProblems())
        found.push_back({fs::path(p.path).filename().string(), p.what.substr(0, p.what.find(" ("))});
    EXPECT_EQ(found, (std::vector<std::pair<std::string, std::string>>{
                         {"empty.png", "empty"},
                         {"cut.png", "cannot be read as a picture"},
                         {"text.png", "not a picture"},
                         {"gone.png", "missing"},
                         {"later.png", "not a picture"},
                     }));
    EXPECT_EQ(ui::MissingSkinImages().size(), 5u);

    // Once the start has looked, a picture that breaks later (a dialog's, when it first opens) is
    // told as it fails, once.
    std::vector<ui::SkinProblem> toldLater;
    ui::SetSkinProblemObserver([&](const ui::SkinProblem& problem) { toldLater.push_back(problem); });
    writeBytes(skins / "dialog.png", std::vector<unsigned char>(good.begin(), good.begin() + long(good.size() / 3)));
    EXPECT_FALSE(image.load((skins / "dialog.png").string()));
    EXPECT_FALSE(image.load((skins / "dialog.png").string()));
    EXPECT_FALSE(image.load((skins / "empty.png").string())) << "told at the start already";
    ASSERT_EQ(toldLater.size(), 1u);
    EXPECT_EQ(toldLater[0].path, (skins / "dialog.png").string());
    EXPECT_EQ(toldLater[0].what.substr(0, toldLater[0].what.find(" (")), "cannot be read as a picture");
    ui::SetSkinProblemObserver(nullptr);
    ui::ClearMissingSkinImages();
}

TEST_F(FileNoticesTest, ADamagedInstallationIsToldOnceInTheWindow) {
    start("0", {device::Form::Wired});
    dlg().ShowFileNotice(ui::BrokenInstallationMessage(3, "/p/skins/exit_nr.png"));
    EXPECT_EQ(dlg().OpenFileNotice(), nullptr);
    loop.runUntilIdle();
    EXPECT_EQ(noticeText(), u"The installation is damaged: 3 of its files are missing or broken, among them "
                            u"/p/skins/exit_nr.png. Reinstall the program; standard error names each file and what "
                            u"is wrong with it.");
    // Without the language's words (the language file is among the damage) it is said in English.
    model::ResetLanguageTables();
    EXPECT_EQ(ui::BrokenInstallationMessage(3, "/p/skins/exit_nr.png"), noticeText());
}

} // namespace
} // namespace quorvik::test
