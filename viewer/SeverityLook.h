#pragma once
// How a severity looks in the views: its icon, its name for people, and the tint of critical
// rows. Icons come from the style and the tint from the palette, so dark themes work.

#include "FBLogSeverity.h"

#include <QBrush>
#include <QIcon>
#include <QString>

// The style's critical, warning or information picture; no icon for an unknown severity.
QIcon SeverityIcon(TFBLogSeverity severity);
// "Critical", "Error", "Warning", "Info", "Unknown".
QString SeverityCaption(TFBLogSeverity severity);
// The background of critical rows: the palette's base colour pulled towards red, light on a
// light theme and dark on a dark one.
QBrush CriticalRowBrush();
