#include "ShortcutToolTips.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

void ShowShortcutsInToolTips(QWidget* window)
{
    for (QAction* action : window->findChildren<QAction*>()) {
        if (action->shortcut().isEmpty())
            continue;
        const QString keys = QStringLiteral(" (%1)").arg(action->shortcut().toString(QKeySequence::NativeText));
        // toolTip() falls back on the text without its mnemonic when none was set.
        const QString tip = action->toolTip();
        if (!tip.endsWith(keys))
            action->setToolTip(tip + keys);
    }
    for (QMenu* menu : window->findChildren<QMenu*>())
        menu->setToolTipsVisible(true);
}
