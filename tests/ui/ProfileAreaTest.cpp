// The profiles panel through the real window: selecting, importing and exporting profiles with
// the tabs, the buttons, the profile list and the tabs' context menu, with the dialogs answered
// as a user would; what each does to the records, the files and the mouse. Also the factory reset,
// the no-access warning and the tray's battery tip, and the panel as drawn at both display
// factors in both languages.
#include "ProfileAreaSupport.h"

namespace quorvik::test {
namespace {

TEST_F(ProfileAreaTest, AnExportedProfileImportedIntoAnotherSlotGivesTheSameFile) {
    start("0", {Form::Wired});
    profile().DPILevelIndication[2] = 0x123456;
    profile().SetPairValue(model::kPairProfileName, u"Mine");
    model::SaveAllProfiles();
    const std::string exported = (dir_.path() / "mine.psf").string();
    std::vector<platform::FileDialogRequest> asked;
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest& request) -> std::optional<std::string> {
        asked.push_back(request);
        return exported;
    });

    clickControl(kProfileExport);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, platform::FileDialogRequest::Kind::Save);
    EXPECT_EQ(asked[0].title, model::LanguageText(143));
    EXPECT_EQ(asked[0].filter, u"psf file(*.psf)|*.psf||");
    EXPECT_EQ(asked[0].defaultExtension, u"psf");
    EXPECT_EQ(asked[0].fileName, u".psf");
    EXPECT_EQ(asked[0].folder, "") << "the process's current directory";
    EXPECT_EQ(readBytes(exported), slotFile(0));

    const Bytes before2 = slotFile(2);
    chooseInSlotMenu(2, ui::CProfileArea::kImport);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].kind, platform::FileDialogRequest::Kind::Open);
    EXPECT_EQ(asked[1].title, model::LanguageText(142));
    EXPECT_EQ(asked[1].filter, u"psf file(*.psf)|*.psf||");
    EXPECT_EQ(asked[1].defaultExtension, u"psf");
    EXPECT_EQ(asked[1].fileName, u".psf");
    EXPECT_TRUE(asked[1].fileMustExist);
    EXPECT_NE(slotFile(2), before2);
    EXPECT_EQ(slotFile(2), readBytes(exported));
    EXPECT_EQ(model::Profile(2), model::Profile(0));
    EXPECT_EQ(area().Tab(2)->text(), u"Mine");
    // An import sends nothing; the settings go with the next download of their groups.
    EXPECT_FALSE(marked(SettingGroup::Buttons));
    EXPECT_FALSE(marked(SettingGroup::SensorLighting));
    EXPECT_EQ(codesAfterDownload(), Codes{});

    // A file that cannot be written is said so.
    const std::string nowhere = (dir_.path() / "missing" / "x.psf").string();
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) { return std::optional(nowhere); });
    DialogScript script;
    script.then(attention(416));
    clickControl(kProfileExport);
    EXPECT_TRUE(script.done());

    // Cancelled dialogs change nothing.
    platform::SetFileDialogAnswerer([](const platform::FileDialogRequest&) { return std::nullopt; });
    const std::vector<Bytes> files = allFiles();
    clickControl(kProfileImport);
    clickControl(kProfileExport);
    EXPECT_EQ(allFiles(), files);
}

// The buttons act on the profile in use and a tab's menu on that tab's profile, whichever slots
// those are.
TEST_F(ProfileAreaTest, ExportAndImportGoToTheSlotInUseOrTheTabsSlot) {
    start("0", {Form::Wired});
    model::Profile(1).SetPairValue(model::kPairProfileName, u"One");
    model::Profile(2).SetPairValue(model::kPairProfileName, u"Two");
    model::Profile(2).DPILevelIndication[0] = 0x0000AA;
    model::SaveAllProfiles();
    clickControl(kFirstSlotTab + 1);
    loop.advance(300);
    takeCodes();
    ASSERT_EQ(model::CurrentSlot(), 1);
    std::string answer;
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) { return std::optional(answer); });

    answer = (dir_.path() / "one.psf").string();
    clickControl(kProfileExport);
    EXPECT_EQ(readBytes(answer), slotFile(1));
    answer = (dir_.path() / "two.psf").string();
    chooseInSlotMenu(2, ui::CProfileArea::kExport);
    EXPECT_EQ(readBytes(answer), slotFile(2)) << "the tab's slot, not the one in use";
    EXPECT_NE(slotFile(2), slotFile(1));

    const Bytes slot0 = slotFile(0), slot2 = slotFile(2);
    clickControl(kProfileImport); // two.psf, into the profile in use
    EXPECT_EQ(slotFile(1), slot2);
    EXPECT_EQ(model::Profile(1), model::Profile(2));
    EXPECT_EQ(slotFile(0), slot0);
    EXPECT_EQ(dlg().FindControl(kProfileNameLabel)->text(), u"Two");
    EXPECT_EQ(codesAfterDownload(), Codes{});
}

