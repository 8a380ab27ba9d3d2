// The text encoding of the log in the main window: the automatic choice when a log is read, the
// Encoding menu that chooses another, and redrawing every view in the encoding chosen.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "ui_LogViewerMain.h"

#include "LogMessagesModel.h"
#include "WaitCursor.h"

#include <QActionGroup>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QStatusBar>

namespace {

QString NameOf(TFBLogEncoding encoding)
{
    const std::string_view name = EncodingName(encoding);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// "miEncodingWindows1251" for windows-1251: the name's letters and digits, the first in upper case.
QString ActionName(const TFBLogEncodingInfo& info)
{
    QString letters;
    for (const QChar c : NameOf(info.Encoding))
        if (c.isLetterOrNumber())
            letters += c;
    letters[0] = letters[0].toUpper();
    return QStringLiteral("miEncoding") + letters;
}

}  // namespace

void TfmLogViewer::SetupEncoding()
{
    FEncodingChoices = TLogEncodingChoices(SystemLegacyEncoding(QLocale().name().toStdString()));
    mnEncoding = new QMenu(QStringLiteral("E&ncoding"), this);
    mnEncoding->setObjectName(QStringLiteral("mnEncoding"));
    if (auto* logMenu = findChild<QMenu*>(QStringLiteral("mnLog"))) {
        logMenu->addSeparator();
        logMenu->addMenu(mnEncoding);
    }
    auto* choices = new QActionGroup(mnEncoding);
    const auto addChoice = [&](const QString& caption, const QString& name, std::optional<TFBLogEncoding> encoding) {
        QAction* choice = mnEncoding->addAction(caption);
        choice->setObjectName(name);
        choice->setCheckable(true);
        choices->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, encoding] {
            if (!PassRunning())
                RunCommand(this, [&] { SetLogEncoding(encoding); });
        });
    };
    addChoice(QStringLiteral("&Automatic"), QStringLiteral("miEncodingAutomatic"), std::nullopt);
    mnEncoding->addSeparator();
    for (const TFBLogEncodingInfo& info : OfferedEncodings())
        addChoice(QString::fromLatin1(info.Script.data(), static_cast<qsizetype>(info.Script.size())) +
                      QStringLiteral(" (") + NameOf(info.Encoding) + QLatin1Char(')'),
                  ActionName(info), info.Encoding);

    laEncoding = new QLabel(ui->StatusBar1);
    laEncoding->setObjectName(QStringLiteral("laEncoding"));
    ui->StatusBar1->addPermanentWidget(laEncoding);
    ShowEncoding();
}

void TfmLogViewer::SetLogEncoding(std::optional<TFBLogEncoding> encoding)
{
    FEncodingChoices.Choose(FLogFileName, encoding);
    if (FParser == nullptr) {
        ShowEncoding();
        return;
    }
    const TWaitCursor wait;
    ApplyEncoding(FEncodingChoices.EncodingOf(FLogFileName, *FParser));
}

void TfmLogViewer::UseEncoding(TFBLogEncoding encoding)
{
    FDecoder = TFBLogDecoder(encoding);
    FMessagesModel->SetDecoder(FDecoder);
    // The search that runs again on the new log looks for its terms in its encoding.
    if (FSearch)
        FSearch = FSearch->ForEncoding(FDecoder.Encoding());
    ShowEncoding();
}

void TfmLogViewer::ApplyEncoding(TFBLogEncoding encoding)
{
    FDecoder = TFBLogDecoder(encoding);
    FMessagesModel->SetDecoder(FDecoder);
    SortListAgain();
    ShowEncoding();
    // The same terms find other entries in other text.
    if (SearchRunning()) {
        FindBarSearchChange();
    } else if (FSearch) {
        FSearch = FSearch->ForEncoding(encoding);
        RunSearchNow();
        SearchResultChanged();
    }
    HighlightMatches();
}

void TfmLogViewer::ShowEncoding()
{
    const std::optional<TFBLogEncoding> chosen = FEncodingChoices.ChosenFor(FLogFileName);
    const QString name = chosen ? ActionName(OfferedEncodings()[static_cast<std::size_t>(*chosen)])
                                : QStringLiteral("miEncodingAutomatic");
    if (auto* action = mnEncoding->findChild<QAction*>(name))
        action->setChecked(true);
    laEncoding->setText(FParser == nullptr ? QString()
                                           : NameOf(FDecoder.Encoding()) + (chosen ? QString() : QStringLiteral(" (automatic)")));
}
