#include "SupportLink.h"

#include <QDesktopServices>

QUrl SupportPageUrl()
{
    return QUrl(QStringLiteral("https://www.kestrelon.com/logviewer/support"));
}

void OpenSupportPage()
{
    // A failure to start a browser is not reported: there is nothing the user could do here.
    QDesktopServices::openUrl(SupportPageUrl());
}