TEST_F(ProfileAreaTest, ABrokenFileImportedGivesTheSlotItsFactoryProfile) {
    start("0", {Form::Wired});
    model::Profile(1).SetPairValue(model::kPairProfileName, u"Custom");
    model::Profile(1).DPIOffOnFlagValue = 0x03;
    model::SaveAllProfiles();
    const std::string broken = (dir_.path() / "broken.psf").string();
    writeBytes(broken, utf16File(u"[Setting]\nProfileName=half a file\n"));
    const Bytes brokenBytes = readBytes(broken);
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) { return std::optional(broken); });

    chooseInSlotMenu(1, ui::CProfileArea::kImport);
    model::ProfileRecord factory;
    factory.ResetToFactory(1);
    EXPECT_EQ(model::Profile(1), factory);
    const std::u16string text = model::FormatProfileText(factory);
    EXPECT_EQ(slotFile(1), utf16File(text)) << "the defaults go to the slot's own file";
    EXPECT_EQ(readBytes(broken), brokenBytes) << "the chosen file is left alone";
    EXPECT_EQ(nameOf(1), u"Profile 2");
    // Nothing goes to the mouse, as with any import.
    for (std::size_t group = 0; group < device::kSettingGroupCount; ++group)
        EXPECT_FALSE(marked(SettingGroup(group))) << "group " << group;
    EXPECT_EQ(codesAfterDownload(), Codes{});
}

TEST_F(ProfileAreaTest, SelectWritesNoFileAndSendsOnlyWhatDiffers) {
    start("0", {Form::Wired});
    // Slot 1 differs from the profile the mouse holds in one button, one level colour and the
    // power-saving time.
    model::ProfileRecord& other = model::Profile(1);
    other.buttons[2].Value = model::KeyFunctionCode{{0x10, 0x10, 0x00}};
    other.DPILevelIndication[0] = 0x00FF00;
    other.SetPairValue(model::kPairPowerDownTime, 9);
    model::SaveAllProfiles();
    const std::vector<Bytes> files = allFiles();

    clickControl(kFirstSlotTab + 1);
    EXPECT_EQ(model::CurrentSlot(), 1);
    EXPECT_EQ(config().CurrentProfile(), 1);
    EXPECT_TRUE(area().Tab(1)->IsSelected());
    EXPECT_FALSE(area().Tab(0)->IsSelected());
    EXPECT_EQ(dlg().FindControl(kProfileNameLabel)->text(), u"Profile 2");
    EXPECT_TRUE(marked(SettingGroup::Buttons));
    EXPECT_TRUE(marked(SettingGroup::SensorLighting));
    EXPECT_FALSE(marked(SettingGroup::Power));
    EXPECT_EQ(codesAfterDownload(), (Codes{device::kCmdButton, device::kCmdDpiColours}));
    EXPECT_EQ(mouse_->state().buttons[2], (std::array<std::uint8_t, 3>{0x10, 0x10, 0x00}));
    EXPECT_EQ(allFiles(), files) << "selecting writes no file";
    // The choice reaches the file with the delayed save of the download.
    loop.advance(device::kDelayedSaveMs);
    EXPECT_EQ(savedConfig().CurrentProfile(), 1);

    // Back through the profile list: entry 2 is the first visible profile.
    ui::CComboProfilePopup* list = openList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Shown().current, 1);
    chooseRow(list->hwnd(), 1, ui::CComboProfilePopup::kRowHeightUnits);
    EXPECT_EQ(model::CurrentSlot(), 0);
    EXPECT_EQ(area().List(), 0u);
    EXPECT_EQ(codesAfterDownload(), (Codes{device::kCmdButton, device::kCmdDpiColours}));
}

