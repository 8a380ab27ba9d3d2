#include "FileChooser.h"

#include "ReplaceableFunction.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// The file itself need not exist (a load of a missing file gives an empty log); its folder must,
// and the dialog stays open until the user names a file in one that does, or cancels.
QString ShowOpenDialog(QWidget* parent, const TFileOpenRequest& request)
{
    QFileDialog dialog(parent, request.Title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.Filters.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.DefaultSuffix);
    if (!request.StartFolder.isEmpty())
        dialog.setDirectory(request.StartFolder);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString chosen = dialog.selectedFiles().constFirst();
        if (const std::optional<QString> problem = MissingFolderProblem(chosen); !problem)
            return chosen;
        else
            QMessageBox::warning(&dialog, request.Title, *problem);
    }
    return {};
}

TReplaceableFunction<QString(QWidget*, const TFileOpenRequest&)>& CurrentChooser()
{
    static TReplaceableFunction<QString(QWidget*, const TFileOpenRequest&)> chooser(ShowOpenDialog);
    return chooser;
}

}  // namespace

QString ChooseFileToOpen(QWidget* parent, const TFileOpenRequest& request)
{
    return CurrentChooser()(parent, request);
}

std::optional<QString> MissingFolderProblem(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    return QStringLiteral("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(folder));
}

TFileChooser SetFileChooser(TFileChooser chooser)
{
    return CurrentChooser().Replace(std::move(chooser));
}
