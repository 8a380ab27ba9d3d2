#pragma once
// A flat menu bar of commands whose items show their image and their caption side by side
// (Qt's styles show only the image of an item that has one).

#include <QProxyStyle>

class TIconTextMenuBarStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
};