TEST_F(ProfileAreaTest, TheListShowsTheVisibleProfilesInShowListOrder) {
    start("0", {Form::Wired});
    addProfile(u"Work");
    chooseInSlotMenu(1, ui::CProfileArea::kDelete); // list 0 2 3 4 1, three visible
    ui::CComboProfilePopup* list = openList();
    ASSERT_NE(list, nullptr);
    const auto& items = list->Items();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, model::LanguageText(10));
    EXPECT_EQ(items[0].id, 1);
    EXPECT_EQ(items[1].text, u"Profile 1");
    EXPECT_EQ(items[2].text, u"Profile 3");
    EXPECT_EQ(items[3].text, u"Work");
    EXPECT_EQ(items[4].text, model::LanguageText(200));
    EXPECT_EQ(items[4].id, 7);
    auto* window = platform::NativeWindow::fromHandle(list->hwnd());
    EXPECT_EQ(window->height(), 5 * ui::Scaled(ui::CComboProfilePopup::kRowHeightUnits));
    const ui::Rect& selector = dlg().FindControl(kProfileSelector)->rect();
    EXPECT_EQ(window->pos(), dlg().window()->mapToGlobal(QPoint(selector.left, selector.bottom)));

    // The header does nothing; entry 4 (position 2) selects what it shows.
    chooseRow(list->hwnd(), 0, ui::CComboProfilePopup::kRowHeightUnits);
    EXPECT_NE(area().List(), 0u);
    EXPECT_EQ(model::CurrentSlot(), 0);
    chooseRow(list->hwnd(), 3, ui::CComboProfilePopup::kRowHeightUnits);
    EXPECT_EQ(model::CurrentSlot(), 3);

    // The list button opens the same list; a second click closes it.
    list = openList(kProfileList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Shown().current, 2);
    clickControl(kProfileList);
    loop.runUntilIdle();
    EXPECT_EQ(area().List(), 0u);

    // Add from the list runs 100 ms later, or says the limit is reached.
    list = openList();
    DialogScript script;
    script.then(typeName(u"Later"));
    chooseRow(list->hwnd(), 4, ui::CComboProfilePopup::kRowHeightUnits);
    EXPECT_EQ(script.shown(), 0);
    loop.advance(ui::CProfileArea::kCommandDelayMs);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(nameOf(4), u"Later") << "position 3 holds slot 4";
    addProfile(u"Fifth");
    EXPECT_EQ(nameOf(1), u"Fifth");
    list = openList();
    ASSERT_EQ(list->Items().size(), 7u);
    script.then(attention(kTextLimit));
    chooseRow(list->hwnd(), 6, ui::CComboProfilePopup::kRowHeightUnits);
    loop.advance(ui::CProfileArea::kCommandDelayMs);
    EXPECT_TRUE(script.done());
}

TEST_F(ProfileAreaTest, FactoryResetKeepsTheNameOfTheProfileInUse) {
    start("0", {Form::Wired});
    clickControl(kFirstSlotTab + 2);
    loop.advance(300);
    profile().SetPairValue(model::kPairProfileName, u"Mine");
    profile().DPILevelIndication[1] = 0x654321;
    takeCodes();
    DialogScript script;
    script.then([this](ui::CDlgBase& dialog) { clickIn(dialog, ui::CFirmwareResetDlg::kOkId); });
    clickControl(kFactoryReset);
    loop.advance(1000);
    EXPECT_TRUE(script.done());
    model::ProfileRecord expected;
    expected.ResetToFactory(2);
    expected.SetPairValue(model::kPairProfileName, u"Mine");
    EXPECT_EQ(model::Profile(2), expected);
    EXPECT_EQ(slotFile(2), utf16File(model::FormatProfileText(expected)));
    EXPECT_EQ(takeCodes(), Codes{device::kCmdFactoryReset});
    EXPECT_EQ(area().Tab(2)->text(), u"Mine");
    EXPECT_EQ(dlg().FindControl(kProfileNameLabel)->text(), u"Mine");
}

