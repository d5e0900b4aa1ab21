// The open, save and directory dialogs on Qt's widget file dialog (the native ones can be
// neither driven nor tested), and the paths of the last multiple selection.
#include "runtime/gui/requesters/requesters.h"
#include "runtime/gui/requesters/requesters_internal.h"
#include "runtime/gui/requesters/requesters_qt.h"

#include <QFileDialog>
#include <QStringList>

#include <string>
#include <vector>

namespace {

// The paths of the last confirmed multiple selection and the next one to hand out.
struct KeptSelection {
    QStringList paths;
    int32_t next = 0;
};

KeptSelection& Selection() {
    static KeptSelection selection;
    return selection;
}

// Options every file dialog shares. Filters are shown by their descriptions alone:
// descriptions often name their patterns already ("Marrowvale music (*.mus)").
void PrepareDialog(QFileDialog& dialog, const char16_t* title) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::ReadOnly, false); // the user may create folders
    dialog.setWindowTitle(PlatformText(title));
}

void ApplyPattern(QFileDialog& dialog, const char16_t* pattern, int32_t position) {
    const std::vector<std::u16string> filters = NameFiltersOf(TextView(pattern));
    const int index = FilterIndexAt(filters, position);
    if (index < 0)
        return; // no pattern: every file is listed
    QStringList nameFilters;
    for (const std::u16string& filter : filters)
        nameFilters << QString::fromStdU16String(filter);
    dialog.setNameFilters(nameFilters);
    dialog.selectNameFilter(nameFilters.at(index));
}

// Opens the dialog where the default file says and runs it; true when confirmed.
bool RunDialog(QFileDialog& dialog, const char16_t* defaultFile, bool directory) {
    const DefaultFileParts parts = SplitDefaultFile(TextView(defaultFile), directory);
    if (parts.hasDirectory)
        dialog.setDirectory(QString::fromStdU16String(parts.directory));
    if (!parts.name.empty())
        dialog.selectFile(QString::fromStdU16String(parts.name));
    return dialog.exec() == QDialog::Accepted;
}

// The chosen paths of a confirmed dialog; empty when cancelled or not possible.
QStringList ChooseFiles(QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode,
                        const char16_t* title, const char16_t* defaultFile, const char16_t* pattern,
                        int32_t position) {
    if (!RequestersCanRun())
        return {};
    KeepDialogStateInMemory();
    KeyWindowKeeper keeper;
    QStringList paths;
    {
        QFileDialog dialog(keeper.Window());
        PrepareDialog(dialog, title);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(fileMode);
        const bool directory = fileMode == QFileDialog::Directory;
        if (directory)
            dialog.setOption(QFileDialog::ShowDirsOnly);
        else
            ApplyPattern(dialog, pattern, position);
        if (RunDialog(dialog, defaultFile, directory))
            paths = dialog.selectedFiles();
    } // the dialog is gone before the key window comes back
    return paths;
}

} // namespace

char16_t* OpenFileRequester(const char16_t* title, const char16_t* defaultFile,
                            const char16_t* pattern, int32_t patternPosition, int32_t flags,
                            int64_t p) {
    const bool multiple = (flags & RequesterMultiSelect) != 0;
    const QStringList paths = ChooseFiles(
        QFileDialog::AcceptOpen, multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile,
        title, defaultFile, pattern, patternPosition);
    if (paths.isEmpty())
        return ResultText(QString(), p);
    if (multiple) {
        Selection().paths = paths;
        Selection().next = 1;
    }
    return ResultText(paths.first(), p);
}

char16_t* NextSelectedFileName(int64_t p) {
    KeptSelection& selection = Selection();
    if (selection.next < selection.paths.size())
        return ResultText(selection.paths.at(selection.next++), p);
    selection = KeptSelection{};
    return ResultText(QString(), p);
}

char16_t* SaveFileRequester(const char16_t* title, const char16_t* defaultFile,
                            const char16_t* pattern, int32_t patternPosition, int64_t p) {
    // No default suffix: the path comes back exactly as the user chose it.
    const QStringList paths = ChooseFiles(QFileDialog::AcceptSave, QFileDialog::AnyFile, title,
                                          defaultFile, pattern, patternPosition);
    return ResultText(paths.value(0), p);
}

char16_t* PathRequester(const char16_t* title, const char16_t* initialPath, int64_t p) {
    const QStringList paths = ChooseFiles(QFileDialog::AcceptOpen, QFileDialog::Directory, title,
                                          initialPath, nullptr, 0);
    if (paths.isEmpty() || paths.first().isEmpty())
        return ResultText(QString(), p);
    const std::u16string path = WithTrailingSlash(paths.first().toStdU16String());
    return ResultText(QString::fromStdU16String(path), p);
}
