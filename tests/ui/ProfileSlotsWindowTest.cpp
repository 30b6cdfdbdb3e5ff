// Adding, renaming and deleting profiles through the real window: which slot Add hands out (from
// any show list), what Delete does to the list, the tabs' menu, and the name dialogs.
#include "ProfileAreaSupport.h"

namespace quorvik::test {
namespace {

TEST_F(ProfileAreaTest, AddHandsOutSlot3ThenSlot4ThenShowsTheLimit) {
    start("0", {Form::Wired});
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 1, 2}));
    model::Profile(3).SetPairValue(model::kPairProfileName, u"an old profile");

    DialogScript script;
    script.then([&](ui::CDlgBase& dialog) {
        EXPECT_NE(dynamic_cast<ui::CAddProfileDlg*>(&dialog), nullptr);
        EXPECT_EQ(dialog.FindControl(ui::kIdDialogPrompt)->text(), model::LanguageText(kTextAddPrompt));
        EXPECT_EQ(dialog.GetEditText(ui::CAddProfileDlg::kNameEdit), u"");
        EXPECT_TRUE(dialog.Edit(ui::CAddProfileDlg::kNameEdit)->alignment() & Qt::AlignHCenter);
        EXPECT_EQ(dialog.FindControl(ui::kIdDialogOk)->text(), model::LanguageText(4));
        EXPECT_EQ(dialog.FindControl(ui::kIdDialogCancel)->text(), model::LanguageText(5));
        // Escape does nothing; an empty name (a line break is no name) is refused and the dialog stays.
        loop.send(dialog.hwnd(), platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
        EXPECT_TRUE(dialog.IsOpen());
        dialog.SetEditText(ui::CAddProfileDlg::kNameEdit, u"\n");
        clickIn(dialog, ui::kIdDialogOk);
        EXPECT_TRUE(dialog.IsOpen());
        // Enter confirms.
        dialog.SetEditText(ui::CAddProfileDlg::kNameEdit, u"Work\r\n");
        loop.send(dialog.hwnd(), platform::WM_KEYDOWN, platform::VK_RETURN, 0);
    });
    script.then(attention(kTextEmptyName));
    clickControl(kProfileAdd);
    ASSERT_TRUE(script.done());

    model::ProfileRecord expected;
    expected.ResetToFactory(0);
    expected.SetPairValue(model::kPairProfileName, u"Work");
    EXPECT_EQ(model::Profile(3), expected);
    EXPECT_EQ(config().ProfileShowCount(), 4);
    EXPECT_EQ(model::CurrentSlot(), 0) << "the new profile is not made current";
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(area().Tab(3)->text(), u"Work");
    // Committed: the configuration and the slot's file on disk.
    EXPECT_EQ(savedConfig().ProfileShowCount(), 4);
    model::ProfileRecord stored;
    loop.runUntilIdle(); // the save is written off the main thread
    ASSERT_TRUE(model::ReadProfileRecord(stored, config().ProfileSlotPath(3)));
    EXPECT_EQ(stored, expected);

    addProfile(u"Play");
    EXPECT_EQ(nameOf(4), u"Play");
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 1, 2, 3, 4}));

    const std::vector<Bytes> before = allFiles();
    script.then(attention(kTextLimit));
    clickControl(kProfileAdd);
    EXPECT_TRUE(script.done()) << "the limit message, and no name dialog";
    EXPECT_EQ(allFiles(), before);
    // None of it concerns the mouse.
    EXPECT_EQ(codesAfterDownload(), Codes{});
    EXPECT_FALSE(marked(SettingGroup::Buttons));

    // Cancel adds nothing.
    model::Config().SetProfileShowCount(3);
    script.then(cancel());
    clickControl(kProfileAdd);
    EXPECT_EQ(config().ProfileShowCount(), 3);
}

