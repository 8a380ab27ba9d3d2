#pragma once
// The online support page, opened in the user's default browser.

#include <QUrl>

QUrl SupportPageUrl();
void OpenSupportPage();
