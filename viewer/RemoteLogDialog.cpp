#include "RemoteLogDialog.h"

#include "ui_RemoteLogDialog.h"

#include "ErrorDisplay.h"
#include "FBServiceClient.h"
#include "PasswordKeychain.h"
#include "ReplaceableFunction.h"

#include <QLineEdit>

namespace {

std::optional<TRemoteLogRequest> ShowRemoteLogDialog(QWidget* parent, const TRemoteLogDialogSetup& setup)
{
    TfmRemoteLog dialog(setup, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Request();
}

TReplaceableFunction<std::optional<TRemoteLogRequest>(QWidget*, const TRemoteLogDialogSetup&)>& CurrentAsker()
{
    static TReplaceableFunction<std::optional<TRemoteLogRequest>(QWidget*, const TRemoteLogDialogSetup&)> asker(
        ShowRemoteLogDialog);
    return asker;
}

}  // namespace

TfmRemoteLog::TfmRemoteLog(const TRemoteLogDialogSetup& setup, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfmRemoteLog>())
{
    ui->setupUi(this);
    ui->cbHost->addItems(setup.Servers);
    if (!setup.User.isEmpty())
        ui->edUser->setText(setup.User);
    const QString unavailable = PasswordKeychain().UnavailableReason();
    ui->cbRemember->setEnabled(unavailable.isEmpty());
    ui->cbRemember->setToolTip(unavailable.isEmpty()
                                   ? QStringLiteral("Keep the password in the desktop's keychain, never in the "
                                                    "settings file; untick to forget a kept one")
                                   : unavailable);
    // Once a server is chosen or typed, not at every keystroke: the keychain may take a while.
    connect(ui->cbHost, &QComboBox::activated, this, [this] { FillKeptPassword(); });
    connect(ui->cbHost->lineEdit(), &QLineEdit::editingFinished, this, [this] { FillKeptPassword(); });
    connect(ui->edUser, &QLineEdit::editingFinished, this, [this] { FillKeptPassword(); });
    FillKeptPassword();
    if (!setup.Servers.isEmpty())
        ui->edPassword->setFocus();
}

TfmRemoteLog::~TfmRemoteLog() = default;

void TfmRemoteLog::FillKeptPassword()
{
    if (!ui->cbRemember->isEnabled() || ui->cbHost->currentText().isEmpty())
        return;
    const std::optional<QString> kept =
        PasswordKeychain().Read(PasswordKey(ui->cbHost->currentText().trimmed(), ui->edUser->text().trimmed()));
    ui->cbRemember->setChecked(kept.has_value());
    if (kept)
        ui->edPassword->setText(*kept);
}

TRemoteLogRequest TfmRemoteLog::Request() const
{
    return {ui->cbHost->currentText().trimmed(), ui->edUser->text().trimmed(), ui->edPassword->text(),
            ui->edRole->text().trimmed(), ui->cbRemember->isChecked()};
}

void TfmRemoteLog::accept()
{
    // A mistyped address is mended here rather than after a wait for the network.
    try {
        RequireServerAddress(ui->cbHost->currentText().trimmed().toStdString());
    } catch (const EFBRemoteError& error) {
        ShowErrorMessage(this, QString::fromStdString(error.what()));
        ui->cbHost->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<TRemoteLogRequest> AskForRemoteLog(QWidget* parent, const TRemoteLogDialogSetup& setup)
{
    return CurrentAsker()(parent, setup);
}

TRemoteLogAsker SetRemoteLogAsker(TRemoteLogAsker asker)
{
    return CurrentAsker().Replace(std::move(asker));
}
