#include "ErrorDisplay.h"

#include "ApplicationInfo.h"
#include "ReplaceableFunction.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace {

void ShowMessageBox(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, ApplicationTitle(), message, QMessageBox::Ok);
}

TReplaceableFunction<void(QWidget*, const QString&)>& CurrentDisplay()
{
    static TReplaceableFunction<void(QWidget*, const QString&)> display(ShowMessageBox);
    return display;
}

}  // namespace

QString WithFullStop(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorMessage(QWidget* parent, const QString& message)
{
    CurrentDisplay()(parent, WithFullStop(message));
}

TErrorDisplay SetErrorDisplay(TErrorDisplay display)
{
    return CurrentDisplay().Replace(std::move(display));
}

void RunCommand(QWidget* parent, const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        ShowErrorMessage(parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowErrorMessage(parent, QStringLiteral("Unknown error"));
    }
}
