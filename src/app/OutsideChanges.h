// Settings files changed by another program while this one runs (a text editor, a sync tool, a
// backup restored) are noticed through the system's file notifications. With no edit of the
// window's pending, the changed profile or configuration is read again, the window shows it, and
// the mouse gets what differs. With edits pending the window's version wins (its save follows), and
// the other version is kept beside the file as "<name>.changed-outside", told once. The program's own
// saves are told apart by content: what a file held after the program last read or wrote it.
#pragma once

#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "platform/EventLoop.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <array>
#include <cstddef>
#include <map>
#include <string>

namespace quorvik::ui {
class CQuorvikDlg;
}

namespace quorvik::app {

class OutsideChanges : public QObject, private platform::MessageHandler {
    Q_OBJECT
public:
    // How long after a notification the files are looked at: an editor's save is a few writes.
    static constexpr std::uint32_t kSettleMs = 150;
    static constexpr const char* kKeptSuffix = ".changed-outside";

    explicit OutsideChanges(ui::CQuorvikDlg& window);
    ~OutsideChanges() override;

    // The program's own save has landed: what the files hold now is its own.
    void OwnSaveDone();
    // Looks at the files now (the settle timer's work).
    void Check();

private:
    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override;
    void watchFiles();
    void noticed();
    static std::map<std::string, std::string> readAll();
    void rememberFiles();
    void takeProfile(int slot, const std::string& path);
    void takeConfiguration(const std::string& path);

    ui::CQuorvikDlg& window_;
    platform::WindowHandle handle_;
    QFileSystemWatcher watcher_;
    // What the program last read or wrote: it is told apart from edits not saved yet.
    void rememberSettings();

    // Each watched file as the program last knew it: the count and a hash of the bytes read from
    // it, which tell a change without a copy of every file; missing when it was not there.
    struct FileMark {
        std::size_t size = 0;
        std::size_t hash = 0;
        bool operator==(const FileMark&) const = default;
    };
    static FileMark markOf(const std::string& bytes);
    std::map<std::string, FileMark> known_;
    // The records and the configuration as they were then.
    std::array<model::ProfileRecord, model::kProfileSlotCount> knownProfiles_;
    model::ConfigPairs knownConfig_;
};

} // namespace quorvik::app
