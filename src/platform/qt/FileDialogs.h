// The desktop's open and save dialogs, asked the way the program's callers have always asked them:
// a title, a filter in the form "mkf file(*.mkf)|*.mkf||", a default extension and a proposed
// file name, starting in the process's current directory.
//
// Tests answer the dialogs through SetFileDialogAnswerer instead of a person.
#pragma once

#include "platform/EventLoop.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

namespace quorvik::platform {

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    WindowHandle owner = 0;
    std::u16string title;
    // Pairs of description and patterns, each ended by "|", the list ended by one more "|":
    // "mkf file(*.mkf)|*.mkf||". Several patterns in one pair are separated by ";".
    std::u16string filter;
    // Without the dot; added to a chosen name that has no extension of its own. Empty for none.
    std::u16string defaultExtension;
    // The name the dialog proposes (may be just ".mkf").
    std::u16string fileName;
    // Where the dialog starts; empty for the process's current directory.
    std::string folder;
    // Open dialogs: only an existing file may be chosen.
    bool fileMustExist = true;
    // Save dialogs: ask before replacing an existing file.
    bool confirmOverwrite = true;
    // The desktop dialogs Qt offers have no read-only box, so there is none to hide; kept so that
    // callers state what they want.
    bool showReadOnlyBox = false;
};

// Runs the dialog (modal over the owner) and returns the chosen path with the default extension
// added where the name had none, or nothing when the user cancelled.
std::optional<std::string> RunFileDialog(const FileDialogRequest& request);

// The program is ending: every desktop dialog that RunFileDialog is running is cancelled, so its
// caller gets nothing and the loops below it can end. Dialogs answered by an answerer never wait.
void CancelRunningFileDialogs();
// Desktop dialogs running now (tests).
std::size_t RunningFileDialogCount();

// The answer a person would give: the path they picked or typed (relative paths are taken from
// the dialog's starting folder), or nothing for Cancel. An empty function restores the desktop's
// dialog.
using FileDialogAnswerer = std::function<std::optional<std::string>(const FileDialogRequest&)>;
void SetFileDialogAnswerer(FileDialogAnswerer answerer);

// "mkf file(*.mkf)|*.mkf||" → {"mkf file (*.mkf)"}: Qt reads the patterns from the parentheses.
QStringList QtNameFilters(std::u16string_view filter);
// The path with ".<extension>" added when its file name has no extension; an open request keeps a
// path that names an existing file as it is.
std::string WithDefaultExtension(const std::string& path, std::u16string_view extension, bool keepExisting);
// The folder a request starts in: its own, or the process's current directory.
std::string StartFolder(const FileDialogRequest& request);

} // namespace quorvik::platform
