// The macro manager's item commands: new macro and folder, rename, delete, and the four file
// commands.
#include "macro/MacroItemCommands.h"
#include "model/LanguageTable.h"
#include "model/ProfileRecord.h"
#include "platform/Messages.h"
#include "ui/macro/ListScrolling.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/macro/MacroNameDlgs.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/FileMessages.h"

namespace quorvik::ui {

using namespace platform;
using macro::AddResult;
using macro::ItemCommandResult;
using macro::MacroLocation;

namespace {
constexpr const char16_t* kMacroFileFilter = u"mkf file(*.mkf)|*.mkf||";
constexpr const char16_t* kItemsFileFilter = u"mbf file(*.mbf)|*.mbf||";

void openIfFolder(const MacroLocation& location) {
    macro::MacroLibraryNode* node = macro::TheMacroLibrary().SlotAt(location);
    if (node && node->IsFolderSlot())
        node->folderIsOpen = 1;
}
} // namespace

void CMacroManagerDlg::RunItemCommand(int command) {
    switch (command) {
    case kNewMacro:
        newItem(false);
        break;
    case kNewFolder:
        newItem(true);
        break;
    case kExportMacro:
        exportMacro();
        break;
    case kImportMacro:
        importMacro();
        break;
    case kRename:
        renameItem();
        break;
    case kDelete:
        deleteItem();
        break;
    case kImportItems:
        importItems();
        break;
    case kExportItems:
        exportItems();
        break;
    default:
        break;
    }
}

void CMacroManagerDlg::selectLocation(const MacroLocation& location) {
    macro::CurrentMacroLocation() = location;
    refreshTree();
    if (CEditShowList* list = tree()) {
        const int first = FirstRowShowing(list->SelectedRow(), list->FirstVisibleRow(), list->VisibleRows());
        list->SetFirstVisibleRow(first);
        refreshTree();
    }
    refreshSelection();
}

void CMacroManagerDlg::newItem(bool folder) {
    CMacroKeyOrFolderNameDlg dialog(
        folder ? CMacroKeyOrFolderNameDlg::kFolderMode : CMacroKeyOrFolderNameDlg::kMacroMode, hwnd());
    if (dialog.DoModal() != IDOK)
        return;
    if (dialog.Name().empty()) {
        attention(kTextEmptyName);
        return;
    }
    macro::MacroLibrary& library = macro::TheMacroLibrary();
    const MacroLocation before = macro::CurrentMacroLocation();
    MacroLocation current = before;
    const AddResult result =
        folder ? library.AddFolder(dialog.Name(), current) : library.AddMacro(dialog.Name(), current);
    if (result == AddResult::NameExists) {
        attention(kTextNameExists);
        return;
    }
    if (result != AddResult::Added)
        return; // a full level, or a folder where no folder may go: nothing to say
    openIfFolder(before);
    selectLocation(current);
}

void CMacroManagerDlg::renameItem() {
    const MacroLocation current = macro::CurrentMacroLocation();
    const macro::MacroLibraryNode* node = macro::TheMacroLibrary().SlotAt(current);
    CMacroKeyRenameDlg dialog(node ? node->name : std::u16string(), hwnd());
    if (dialog.DoModal() != IDOK)
        return;
    if (dialog.Name().empty()) {
        attention(kTextEmptyName);
        return;
    }
    if (macro::TheMacroLibrary().Rename(current, dialog.Name()) == AddResult::NameExists) {
        attention(kTextNameExists);
        return;
    }
    refreshTree();
}

void CMacroManagerDlg::deleteItem() {
    macro::MacroLibrary& library = macro::TheMacroLibrary();
    const MacroLocation current = macro::CurrentMacroLocation();
    const macro::MacroLibraryNode* node = library.SlotAt(current);
    if (!tree() || !node || !node->IsOccupied()) {
        attention(kTextNothingToDelete);
        return;
    }
    if (attention(kTextConfirmDelete) != IDOK)
        return;
    // Buttons of the profile in use hold copies by serial number; deleting their macro would
    // leave the button with nothing to find in the library.
    if (macro::ItemPlayedByButtons(library, current, model::Profile(model::CurrentSlot()))) {
        attention(kTextItemInUse);
        return;
    }
    library.Remove(current);
    macro::CurrentMacroLocation() = MacroLocation::None();
    tree()->SetSelectedRow(-1);
    refreshTree();
    refreshSelection();
}

std::optional<std::string> CMacroManagerDlg::askFile(FileDialogRequest::Kind kind, int title, const char16_t* filter,
                                                     const char16_t* extension, std::u16string name) {
    FileDialogRequest request;
    request.kind = kind;
    request.owner = hwnd();
    request.title = model::LanguageText(title);
    request.filter = filter;
    request.defaultExtension = extension;
    request.fileName = std::move(name);
    request.fileMustExist = kind == FileDialogRequest::Kind::Open;
    HookPause pause(*this);
    return RunFileDialog(request);
}

void CMacroManagerDlg::refused(const std::string& path, const model::FileProblem& problem) {
    CAttentionDlg dialog(ImportRefusedMessage(path, problem), hwnd());
    dialog.DoModal();
}

void CMacroManagerDlg::exportMacro() {
    const MacroLocation current = macro::CurrentMacroLocation();
    const std::u16string name = macro::ProposedMacroFileName(macro::TheMacroLibrary(), current);
    if (name.empty())
        return; // only a macro is exported on its own
    if (auto path = askFile(FileDialogRequest::Kind::Save, kTextExportMacroTitle, kMacroFileFilter, u"mkf", name))
        macro::ExportMacro(macro::TheMacroLibrary(), current, *path);
}

void CMacroManagerDlg::importMacro() {
    auto path = askFile(FileDialogRequest::Kind::Open, kTextImportMacroTitle, kMacroFileFilter, u"mkf", u".mkf");
    if (!path)
        return;
    const auto outcome =
        macro::ImportMacro(macro::TheMacroLibrary(), macro::TheImportTree(), macro::CurrentMacroLocation(), *path);
    if (outcome.result == ItemCommandResult::FileUnreadable)
        refused(*path, outcome.problem);
    else if (outcome.result == ItemCommandResult::NameExists)
        attention(kTextNameExists);
    else if (outcome.result == ItemCommandResult::Done)
        selectLocation(outcome.current);
}

void CMacroManagerDlg::exportItems() {
    const MacroLocation current = macro::CurrentMacroLocation();
    const std::u16string name = macro::ProposedItemsFileName(macro::TheMacroLibrary(), current);
    if (auto path = askFile(FileDialogRequest::Kind::Save, kTextExportItemsTitle, kItemsFileFilter, u"mbf", name))
        macro::ExportItems(macro::TheMacroLibrary(), current, *path);
}

void CMacroManagerDlg::importItems() {
    auto path = askFile(FileDialogRequest::Kind::Open, kTextImportItemsTitle, kItemsFileFilter, u"mbf", u".mbf");
    if (!path)
        return;
    const auto outcome =
        macro::ImportItems(macro::TheMacroLibrary(), macro::TheImportTree(), macro::CurrentMacroLocation(), *path);
    if (outcome.result == ItemCommandResult::FileUnreadable)
        refused(*path, outcome.problem);
    else if (outcome.result == ItemCommandResult::NameExists)
        attention(kTextNameExists);
    else if (outcome.result == ItemCommandResult::Done)
        selectLocation(outcome.current);
}

} // namespace quorvik::ui
