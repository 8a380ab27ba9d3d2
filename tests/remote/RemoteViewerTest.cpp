// The window's "Open from server..." against the private Firebird server: the server's log is
// shown exactly as its file would be, F5 fetches it again, "Save log as..." writes its bytes;
// failures and a cancel leave the view as it was; passwords go to the keychain or nowhere,
// never into the settings file.

#include "PrivateServer.h"

#include "../viewer/ViewerTestFixture.h"

#include "ApplicationInfo.h"
#include "PasswordKeychain.h"
#include "RemoteLogDialog.h"
#include "uFBLogParser.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <map>

namespace {

class RemoteViewerTest : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        FServer = TPrivateServer::Get();
        FPreviousAsker = SetRemoteLogAsker([this](QWidget*, const TRemoteLogDialogSetup& setup) {
            FLastSetup = setup;
            return FNextRequest;
        });
        TPasswordKeychain keychain;
        keychain.UnavailableReason = [] { return QString(); };
        keychain.Read = [this](const QString& key) -> std::optional<QString> {
            const auto kept = FKept.find(key);
            return kept != FKept.end() ? std::optional(kept->second) : std::nullopt;
        };
        keychain.Keep = [this](const QString& key, const QString& password) {
            FKept[key] = password;
            return std::optional<QString>();
        };
        keychain.Forget = [this](const QString& key) {
            FKept.erase(key);
            return FForgetError;
        };
        FPreviousKeychain = SetPasswordKeychain(keychain);
    }

    void TearDown() override
    {
        SetRemoteLogAsker(FPreviousAsker);
        SetPasswordKeychain(FPreviousKeychain);
        ViewerTest::TearDown();
    }

    TRemoteLogRequest Request(const QString& password, bool remember = false) const
    {
        return {QString::fromStdString(FServer.Host()), QStringLiteral("SYSDBA"), password, QString(), remember};
    }

    static QString LiveState(TfmLogViewer& window)
    {
        return window.findChild<QLabel*>(QStringLiteral("laLiveState"))->text();
    }

    static std::string ShownBytes(const TfmLogViewer& window)
    {
        return window.Parser()->ReadRange(0, window.Parser()->FileSize());
    }

    static QString SettingsFileText()
    {
        SavedState().sync();
        QFile file(SavedState().fileName());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    TPrivateServer FServer;
    std::optional<TRemoteLogRequest> FNextRequest;
    TRemoteLogDialogSetup FLastSetup;
    std::map<QString, QString> FKept;
    std::optional<QString> FForgetError;

private:
    TRemoteLogAsker FPreviousAsker;
    TPasswordKeychain FPreviousKeychain;
};

bool SameIndex(const FBLogsMsgs& a, const FBLogsMsgs& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const FBLogMsg& x, const FBLogMsg& y) {
               return x.Offset == y.Offset && x.Length == y.Length && x.DateTime == y.DateTime;
           });
}

}  // namespace

TEST_F(RemoteViewerTest, ServerLogIsShownAsItsFileWouldBeAndFetchedAgainWithF5)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    const QString host = QString::fromStdString(FServer.Host());
    FNextRequest = Request(QString::fromStdString(FServer.Password), true);
    Trigger(window, "acOpenRemote");
    ASSERT_TRUE(FErrors.isEmpty()) << FErrors.join('\n').toStdString();
    EXPECT_TRUE(window.ShowingServerLog());
    EXPECT_EQ(window.StatusPanelText(4), QStringLiteral("Server:"));
    EXPECT_EQ(window.StatusPanelText(5), host);
    EXPECT_EQ(window.windowTitle(), ApplicationTitle());

    // Byte for byte the server's file, and indexed as a scan of that file indexes it.
    const std::string file = FServer.LogBytes();
    EXPECT_TRUE(ShownBytes(window) == file);
    TFBLogParser fromFile(FServer.LogFile);
    FBLogsMsgs fileIndex;
    fromFile.ScanEntries(fileIndex);
    EXPECT_TRUE(SameIndex(window.LogMsgs(), fileIndex));
    EXPECT_EQ(window.MessagesModel()->RowCount(), static_cast<int>(fileIndex.size())) << "every entry is of today";
    EXPECT_EQ(window.StatusPanelText(3), QString::number(file.size()));

    // The password went to the keychain; the settings file holds the server, never the password.
    EXPECT_EQ(FKept[PasswordKey(host, QStringLiteral("SYSDBA"))], QString::fromStdString(FServer.Password));
    const QString settings = SettingsFileText();
    EXPECT_TRUE(settings.contains(host)) << settings.toStdString();
    EXPECT_FALSE(settings.contains(QString::fromStdString(FServer.Password))) << settings.toStdString();

    Trigger(window, "acReload");
    EXPECT_TRUE(FErrors.isEmpty()) << FErrors.join('\n').toStdString();
    EXPECT_EQ(LiveState(window), QStringLiteral("The log was fetched again from the server."));
    EXPECT_TRUE(ShownBytes(window) == FServer.LogBytes());

    // The next time the dialog offers the server and user; unticking forgets the password.
    FNextRequest = Request(QString::fromStdString(FServer.Password), false);
    Trigger(window, "acOpenRemote");
    EXPECT_EQ(FLastSetup.Servers, QStringList{host});
    EXPECT_EQ(FLastSetup.User, QStringLiteral("SYSDBA"));
    EXPECT_TRUE(FKept.empty());
}

