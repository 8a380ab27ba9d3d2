#pragma once
// Shortcuts shown where a user looks for them: each command's tooltip ends with its keys, and the
// menus show tooltips.

class QWidget;

// For every command of the window (and its menus) that has a shortcut; safe to call again.
void ShowShortcutsInToolTips(QWidget* window);
