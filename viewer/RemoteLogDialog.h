#pragma once
// "Open from server": the dialog that asks which server's log to fetch and as whom. Passwords
// come from the user or, where the user asked to remember them, the desktop's keychain; the
// dialog itself keeps nothing. Reached through a replaceable function so that tests answer it.

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TfmRemoteLog;
}

struct TRemoteLogRequest {
    QString Host;  // as the user wrote it: db1, db1/3051, [::1]/3050
    QString User;
    QString Password;
    QString Role;
    bool Remember = false;  // keep the password in the keychain (and forget it when unticked)
};

struct TRemoteLogDialogSetup {
    QStringList Servers;  // used before, the latest first
    QString User;         // the user last used
};

class TfmRemoteLog : public QDialog {
    Q_OBJECT
public:
    explicit TfmRemoteLog(const TRemoteLogDialogSetup& setup, QWidget* parent = nullptr);
    ~TfmRemoteLog() override;

    TRemoteLogRequest Request() const;

    void accept() override;

private:
    // Fills in the password kept for the server and user shown, if any.
    void FillKeptPassword();

    std::unique_ptr<Ui::TfmRemoteLog> ui;
};

// Shows the dialog; nothing when the user cancelled.
std::optional<TRemoteLogRequest> AskForRemoteLog(QWidget* parent, const TRemoteLogDialogSetup& setup);

using TRemoteLogAsker = std::function<std::optional<TRemoteLogRequest>(QWidget*, const TRemoteLogDialogSetup&)>;
// Replaces the dialog; returns the one in force before.
TRemoteLogAsker SetRemoteLogAsker(TRemoteLogAsker asker);
