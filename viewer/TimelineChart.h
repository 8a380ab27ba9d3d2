#pragma once
// The timeline chart: one bar per hour, day, week or month of the date range shown, stacked by
// severity, with a legend. Hovering a bar tells its date and counts; a click chooses its bar, a
// drag across bars chooses their span, and a double click or Esc asks for the range before.

#include "FBLogTimeline.h"

#include <QWidget>

#include <optional>

class QTimer;

class TTimelineChart : public QWidget {
    Q_OBJECT
public:
    explicit TTimelineChart(QWidget* parent = nullptr);

    void SetTimeline(TFBLogTimeline timeline);
    const TFBLogTimeline& Timeline() const { return FTimeline; }
    // The bar under a point of the widget, or nothing.
    std::optional<std::size_t> BarAt(QPoint point) const;
    // The middle of a bar, where a click lands on it.
    QPoint BarCenter(std::size_t bar) const;
    // The text a bar's tooltip shows: its date and its counts per severity.
    QString BarText(std::size_t bar) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Fill colours by severity, from the palette's text and highlight colours where they fit.
    static QColor SeverityColor(TFBLogSeverity severity, const QPalette& palette);

signals:
    // The bars [first, last] were chosen: by a click (first == last) or a drag.
    void BarsChosen(double start, double end);
    void BackRequested();
    // The chart's width changed: how many bars fit may have changed with it.
    void WidthChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect PlotArea() const;
    QString BarLabel(std::size_t bar) const;
    void PaintLegend(QPainter& painter) const;
    void PaintAxis(QPainter& painter, const QRect& plot) const;

    TFBLogTimeline FTimeline;
    std::size_t FLargest = 0;
    std::optional<std::size_t> FDragFrom;
    std::optional<std::size_t> FDragTo;
    // A click chooses its bar once no second click has made it a double click.
    QTimer* FClickTimer = nullptr;
    std::pair<double, double> FClickedBar;
};