TEST_F(RemoteViewerTest, SaveLogAsWritesTheBytesAndNeverOverTheLogFile)
{
    TfmLogViewer window;
    ShowAndActivate(window);
    // A keychain that cannot forget (none runs) is no news when nothing is to be remembered.
    FForgetError = QStringLiteral("no keychain service");
    FNextRequest = Request(QString::fromStdString(FServer.Password));
    Trigger(window, "acOpenRemote");
    ASSERT_TRUE(window.ShowingServerLog()) << FErrors.join('\n').toStdString();
    EXPECT_TRUE(FErrors.isEmpty()) << FErrors.join('\n').toStdString();
    const QString saved = QString::fromStdString(FFolder.PathOf("saved.log"));
    window.SaveLogAs(saved);
    QFile savedFile(saved);
    ASSERT_TRUE(savedFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(savedFile.readAll().toStdString() == FServer.LogBytes());

    // The saved file opened as a log: "Save log as" may copy it elsewhere, never over itself.
    Open(window, saved);
    EXPECT_FALSE(window.ShowingServerLog());
    EXPECT_EQ(window.StatusPanelText(4), QStringLiteral("File:"));
    EXPECT_THROW(window.SaveLogAs(saved), std::runtime_error);
    const QString copy = QString::fromStdString(FFolder.PathOf("copy.log"));
    window.SaveLogAs(copy);
    QFile copyFile(copy);
    ASSERT_TRUE(copyFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(copyFile.readAll().toStdString() == FServer.LogBytes());
}

TEST_F(RemoteViewerTest, FailuresAndCancelLeaveTheViewAsItWas)
{
    TfmLogViewer window;
    const QString local = WriteLog("local.log", 50);
    Open(window, local);
    ShowAndActivate(window);
    const std::size_t entries = window.LogMsgs().size();
    ASSERT_GT(entries, 0U);
    const auto expectLocalLogShown = [&] {
        EXPECT_FALSE(window.ShowingServerLog());
        EXPECT_EQ(window.LogFileName(), local);
        EXPECT_EQ(window.StatusPanelText(5), local);
        EXPECT_EQ(window.LogMsgs().size(), entries);
        EXPECT_EQ(window.windowTitle(), ApplicationTitle());
    };

    FNextRequest = Request(QStringLiteral("not-the-password"), true);
    Trigger(window, "acOpenRemote");
    ASSERT_EQ(FErrors.size(), 1);
    EXPECT_TRUE(FErrors[0].contains(QStringLiteral("did not accept the user name"))) << FErrors[0].toStdString();
    expectLocalLogShown();
    EXPECT_TRUE(FKept.empty()) << "a password the server refused is not kept";
    EXPECT_FALSE(SettingsFileText().contains(QStringLiteral("RemoteServers")));

    FNextRequest = Request(QString::fromStdString(FServer.Password));
    FNextRequest->Host = QStringLiteral("127.0.0.1/1");
    Trigger(window, "acOpenRemote");
    ASSERT_EQ(FErrors.size(), 2);
    EXPECT_TRUE(FErrors[1].contains(QStringLiteral("refused the connection"))) << FErrors[1].toStdString();
    expectLocalLogShown();

    // Esc in the progress dialog, as soon as it shows.
    FNextRequest = Request(QString::fromStdString(FServer.Password));
    bool pressed = false;
    QTimer::singleShot(0, &window, [&] {
        if (auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("pdRemoteFetch"))) {
            QTest::keyClick(progress, Qt::Key_Escape);
            pressed = true;
        }
    });
    Trigger(window, "acOpenRemote");
    EXPECT_TRUE(pressed);
    EXPECT_EQ(FErrors.size(), 2) << "a cancel is no error";
    EXPECT_TRUE(LiveState(window).contains(QStringLiteral("cancelled"))) << LiveState(window).toStdString();
    expectLocalLogShown();
}

TEST_F(RemoteViewerTest, DialogOffersKeptPasswordsOnlyWhereAKeychainIs)
{
    const QString host = QString::fromStdString(FServer.Host());
    FKept[PasswordKey(host, QStringLiteral("SYSDBA"))] = QStringLiteral("kept-secret");
    {
        TfmRemoteLog dialog({{host, QStringLiteral("db2/3051")}, QStringLiteral("SYSDBA")});
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("edPassword"))->text(), QStringLiteral("kept-secret"));
        EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("cbRemember"))->isChecked());
        const TRemoteLogRequest request = dialog.Request();
        EXPECT_EQ(request.Host, host);
        EXPECT_TRUE(request.Remember);

        // A mistyped address is refused in the dialog, before any wait for the network.
        dialog.findChild<QComboBox*>(QStringLiteral("cbHost"))->setEditText(QStringLiteral("db1:3050"));
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        ASSERT_EQ(FErrors.size(), 1);
        EXPECT_TRUE(FErrors[0].contains(QStringLiteral("[::1]/3050")));
    }

    TPasswordKeychain none;
    none.UnavailableReason = [] { return QStringLiteral("No keychain here."); };
    none.Read = [](const QString&) { return std::optional<QString>(QStringLiteral("never read")); };
    none.Keep = [](const QString&, const QString&) { return std::optional<QString>(QStringLiteral("no")); };
    none.Forget = [](const QString&) { return std::optional<QString>(); };
    const TPasswordKeychain before = SetPasswordKeychain(none);
    TfmRemoteLog dialog({{host}, QString()});
    const auto* remember = dialog.findChild<QCheckBox*>(QStringLiteral("cbRemember"));
    EXPECT_FALSE(remember->isEnabled());
    EXPECT_EQ(remember->toolTip(), QStringLiteral("No keychain here."));
    EXPECT_TRUE(dialog.findChild<QLineEdit*>(QStringLiteral("edPassword"))->text().isEmpty());
    SetPasswordKeychain(before);
}