TEST_F(ProfileAreaTest, DeleteMovesTheSlotToTheEndKeepsItsFileAndAddTakesTheFreeSlot) {
    start("0", {Form::Wired});
    addProfile(u"Work");
    ASSERT_EQ(showList(), (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_EQ(config().ProfileShowCount(), 4);
    model::Profile(1).SetPairValue(model::kPairProfileName, u"Kept");
    model::SaveAllProfiles();
    const Bytes slot1 = slotFile(1);
    const model::ProfileRecord record1 = model::Profile(1);

    chooseInSlotMenu(1, ui::CProfileArea::kDelete, false);
    // The command runs 100 ms after the choice.
    loop.advance(ui::CProfileArea::kCommandDelayMs - 1);
    EXPECT_EQ(config().ProfileShowCount(), 4);
    loop.advance(1);
    EXPECT_EQ(showList(), (std::vector<int>{0, 2, 3, 4, 1}));
    EXPECT_EQ(config().ProfileShowCount(), 3);
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 2, 3}));
    EXPECT_FALSE(area().Tab(1)->isLive());
    EXPECT_EQ(model::Profile(1), record1);
    EXPECT_EQ(slotFile(1), slot1) << "record and file stay";
    const model::ConfigPairs saved = savedConfig();
    EXPECT_EQ(saved.ProfileShowCount(), 3);
    EXPECT_EQ(saved.ProfileShowList(4), 1);

    addProfile(u"Next");
    EXPECT_EQ(nameOf(4), u"Next") << "slot 4 was free already";
    EXPECT_EQ(nameOf(1), u"Kept");
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 2, 3, 4}));
}

// A show list from a file that is no permutation (a slot twice, a count of 0) is used as written,
// and Add hands out only a slot that is neither shown nor in use: a profile is never reset under
// the user.
TEST_F(ProfileAreaTest, AddNeverResetsAShownProfileWhateverTheShowList) {
    start("0", {Form::Wired});
    const std::vector<int> repeated{0, 1, 2, 2, 4};
    for (int position = 0; position < 5; ++position)
        config().SetProfileShowList(position, repeated[std::size_t(position)]);
    config().SetProfileShowCount(3);
    ASSERT_TRUE(model::WriteConfiguration());
    const Bytes written = readBytes(model::ConfigFilePath());
    model::Profile(2).SetPairValue(model::kPairProfileName, u"Shown");
    dlg().RefreshAllPages();
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(readBytes(model::ConfigFilePath()), written) << "the list stays as written until an Add saves it";

    addProfile(u"New");
    EXPECT_EQ(nameOf(3), u"New") << "slot 3: the first slot neither shown nor current";
    EXPECT_EQ(nameOf(2), u"Shown");
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(savedConfig().ProfileShowCount(), 4);
    EXPECT_EQ(savedConfig().ProfileShowList(3), 3);

    // Slots 0..3 shown and slot 4 current: no slot is free, so Add says the limit is reached.
    area().SelectSlot(4);
    DialogScript script;
    script.then(attention(kTextLimit));
    clickControl(kProfileAdd);
    EXPECT_TRUE(script.done());

    // A count of 0 shows nothing; Add still leaves the profile in use alone.
    area().SelectSlot(0);
    config().SetProfileShowCount(0);
    model::Profile(0).SetPairValue(model::kPairProfileName, u"In use");
    addProfile(u"Other");
    EXPECT_EQ(nameOf(0), u"In use");
    EXPECT_EQ(nameOf(1), u"Other");
    EXPECT_EQ(tabsShown(), (std::vector<int>{1}));
    EXPECT_EQ(showList(), (std::vector<int>{1, 0, 2, 3, 4})) << "the slot changes places with the one at position 0";
}

// The lowest tabs' menus would reach past the window's bottom: they open inside it, and their
// entries still choose what they show.
TEST_F(ProfileAreaTest, ATabsMenuStaysInsideTheWindow) {
    start("0", {Form::Wired});
    addProfile(u"Four");
    addProfile(u"Five");
    ASSERT_EQ(tabsShown(), (std::vector<int>{0, 1, 2, 3, 4}));
    const ui::Rect& tab = area().Tab(4)->rect();
    const int x = (tab.left + tab.right) / 2, y = (tab.top + tab.bottom) / 2;
    mouse(dlg(), platform::WM_MOUSEMOVE, x, y);
    mouse(dlg(), platform::WM_RBUTTONUP, x, y);
    const platform::WindowHandle menu = dlg().Popup(kPopupSlotControl);
    ASSERT_NE(menu, 0u);
    const QRect placed = platform::NativeWindow::fromHandle(menu)->geometry();
    const QRect window(dlg().window()->mapToGlobal(QPoint(0, 0)), QSize(dlg().Width(), dlg().Height()));
    EXPECT_TRUE(window.adjusted(ui::Scaled(6), ui::Scaled(6), -ui::Scaled(6), -ui::Scaled(6)).contains(placed))
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
    EXPECT_EQ(placed.left(), dlg().window()->mapToGlobal(QPoint(x, y)).x());
    EXPECT_LT(placed.top(), dlg().window()->mapToGlobal(QPoint(x, y)).y());

    // A new right-click replaces the menu.
    DialogScript script;
    script.then([&](ui::CDlgBase& dialog) {
        EXPECT_EQ(dialog.GetEditText(ui::CAddProfileDlg::kNameEdit), u"Five");
        clickIn(dialog, ui::kIdDialogCancel);
    });
    chooseInSlotMenu(4, ui::CProfileArea::kRename);
    EXPECT_TRUE(script.done());
}

