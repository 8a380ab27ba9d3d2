#pragma once
// The file-open dialog behind a replaceable function, so that tests can answer it.

#include <QString>

#include <functional>

class QWidget;

struct TFileOpenRequest {
    QString Title;
    QString Filters;        // in QFileDialog's syntax, ";;" between entries; the first is selected
    QString DefaultSuffix;  // added to a typed name that has none
};

// The chosen file's path, or an empty text when the user cancelled.
using TFileChooser = std::function<QString(QWidget* parent, const TFileOpenRequest& request)>;

QString ChooseFileToOpen(QWidget* parent, const TFileOpenRequest& request);
TFileChooser SetFileChooser(TFileChooser chooser);
