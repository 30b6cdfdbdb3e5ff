#include "ui/skin/FileMessages.h"

#include "model/LanguageTable.h"
#include "model/Text.h"

#include <algorithm>
#include <map>

namespace quorvik::ui {

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::u16string WithValues(std::u16string_view text, std::initializer_list<std::u16string_view> values) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            const std::size_t n = std::size_t(text[i + 1] - u'1');
            if (n < values.size()) {
                out.append(values.begin()[n]);
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::u16string ProblemWords(const model::FileProblem& problem) {
    using model::FileFault;
    switch (problem.fault) {
    case FileFault::Missing:
        return model::LanguageText(kTextReasonMissing);
    case FileFault::NotAFile:
        return model::LanguageText(kTextReasonNotAFile);
    case FileFault::TooLarge:
        if (!problem.limit)
            break; // the system's own bound on a file's size, in its words
        return WithValues(model::LanguageText(kTextReasonTooLarge),
                          {model::DecimalText(long((problem.limit + model::kMiB - 1) / model::kMiB))});
    case FileFault::NoAccess:
        return model::LanguageText(kTextReasonNoAccess);
    case FileFault::ReadOnlyMedium:
        return model::LanguageText(kTextReasonReadOnlyMedium);
    case FileFault::DiskFull:
        return model::LanguageText(kTextReasonDiskFull);
    case FileFault::Damaged:
        return model::LanguageText(kTextReasonDamaged);
    case FileFault::NotCopied:
        return model::LanguageText(kTextReasonNotCopied);
    case FileFault::None:
    case FileFault::Other:
        break;
    }
    return model::ToU16(model::FileProblemText(problem));
}

std::u16string ImportRefusedMessage(const std::string& path, const model::FileProblem& problem) {
    return WithValues(model::LanguageText(kTextImportRefused), {model::ToU16(path), ProblemWords(problem)});
}

std::u16string SaveFailureMessage(const std::vector<model::SaveFailure>& failures) {
    // Faults in the order first met; within one, folders in the order first met.
    std::vector<model::FileProblem> kinds;
    std::map<std::size_t, std::vector<std::pair<std::string, std::vector<std::string>>>> filesByKind;
    for (const model::SaveFailure& failure : failures) {
        std::size_t kind = 0;
        while (kind < kinds.size() && kinds[kind].fault != failure.problem.fault)
            ++kind;
        if (kind == kinds.size())
            kinds.push_back(failure.problem);
        auto& folders = filesByKind[kind];
        const std::string folder = folderOf(failure.path);
        auto it = folders.begin();
        while (it != folders.end() && it->first != folder)
            ++it;
        if (it == folders.end())
            it = folders.insert(folders.end(), {folder, {}});
        const std::string name = failure.path.substr(folder.size());
        if (std::find(it->second.begin(), it->second.end(), name) == it->second.end())
            it->second.push_back(name);
    }
    std::u16string message;
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        std::u16string files;
        for (const auto& [folder, names] : filesByKind[kind]) {
            if (!files.empty())
                files += u"; ";
            if (names.size() == 1) {
                files += model::ToU16(folder + names.front());
                continue;
            }
            files += model::ToU16(folder) + u" (";
            for (std::size_t i = 0; i < names.size(); ++i)
                files += (i ? u", " : u"") + model::ToU16(names[i]);
            files += u")";
        }
        if (!message.empty())
            message += u"\n\n";
        message += WithValues(model::LanguageText(kTextSaveFailed), {files, ProblemWords(kinds[kind])});
    }
    return message;
}

std::u16string BrokenInstallationMessage(int fileCount, const std::string& firstPath) {
    std::u16string text = model::LanguageText(kTextBrokenInstallation);
    if (text.empty())
        text = u"The installation is damaged: %1 of its files are missing or broken, among them %2. Reinstall the "
               u"program; standard error names each file and what is wrong with it.";
    return WithValues(text, {model::DecimalText(fileCount), model::ToU16(firstPath)});
}

} // namespace quorvik::ui
