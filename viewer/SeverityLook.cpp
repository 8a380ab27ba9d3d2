#include "SeverityLook.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>

QIcon SeverityIcon(TFBLogSeverity severity)
{
    const QStyle* style = QApplication::style();
    switch (severity) {
    case TFBLogSeverity::Critical:
    case TFBLogSeverity::Error: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case TFBLogSeverity::Warning: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case TFBLogSeverity::Info: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    default: return {};
    }
}

QString SeverityCaption(TFBLogSeverity severity)
{
    QString name = QString::fromLatin1(SeverityName(severity).data(), static_cast<qsizetype>(SeverityName(severity).size()));
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    return name;
}

QBrush CriticalRowBrush()
{
    const QColor base = QApplication::palette().color(QPalette::Base);
    const QColor red(Qt::red);
    constexpr double kShare = 0.28;
    const auto mix = [](int a, int b) { return static_cast<int>(a + (b - a) * kShare); };
    return QColor(mix(base.red(), red.red()), mix(base.green(), red.green()), mix(base.blue(), red.blue()));
}