TEST_F(ProfileAreaTest, TheProfileInUseIsNotDeleted) {
    start("0", {Form::Wired});
    area().SelectSlot(2);
    loop.advance(300);
    const std::vector<Bytes> files = allFiles();
    const std::vector<int> list = showList();
    DialogScript script;
    script.then(attention(kTextDeleteCurrent));
    chooseInSlotMenu(2, ui::CProfileArea::kDelete);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(showList(), list);
    EXPECT_EQ(config().ProfileShowCount(), 3);
    EXPECT_EQ(allFiles(), files);
    EXPECT_EQ(tabsShown(), (std::vector<int>{0, 1, 2}));
}

TEST_F(ProfileAreaTest, RenameKeepsTheNameOnEmptyTextAndTakesANameOnOneLine) {
    start("0", {Form::Wired});
    DialogScript script;
    script.then([&](ui::CDlgBase& dialog) {
        EXPECT_NE(dynamic_cast<ui::CEditProfileDlg*>(&dialog), nullptr);
        EXPECT_EQ(dialog.FindControl(ui::kIdDialogPrompt)->text(), model::LanguageText(kTextRenamePrompt));
        EXPECT_EQ(dialog.GetEditText(ui::CAddProfileDlg::kNameEdit), u"Profile 1");
        dialog.SetEditText(ui::CAddProfileDlg::kNameEdit, u"");
        clickIn(dialog, ui::kIdDialogOk);
        EXPECT_TRUE(dialog.IsOpen());
        loop.send(dialog.hwnd(), platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
        EXPECT_TRUE(dialog.IsOpen());
        clickIn(dialog, ui::kIdDialogCancel);
    });
    script.then(attention(kTextEmptyName));
    clickControl(kProfileRename);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(nameOf(0), u"Profile 1");

    // Through a tab's menu, for that tab's slot.
    script.then([&](ui::CDlgBase& dialog) {
        EXPECT_EQ(dialog.GetEditText(ui::CAddProfileDlg::kNameEdit), u"Profile 3");
        dialog.SetEditText(ui::CAddProfileDlg::kNameEdit, u"Fast\nShooter\t=1");
        clickIn(dialog, ui::kIdDialogOk);
    });
    chooseInSlotMenu(2, ui::CProfileArea::kRename);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(nameOf(2), u"FastShooter=1");
    EXPECT_EQ(area().Tab(2)->text(), u"FastShooter=1");
    model::ProfileRecord stored;
    loop.runUntilIdle(); // the save is written off the main thread
    ASSERT_TRUE(model::ReadProfileRecord(stored, config().ProfileSlotPath(2)));
    EXPECT_EQ(stored.PairValue(model::kPairProfileName), u"FastShooter=1");
    // The label names the profile in use, which did not change.
    EXPECT_EQ(dlg().FindControl(kProfileNameLabel)->text(), u"Profile 1");
    EXPECT_EQ(codesAfterDownload(), Codes{});

    // The button renames the profile in use, whichever slot that is.
    clickControl(kFirstSlotTab + 1);
    loop.advance(300);
    takeCodes();
    script.then([&](ui::CDlgBase& dialog) {
        EXPECT_EQ(dialog.GetEditText(ui::CAddProfileDlg::kNameEdit), u"Profile 2");
        dialog.SetEditText(ui::CAddProfileDlg::kNameEdit, u"Second");
        clickIn(dialog, ui::kIdDialogOk);
    });
    clickControl(kProfileRename);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(nameOf(1), u"Second");
    EXPECT_EQ(nameOf(0), u"Profile 1");
    EXPECT_EQ(area().Tab(1)->text(), u"Second");
    EXPECT_EQ(dlg().FindControl(kProfileNameLabel)->text(), u"Second");
    loop.runUntilIdle(); // the save is written off the main thread
    ASSERT_TRUE(model::ReadProfileRecord(stored, config().ProfileSlotPath(1)));
    EXPECT_EQ(stored.PairValue(model::kPairProfileName), u"Second");
    EXPECT_EQ(codesAfterDownload(), Codes{});
}

} // namespace
} // namespace quorvik::test