TEST_F(ProfileAreaTest, AMouseTheUserMayNotOpenIsExplainedOnceAtStart) {
    mouse_->plug(Form::Wired);
    for (int i = 0; i < int(emulator::kInterfacesPerForm); ++i)
        bus_.setOpenError(*bus_.interfacePath(i), EACCES);
    start("0", {});
    loop.advance(device::kNoMouseDelayMs);
    ui::CAttentionDlg* warning = dlg().OpenWarning();
    ASSERT_NE(warning, nullptr);
    const std::u16string text = AttentionText(*warning);
    EXPECT_EQ(text, ui::rules::WithValue(model::LanguageText(410), model::ToU16(*bus_.interfacePath(0))));
    EXPECT_NE(text.find(u"70-quorvik.rules"), std::u16string::npos);
    // The long message makes the dialog taller, so that every line of it shows.
    auto* message = warning->FindControlAs<ui::CStaticText>(ui::CAttentionDlg::kMessageId);
    const QRect needed = QFontMetrics(message->font())
                             .boundingRect(QRect(0, 0, message->rect().width(), 10000),
                                           int(Qt::AlignHCenter | Qt::TextWordWrap), QString::fromStdU16String(text));
    EXPECT_GT(warning->Height(), ui::Scaled(ui::CAttentionDlg::kHeightUnits));
    EXPECT_LE(needed.height(), message->rect().height());
    EXPECT_LE(message->rect().bottom, warning->FindControl(ui::CAttentionDlg::kOkId)->rect().top);
    EXPECT_LE(warning->FindControl(ui::CAttentionDlg::kOkId)->rect().bottom, warning->Height());
    if (const char* dir = std::getenv("QV_RENDER_DIR"))
        warning->window()->grab().toImage().save(QString::fromStdString(std::string(dir) + "/no-access.png"));
}

// The tray's tip: the battery's line, then the profile in use.
QString TrayTip(std::u16string_view battery) {
    return QString::fromStdU16String(std::u16string(battery) + u"\nProfile: " +
                                     model::Profile(model::CurrentSlot()).PairValue(model::kPairProfileName));
}

TEST_F(ProfileAreaTest, TheTrayTipFollowsTheBatteryAndALowLevelIsToldOncePerFall) {
    services_.trayIcon = true;
    std::vector<std::u16string> told;
    services_.notify = [&](const std::u16string& title, const std::u16string& text) {
        EXPECT_EQ(title, model::LanguageText(414));
        told.push_back(text);
    };
    auto status = mouse_->status();
    status.battery = 76;
    status.chargeState = 0;
    mouse_->setStatus(status);
    start("0", {Form::Wired});
    ASSERT_NE(dlg().Tray(), nullptr);
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse"));
    loop.advance(1000); // the battery display's tick after the start-up status
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse — 76 %"));

    status.battery = 12;
    mouse_->setStatus(status);
    loop.advance(21000);
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse — 12 %"));
    EXPECT_EQ(told, std::vector<std::u16string>{u"The mouse battery is at 12 %. Charge the mouse soon."});
    status.battery = 9;
    mouse_->setStatus(status);
    loop.advance(21000);
    EXPECT_EQ(told.size(), 1u) << "one notice per fall";

    status.chargeState = 1;
    mouse_->setStatus(status);
    loop.advance(21000);
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse — charging"));
    status.chargeState = 2;
    mouse_->setStatus(status);
    loop.advance(21000);
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse — fully charged"));
    // The second line names the profile in use.
    clickControl(kFirstSlotTab + 1);
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse — fully charged"));
    EXPECT_TRUE(
        dlg().Tray()->Tip().endsWith(QString::fromStdU16String(model::Profile(1).PairValue(model::kPairProfileName))));
}

// The receiver answers for a mouse that is switched off with whatever level it last heard: until
// the mouse itself is online that is no news, neither in the tip nor as a notice.
TEST_F(ProfileAreaTest, TheTrayTellsNothingOfAMouseThatIsNotOnline) {
    services_.trayIcon = true;
    std::vector<std::u16string> told;
    services_.notify = [&](const std::u16string&, const std::u16string& text) { told.push_back(text); };
    auto status = mouse_->status();
    status.battery = 5;
    status.chargeState = 0;
    status.online = false;
    mouse_->setStatus(status);
    start("0", {Form::Receiver});
    ASSERT_NE(dlg().Tray(), nullptr);
    loop.advance(45000);
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse"));
    EXPECT_TRUE(told.empty()) << model::ToUtf8(told.front());

    status.online = true;
    mouse_->setStatus(status);
    loop.advance(21000);
    EXPECT_EQ(dlg().Tray()->Tip(), TrayTip(u"Gaming Mouse — 5 %"));
    EXPECT_EQ(told, std::vector<std::u16string>{u"The mouse battery is at 5 %. Charge the mouse soon."});
}

