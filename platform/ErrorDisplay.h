#pragma once
// The application's general error display: a critical message box titled with the application
// title. Command handlers catch every exception and hand its message here, so that no
// exception crosses Qt's event loop. Tests replace the display with a recorder.

#include <QString>

#include <functional>

class QWidget;

using TErrorDisplay = std::function<void(QWidget* parent, const QString& message)>;

// Shows the message, with a full stop added unless it already ends in "." or a character
// before it in code order.
void ShowErrorMessage(QWidget* parent, const QString& message);

// Replaces the display; returns the one in force before.
TErrorDisplay SetErrorDisplay(TErrorDisplay display);

QString WithFullStop(const QString& message);

// Runs the command; an exception it throws goes to the error display instead of further up.
void RunCommand(QWidget* parent, const std::function<void()>& command);
