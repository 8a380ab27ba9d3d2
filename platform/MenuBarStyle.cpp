#include "MenuBarStyle.h"

#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QWidget>

namespace {

constexpr int kGap = 4;

const QStyleOptionMenuItem* ItemWithIcon(const QStyleOption* option)
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    return item && !item->icon.isNull() ? item : nullptr;
}

QString WithoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}

}  // namespace

void TIconTextMenuBarStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                        const QWidget* widget) const
{
    const QStyleOptionMenuItem* item = element == CE_MenuBarItem ? ItemWithIcon(option) : nullptr;
    if (item == nullptr) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The base style paints the item's background and highlight; the image and caption follow.
    QStyleOptionMenuItem background = *item;
    background.icon = QIcon();
    background.text.clear();
    QProxyStyle::drawControl(element, &background, painter, widget);

    const bool enabled = item->state & State_Enabled;
    const int iconSize = pixelMetric(PM_SmallIconSize, option, widget);
    const QRect area = item->rect.adjusted(kGap, 0, -kGap, 0);
    const QRect iconRect(area.left(), area.center().y() - iconSize / 2 + 1, iconSize, iconSize);
    item->icon.paint(painter, iconRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
    const bool highlighted = (item->state & State_Selected) && (item->state & State_Sunken);
    drawItemText(painter, area.adjusted(iconSize + kGap, 0, 0, 0),
                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, item->palette, enabled,
                 item->text, highlighted ? QPalette::HighlightedText : QPalette::ButtonText);
}

QSize TIconTextMenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                              const QWidget* widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (const QStyleOptionMenuItem* item = type == CT_MenuBarItem ? ItemWithIcon(option) : nullptr)
        result.rwidth() += item->fontMetrics.horizontalAdvance(WithoutMnemonic(item->text)) + 2 * kGap;
    return result;
}
