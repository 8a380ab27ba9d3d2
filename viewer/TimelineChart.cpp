#include "TimelineChart.h"

#include "SeverityLook.h"
#include "Timestamps.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kMargin = 6;
constexpr int kLegendHeight = 18;
constexpr int kAxisHeight = 16;
// Stacked from the bottom: the most serious lowest, where it is seen first.
constexpr TFBLogSeverity kStackOrder[] = {TFBLogSeverity::Critical, TFBLogSeverity::Error, TFBLogSeverity::Warning,
                                          TFBLogSeverity::Info, TFBLogSeverity::Unknown};

QString DateText(double timestamp, const char* format)
{
    return QLocale().toString(TimestampDate(timestamp), QString::fromLatin1(format));
}

}  // namespace

TTimelineChart::TTimelineChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tlChart"));
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(QStringLiteral("Timeline"));
    FClickTimer = new QTimer(this);
    FClickTimer->setSingleShot(true);
    FClickTimer->setInterval(QApplication::doubleClickInterval());
    connect(FClickTimer, &QTimer::timeout, this, [this] { emit BarsChosen(FClickedBar.first, FClickedBar.second); });
}

QSize TTimelineChart::sizeHint() const
{
    return {600, 120};
}

QSize TTimelineChart::minimumSizeHint() const
{
    return {120, 44};
}

QColor TTimelineChart::SeverityColor(TFBLogSeverity severity, const QPalette& palette)
{
    switch (severity) {
    case TFBLogSeverity::Critical: return QColor(0xc6, 0x28, 0x28);
    case TFBLogSeverity::Error: return QColor(0xef, 0x6c, 0x00);
    case TFBLogSeverity::Warning: return QColor(0xf9, 0xa8, 0x25);
    case TFBLogSeverity::Info: return palette.color(QPalette::Highlight);
    case TFBLogSeverity::Unknown: break;
    }
    return palette.color(QPalette::Mid);
}

void TTimelineChart::SetTimeline(TFBLogTimeline timeline)
{
    FTimeline = std::move(timeline);
    FLargest = 0;
    for (const TFBLogBin& bin : FTimeline.Bins)
        FLargest = std::max(FLargest, bin.Total());
    FDragFrom.reset();
    FDragTo.reset();
    update();
}

QRect TTimelineChart::PlotArea() const
{
    return rect().adjusted(kMargin, kMargin + kLegendHeight, -kMargin, -(kMargin + kAxisHeight));
}

std::optional<std::size_t> TTimelineChart::BarAt(QPoint point) const
{
    const QRect plot = PlotArea();
    if (FTimeline.Bins.empty() || point.x() < plot.left() || point.x() > plot.right())
        return std::nullopt;
    const double width = static_cast<double>(plot.width()) / static_cast<double>(FTimeline.Bins.size());
    const auto bar = static_cast<std::size_t>((point.x() - plot.left()) / width);
    return std::min(bar, FTimeline.Bins.size() - 1);
}

QPoint TTimelineChart::BarCenter(std::size_t bar) const
{
    const QRect plot = PlotArea();
    const double width = static_cast<double>(plot.width()) / static_cast<double>(FTimeline.Bins.size());
    return {plot.left() + static_cast<int>((static_cast<double>(bar) + 0.5) * width), plot.center().y()};
}

QString TTimelineChart::BarLabel(std::size_t bar) const
{
    const TFBLogBin& bin = FTimeline.Bins[bar];
    switch (FTimeline.Size) {
    case TFBLogBinSize::Hour:
        return QStringLiteral("%1, %2:00").arg(QLocale().toString(TimestampDate(bin.Start), QLocale::ShortFormat))
            .arg(static_cast<int>(bar), 2, 10, QLatin1Char('0'));
    case TFBLogBinSize::Day: return QLocale().toString(TimestampDate(bin.Start), QLocale::ShortFormat);
    case TFBLogBinSize::Week:
        return QStringLiteral("Week of %1").arg(QLocale().toString(TimestampDate(bin.Start), QLocale::ShortFormat));
    case TFBLogBinSize::Month: return DateText(bin.Start, "MMMM yyyy");
    }
    return {};
}

QString TTimelineChart::BarText(std::size_t bar) const
{
    const TFBLogBin& bin = FTimeline.Bins[bar];
    QString text = BarLabel(bar) + QStringLiteral(": %1 entries").arg(bin.Total());
    for (const TFBLogSeverity severity : kStackOrder)
        if (const std::size_t count = bin.Counts[static_cast<std::size_t>(severity)])
            text += QStringLiteral("\n%1: %2").arg(SeverityCaption(severity)).arg(count);
    return text;
}

void TTimelineChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    PaintLegend(painter);
    const QRect plot = PlotArea();
    if (FTimeline.Bins.empty() || FLargest == 0) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(plot, Qt::AlignCenter, QStringLiteral("No dated entries in the range shown"));
        return;
    }
    const double width = static_cast<double>(plot.width()) / static_cast<double>(FTimeline.Bins.size());
    const double scale = static_cast<double>(plot.height()) / static_cast<double>(FLargest);
    // Bars keep a gap between them only while they are wide enough to show one.
    const double gap = width >= 4 ? 1 : 0;
    for (std::size_t bar = 0; bar < FTimeline.Bins.size(); ++bar) {
        const double left = plot.left() + static_cast<double>(bar) * width;
        double bottom = plot.bottom() + 1;
        for (const TFBLogSeverity severity : kStackOrder) {
            const double height = static_cast<double>(FTimeline.Bins[bar].Counts[static_cast<std::size_t>(severity)]) * scale;
            if (height <= 0)
                continue;
            painter.fillRect(QRectF(left, bottom - height, std::max(width - gap, 1.0), height),
                             SeverityColor(severity, palette()));
            bottom -= height;
        }
    }
    if (FDragFrom && FDragTo) {
        const std::size_t first = std::min(*FDragFrom, *FDragTo);
        const std::size_t last = std::max(*FDragFrom, *FDragTo);
        QColor shade = palette().color(QPalette::Highlight);
        shade.setAlpha(60);
        painter.fillRect(QRectF(plot.left() + static_cast<double>(first) * width, plot.top(),
                                static_cast<double>(last - first + 1) * width, plot.height()),
                         shade);
    }
    PaintAxis(painter, plot);
}

void TTimelineChart::PaintLegend(QPainter& painter) const
{
    int x = kMargin;
    const int y = kMargin;
    painter.setPen(palette().color(QPalette::Text));
    for (const TFBLogSeverity severity : kStackOrder) {
        painter.fillRect(QRect(x, y + 4, 10, 10), SeverityColor(severity, palette()));
        x += 14;
        const QString caption = SeverityCaption(severity);
        painter.drawText(QRect(x, y, 200, kLegendHeight), Qt::AlignLeft | Qt::AlignTop, caption);
        x += painter.fontMetrics().horizontalAdvance(caption) + 12;
    }
    // Entries without a readable date have no place in time: they are counted here.
    if (FTimeline.Undated > 0)
        painter.drawText(QRect(x, y, width() - x - kMargin, kLegendHeight), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("%1 without a date (not drawn)").arg(FTimeline.Undated));
    const QString peak = QStringLiteral("highest bar: %1").arg(FLargest);
    painter.drawText(QRect(kMargin, y, width() - 2 * kMargin, kLegendHeight), Qt::AlignRight | Qt::AlignTop, peak);
}

void TTimelineChart::PaintAxis(QPainter& painter, const QRect& plot) const
{
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(plot.bottomLeft() + QPoint(0, 1), plot.bottomRight() + QPoint(0, 1));
    painter.setPen(palette().color(QPalette::Text));
    const QRect axis(plot.left(), plot.bottom() + 2, plot.width(), kAxisHeight);
    painter.drawText(axis, Qt::AlignLeft | Qt::AlignVCenter, BarLabel(0));
    if (FTimeline.Bins.size() > 1)
        painter.drawText(axis, Qt::AlignRight | Qt::AlignVCenter, BarLabel(FTimeline.Bins.size() - 1));
}

void TTimelineChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FDragFrom = BarAt(event->position().toPoint());
    FDragTo = FDragFrom;
    update();
}

void TTimelineChart::mouseMoveEvent(QMouseEvent* event)
{
    const std::optional<std::size_t> bar = BarAt(event->position().toPoint());
    if (FDragFrom && (event->buttons() & Qt::LeftButton) && bar) {
        FDragTo = bar;
        update();
    }
    if (bar)
        QToolTip::showText(event->globalPosition().toPoint(), BarText(*bar), this);
    else
        QToolTip::hideText();
}

void TTimelineChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !FDragFrom)
        return;
    const std::optional<std::size_t> bar = BarAt(event->position().toPoint());
    // std::minmax would hand back references to the temporary: the bounds are copied.
    const std::size_t end = bar.value_or(*FDragTo);
    const std::size_t first = std::min(*FDragFrom, end);
    const std::size_t last = std::max(*FDragFrom, end);
    FDragFrom.reset();
    FDragTo.reset();
    update();
    if (first != last) {
        emit BarsChosen(FTimeline.Bins[first].Start, FTimeline.Bins[last].End);
        return;
    }
    FClickedBar = {FTimeline.Bins[first].Start, FTimeline.Bins[first].End};
    FClickTimer->start();
}

void TTimelineChart::mouseDoubleClickEvent(QMouseEvent*)
{
    FClickTimer->stop();
    FDragFrom.reset();
    emit BackRequested();
}

void TTimelineChart::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        emit BackRequested();
    else
        QWidget::keyPressEvent(event);
}

void TTimelineChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        emit WidthChanged();
}
