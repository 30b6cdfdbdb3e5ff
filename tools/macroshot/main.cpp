// Draws the macro manager off screen with a sample library and a freshly recorded macro.
//
//   macroshot --render out.png     the manager after a recording, one action selected
//   --recording                    still recording (the record button on, the rest dimmed)
//   --menu insert | item           with the insert menu or the tree's item menu open
//   --scale 1.5                    display scale factor (1.0, 1.5 or 2.0)
//   --chinese                      the Chinese language file instead of the English one
//   --dialog name|key|time|move|select  one of the small dialogs instead of the manager
// Exits 1 when a skin picture is missing or the picture cannot be written.
#include "macro/MacroLibrary.h"
#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/RealClockLoop.h"
#include "platform/qt/KeyboardHook.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/ActionModifyDlgs.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/macro/MacroNameDlgs.h"
#include "ui/macro/MacroSelectDlg.h"
#include "ui/skin/SkinSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <string>

using namespace quorvik;
using macro::MacroLocation;

namespace {

void fillLibrary() {
    macro::MacroLibrary& library = macro::TheMacroLibrary();
    library.Clear();
    library.AddFolderAt(MacroLocation::At(0), u"Shooters", true);
    library.AddMacroAt(MacroLocation::At(0, 0), u"Burst fire", std::make_unique<model::MacroRecord>());
    library.AddMacroAt(MacroLocation::At(0, 1), u"Reload cancel", std::make_unique<model::MacroRecord>());
    library.AddFolderAt(MacroLocation::At(0, 2), u"Snipers", true);
    library.AddMacroAt(MacroLocation::At(0, 2, 0), u"Hold breath", std::make_unique<model::MacroRecord>());
    library.AddFolderAt(MacroLocation::At(1), u"Strategy", false);
    library.AddMacroAt(MacroLocation::At(1, 0), u"Build order", std::make_unique<model::MacroRecord>());
    library.AddMacroAt(MacroLocation::At(2), u"Greeting", std::make_unique<model::MacroRecord>());
    library.AddMacroAt(MacroLocation::At(3), u"Copy and paste", std::make_unique<model::MacroRecord>());
    library.SetNextMacroIndex(20);
    macro::CurrentMacroLocation() = MacroLocation::At(0, 0);
}

void clickAt(platform::EventLoop& loop, ui::CDlgBase& dialog, int x, int y) {
    loop.send(dialog.hwnd(), platform::WM_MOUSEMOVE, 0, platform::MakePointParam(x, y));
    loop.send(dialog.hwnd(), platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, platform::MakePointParam(x, y));
    loop.send(dialog.hwnd(), platform::WM_LBUTTONUP, 0, platform::MakePointParam(x, y));
}

void clickControl(platform::EventLoop& loop, ui::CDlgBase& dialog, int id) {
    if (ui::CControlBase* control = dialog.FindControl(id)) {
        const ui::Rect r = control->rect();
        clickAt(loop, dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
}

// What a user might record: crouch-jump, then a copy with Ctrl+C, then a reload.
void record(platform::RealClockLoop& loop, ui::CMacroManagerDlg& manager) {
    struct Key {
        unsigned vk;
        bool release;
        unsigned ms;
    };
    const Key keys[] = {{0xA2, false, 0},   {'C', false, 64},   {'C', true, 142},    {0xA2, true, 190},
                        {0x20, false, 420}, {0xA0, false, 470}, {0x20, true, 555},   {0xA0, true, 610},
                        {'R', false, 900},  {'R', true, 1012},  {0x31, false, 1300}, {0x31, true, 1381}};
    for (const Key& key : keys)
        loop.post(manager.hwnd(), platform::kKeyboardHookMessage, key.vk, platform::HookEventWord(key.release, key.ms));
    loop.processDue();
}

QImage compose(ui::CDlgBase& dialog) {
    QCoreApplication::processEvents();
    // The picture takes in the popups that reach beyond the dialog.
    const QRect frame = dialog.window()->geometry();
    QRect all = frame;
    for (int slot = 0; slot < ui::kPopupSlots; ++slot)
        if (auto* popup = platform::WindowFromHandle(dialog.Popup(slot)))
            all |= popup->geometry();
    QImage shot(all.size(), QImage::Format_RGB32);
    shot.fill(QColor(0x30, 0x32, 0x36));
    QPainter p(&shot);
    p.drawPixmap(frame.topLeft() - all.topLeft(), dialog.window()->grab());
    for (int slot = 0; slot < ui::kPopupSlots; ++slot)
        if (auto* popup = platform::WindowFromHandle(dialog.Popup(slot)))
            p.drawPixmap(popup->geometry().topLeft() - all.topLeft(), popup->grab());
    return shot;
}

} // namespace

int main(int argc, char** argv) {
    const char* renderPath = nullptr;
    const char* menu = nullptr;
    const char* small = nullptr;
    bool recording = false;
    bool chinese = false;
    double scale = 1.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--render") == 0 && i + 1 < argc)
            renderPath = argv[++i];
        else if (std::strcmp(argv[i], "--menu") == 0 && i + 1 < argc)
            menu = argv[++i];
        else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            scale = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--dialog") == 0 && i + 1 < argc)
            small = argv[++i];
        else if (std::strcmp(argv[i], "--recording") == 0)
            recording = true;
        else if (std::strcmp(argv[i], "--chinese") == 0)
            chinese = true;
        else
            renderPath = nullptr, i = argc;
    }
    if (!renderPath) {
        std::fprintf(stderr, "usage: macroshot --render out.png [--recording] [--menu insert|item] [--scale s] "
                             "[--chinese]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);

    // The delivered language files, read from a private data folder where the recording may
    // save its library file.
    QTemporaryDir data;
    const QString bin = QCoreApplication::applicationDirPath();
    QDir(data.path()).mkpath(QStringLiteral("config"));
    QFile::copy(bin + QStringLiteral("/config/Lan_EN.txt"), data.filePath(QStringLiteral("config/Lan_EN.txt")));
    QFile::copy(bin + QStringLiteral("/config/Lan.txt"), data.filePath(QStringLiteral("config/Lan.txt")));
    if (!chinese)
        QFile::copy(bin + QStringLiteral("/config/LanSetting.ini"),
                    data.filePath(QStringLiteral("config/LanSetting.ini")));
    platform::SetProgramFolder(bin.toStdString() + "/");
    platform::SetDataFolder(data.path().toStdString() + "/");
    platform::SetDisplayScaleFactor(scale);
    model::LoadLanguageTables();

    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);

    fillLibrary();
    if (small) {
        std::unique_ptr<ui::CDlgBase> dialog;
        if (std::strcmp(small, "name") == 0)
            dialog = std::make_unique<ui::CMacroKeyRenameDlg>(u"Burst fire", 0);
        else if (std::strcmp(small, "key") == 0)
            dialog = std::make_unique<ui::CActionKeyModifyDlg>(0xA1, 0);
        else if (std::strcmp(small, "time") == 0)
            dialog = std::make_unique<ui::CActionTimeModifyDlg>(250, 0);
        else if (std::strcmp(small, "move") == 0)
            dialog = std::make_unique<ui::CActionXYModifyDlg>(macro::InsertCommand::MoveLeft, 12, 0);
        else
            dialog = std::make_unique<ui::CMacroSelectDlg>(0);
        dialog->Create();
        dialog->window()->showCommand(platform::SW_SHOW);
        const QImage shot = compose(*dialog);
        return shot.save(QString::fromLocal8Bit(renderPath)) && ui::MissingSkinImages().empty() ? 0 : 1;
    }
    ui::CMacroManagerDlg manager(0);
    manager.Create();
    manager.window()->showCommand(platform::SW_SHOW);
    QCoreApplication::processEvents();
    clickControl(loop, manager, ui::kIdRecord);
    record(loop, manager);
    if (!recording) {
        clickControl(loop, manager, ui::kIdRecord);
        if (auto* list = manager.FindControl(ui::kIdActionList)) {
            const ui::Rect r = list->rect();
            clickAt(loop, manager, r.left + ui::Scaled(40), r.top + ui::Scaled(20) * 6 + ui::Scaled(8));
        }
    }
    if (menu && std::strcmp(menu, "insert") == 0) {
        clickControl(loop, manager, ui::kIdInsert);
    } else if (menu && std::strcmp(menu, "item") == 0) {
        if (auto* tree = manager.FindControl(ui::kIdMacroTree)) {
            const ui::Rect r = tree->rect();
            const int x = r.left + ui::Scaled(70), y = r.top + ui::Scaled(20) + ui::Scaled(8);
            loop.send(manager.hwnd(), platform::WM_MOUSEMOVE, 0, platform::MakePointParam(x, y));
            loop.send(manager.hwnd(), platform::WM_RBUTTONUP, 0, platform::MakePointParam(x, y));
        }
    }

    const QImage shot = compose(manager);
    if (!shot.save(QString::fromLocal8Bit(renderPath))) {
        std::fprintf(stderr, "macroshot: cannot write %s\n", renderPath);
        return 1;
    }
    for (const auto& path : ui::MissingSkinImages())
        std::fprintf(stderr, "macroshot: missing skin picture %s\n", path.c_str());
    return ui::MissingSkinImages().empty() ? 0 : 1;
}
