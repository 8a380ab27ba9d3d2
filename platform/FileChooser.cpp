#include "FileChooser.h"

#include "ReplaceableFunction.h"

#include <QFileDialog>

namespace {

// The file itself need not exist (a load of a missing file gives an empty log); its folder must.
QString ShowOpenDialog(QWidget* parent, const TFileOpenRequest& request)
{
    QFileDialog dialog(parent, request.Title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.Filters.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.DefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
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

TFileChooser SetFileChooser(TFileChooser chooser)
{
    return CurrentChooser().Replace(std::move(chooser));
}
