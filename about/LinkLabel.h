#pragma once
// A label that works as a link: it reports the mouse entering and leaving it, and clicks.

#include <QLabel>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void MouseEntered();
    void MouseLeft();
    void Clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