// At login the autostart entry often runs before the panel's tray exists: the program makes its
// icon all the same (Qt puts it in place once a tray appears), here where there is no tray at all.
TEST_F(ProfileAreaTest, TheProgramMakesItsTrayIconWithoutATrayUp) {
    ASSERT_FALSE(platform::TrayIcon::Available()) << "offscreen has no tray";
    EXPECT_TRUE(ui::CQuorvikDlg::DefaultServices().trayIcon);
}

// The panel as drawn: every tab, the selector and the buttons inside the panel, clear of each
// other, each caption whole, at both display factors and in both languages. Pictures go to
// QV_RENDER_DIR when it is set.
class ProfilePanelDrawnTest : public ProfileAreaTest, public ::testing::WithParamInterface<std::tuple<double, bool>> {};

TEST_P(ProfilePanelDrawnTest, NothingIsCutOff) {
    const auto [factor, chinese] = GetParam();
    platform::SetDisplayScaleFactor(factor);
    std::filesystem::create_directories(dir_.path() / "config");
    writeBytes(dir_.path() / "config" / "LanSetting.ini",
               utf16File(chinese ? u"[ChangeLanguage]\nLanguage=ZH\n" : u"[ChangeLanguage]\nLanguage=EN\n"));
    start("0", {Form::Wired});
    ASSERT_EQ(model::LanguageText(0), chinese ? u"中文" : u"English");
    for (int slot = 3; slot < 5; ++slot)
        ui::rules::AddProfile(config(), slot, model::LanguageText(85 + slot));
    dlg().RefreshAllPages();

    const auto& p = ui::layout::kPanels[ui::layout::kPanelProfiles];
    const ui::Rect panel =
        ui::ScaledRect(ui::layout::kPanelLeft, p.y, ui::layout::kPanelLeft + ui::layout::kPanelWidth, p.y + p.height);
    std::vector<int> ids = {kProfileSelector, kProfileList,   kProfileAdd,  kProfileRename,
                            kProfileImport,   kProfileExport, kApplyProfile};
    for (int slot = 0; slot < 5; ++slot)
        ids.push_back(kFirstSlotTab + slot);
    for (int id : ids) {
        ui::CControlBase* c = dlg().FindControl(id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_TRUE(c->isLive()) << id;
        const ui::Rect& r = c->rect();
        EXPECT_TRUE(r.left >= panel.left && r.right <= panel.right && r.top >= panel.top && r.bottom <= panel.bottom)
            << id << " outside the panel";
        for (int other : ids) {
            if (other != id) {
                EXPECT_FALSE(r.intersects(dlg().FindControl(other)->rect())) << id << " and " << other;
            }
        }
        if (!c->text().empty()) {
            const int width = QFontMetrics(c->font()).horizontalAdvance(QString::fromStdU16String(c->text()));
            EXPECT_LE(width, r.width() - ui::Scaled(8)) << id << " caption cut off: " << model::ToUtf8(c->text());
        }
    }
    // The name label is the selector's caption, inside it and clear of its arrow.
    ui::CControlBase* name = dlg().FindControl(kProfileNameLabel);
    const ui::Rect& selector = dlg().FindControl(kProfileSelector)->rect();
    EXPECT_TRUE(name->rect().left > selector.left && name->rect().right <= selector.right - ui::Scaled(22));
    EXPECT_LE(QFontMetrics(name->font()).horizontalAdvance(QString::fromStdU16String(name->text())),
              name->rect().width());
    // The window still has its panels and headers where they were.
    EXPECT_LE(dlg().FindControl(kPanelHeaderProfiles)->rect().bottom, panel.top);

    if (const char* dir = std::getenv("QV_RENDER_DIR"))
        dlg().window()->grab().toImage().save(QString::fromStdString(
            std::string(dir) + "/profiles-" + (chinese ? "zh-" : "en-") + (factor == 1.0 ? "1x" : "2x") + ".png"));
    // The next test reads the delivered English texts.
    writeBytes(dir_.path() / "config" / "LanSetting.ini", utf16File(u"[ChangeLanguage]\nLanguage=EN\n"));
    model::LoadLanguageTables();
}

INSTANTIATE_TEST_SUITE_P(FactorsAndLanguages, ProfilePanelDrawnTest,
                         ::testing::Combine(::testing::Values(1.0, 2.0), ::testing::Bool()));

} // namespace
} // namespace quorvik::test
