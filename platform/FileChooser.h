#pragma once
// The file-open dialog behind a replaceable function, so that tests can answer it.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

struct TFileOpenRequest {
    QString Title;
    QString Filters;        // in QFileDialog's syntax, ";;" between entries; the first is selected
    QString DefaultSuffix;  // added to a typed name that has none
    QString StartFolder;    // where the dialog opens; empty: where it opened last
};

// The chosen file's path, or an empty text when the user cancelled.
using TFileChooser = std::function<QString(QWidget* parent, const TFileOpenRequest& request)>;

// Why a file of this path cannot be opened because its folder is missing; nothing when it is there.
std::optional<QString> MissingFolderProblem(const QString& path);

QString ChooseFileToOpen(QWidget* parent, const TFileOpenRequest& request);
TFileChooser SetFileChooser(TFileChooser chooser);
