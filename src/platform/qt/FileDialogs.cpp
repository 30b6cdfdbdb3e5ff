#include "platform/qt/FileDialogs.h"

#include "platform/qt/NativeWindow.h"

#include <QFileDialog>
#include <QPointer>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quorvik::platform {

namespace {

FileDialogAnswerer& answerer() {
    static FileDialogAnswerer function;
    return function;
}

// The desktop dialogs running now, innermost last: their nested loops hold up every loop below
// them, so the program's exit must be able to end them.
std::vector<QPointer<QFileDialog>>& runningDialogs() {
    static std::vector<QPointer<QFileDialog>> dialogs;
    return dialogs;
}

struct RunningDialog {
    explicit RunningDialog(QFileDialog* dialog) : dialog(dialog) { runningDialogs().push_back(dialog); }
    ~RunningDialog() {
        auto& dialogs = runningDialogs();
        // A dialog deleted while it ran is left as a null pointer: that goes too.
        dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                     [this](const QPointer<QFileDialog>& d) { return d.isNull() || d == dialog; }),
                      dialogs.end());
    }
    QFileDialog* dialog;
};

std::optional<std::string> askDesktop(const FileDialogRequest& request, const std::string& folder) {
    // On the heap and watched: when its owner window goes while the dialog runs (the program is
    // ending), Qt deletes the dialog with it, and exec() returns Rejected.
    QPointer<QFileDialog> dialog = new QFileDialog(
        WindowFromHandle(request.owner), QString::fromStdU16String(request.title), QString::fromStdString(folder));
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !request.confirmOverwrite)
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog->setNameFilters(filters);
    // The dialog adds the extension itself, so its overwrite question names the real file.
    if (!request.defaultExtension.empty())
        dialog->setDefaultSuffix(QString::fromStdU16String(request.defaultExtension));
    if (!request.fileName.empty())
        dialog->selectFile(QString::fromStdU16String(request.fileName));
    int result = QDialog::Rejected;
    {
        const RunningDialog running(dialog);
        result = dialog->exec();
    }
    QStringList chosen;
    if (dialog && result == QDialog::Accepted)
        chosen = dialog->selectedFiles();
    delete dialog.data();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.front().toStdString();
}

} // namespace

void CancelRunningFileDialogs() {
    // Innermost first: each one's loop must end before the one below it can return.
    const auto dialogs = runningDialogs();
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it)
        if (*it)
            (*it)->reject();
}

std::size_t RunningFileDialogCount() {
    return runningDialogs().size();
}

void SetFileDialogAnswerer(FileDialogAnswerer function) {
    answerer() = std::move(function);
}

QStringList QtNameFilters(std::u16string_view filter) {
    const QStringList fields = QString::fromUtf16(filter.data(), qsizetype(filter.size())).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        QString description = fields[i].trimmed();
        const QString patterns = fields[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            break; // the closing "||"
        // The description often shows its patterns already; Qt would read those, not the real ones.
        if (const qsizetype open = description.lastIndexOf(u'('); open >= 0 && description.endsWith(u')'))
            description = description.left(open).trimmed();
        QString list = patterns;
        list.replace(u';', u' ');
        filters << QStringLiteral("%1 (%2)").arg(description, list.simplified());
    }
    return filters;
}

std::string WithDefaultExtension(const std::string& path, std::u16string_view extension, bool keepExisting) {
    if (path.empty() || extension.empty())
        return path;
    const std::filesystem::path p(path);
    std::error_code error;
    if (keepExisting && std::filesystem::is_regular_file(p, error))
        return path;
    const std::string name = p.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot + 1 < name.size())
        return path;
    const std::string ext = QString::fromStdU16String(std::u16string(extension)).toStdString();
    if (dot != std::string::npos && dot + 1 == name.size())
        return path + ext; // "name." takes the extension after its dot
    return path + "." + ext;
}

std::string StartFolder(const FileDialogRequest& request) {
    if (!request.folder.empty())
        return request.folder;
    std::error_code error;
    std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::string(".") : current.string();
}

std::optional<std::string> RunFileDialog(const FileDialogRequest& request) {
    const std::string folder = StartFolder(request);
    std::optional<std::string> chosen;
    if (answerer()) {
        chosen = answerer()(request);
        if (chosen && !chosen->empty() && std::filesystem::path(*chosen).is_relative())
            chosen = (std::filesystem::path(folder) / *chosen).string();
    } else {
        chosen = askDesktop(request, folder);
    }
    if (!chosen || chosen->empty())
        return std::nullopt;
    const bool open = request.kind == FileDialogRequest::Kind::Open;
    return WithDefaultExtension(*chosen, request.defaultExtension, open);
}

} // namespace quorvik::platform
