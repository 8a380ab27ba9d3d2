#pragma once
// The main window's position and size between runs, in the INI file
// <local application data>/Kestrelon/KsLogLayout.ini, one section per window.

#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

struct TWindowPlacement {
    int Flags = 0;
    int PixelsPerInch = 96;
    QPoint MinPosition{-1, -1};
    QPoint MaxPosition{-1, -1};
    QRect NormalRect;  // the restored window's rectangle on the screen
};

class TLayoutStore {
public:
    TLayoutStore(QString filePath, QString section);

    // <GenericDataLocation>/Kestrelon/KsLogLayout.ini; the folder is created when missing.
    static QString DefaultFilePath();

    // Nothing when no placement is stored (or one of a layout version below 0).
    std::optional<TWindowPlacement> Read() const;
    // Replaces the form's section, keeping the others; the reason when the file could not be
    // saved (it then stays as it was).
    std::optional<QString> Write(const TWindowPlacement& placement) const;

private:
    QString FFilePath;
    QString FSection;
};

// A stored placement is used only on a screen of the same resolution, for a rectangle that is
// not empty and whose top-left and bottom-right pixels both lie on a monitor.
bool CanRestorePlacement(const TWindowPlacement& placement, int currentPixelsPerInch,
                         const std::function<bool(QPoint)>& isOnAMonitor);
