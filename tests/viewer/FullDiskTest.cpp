// Closing the viewer on a disk with no room left must keep the state and layout saved before,
// byte for byte, and tell the user once. The disk is a real one: a small tmpfs mounted for the
// test and filled up. Where mounting is not allowed (a container without the right), the
// writes fail for real all the same: a limit on the size of the files the process may write
// makes them fail with EFBIG.

#include "ViewerTestFixture.h"

#include "FindBar.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class FullDiskTest : public ViewerTest {
protected:
    void SetUp() override
    {
        FMount = QString::fromStdString(FFolder.PathOf("disk"));
        QDir().mkpath(FMount);
        const std::string mount = "mount -t tmpfs -o size=256k tmpfs '" + FMount.toStdString() + "' 2>/dev/null";
        FMounted = geteuid() == 0 && std::system(mount.c_str()) == 0;
        if (!FMounted)
            std::printf("No tmpfs could be mounted; the writes are made to fail by a file size limit.\n");
        QDir(FMount).mkpath(QStringLiteral("config"));
        QDir(FMount).mkpath(QStringLiteral("data"));
        FPreviousData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", (FMount + QStringLiteral("/data")).toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FMount + QStringLiteral("/config"));
        ViewerTest::SetUp();
    }

    void TearDown() override
    {
        MakeRoom();
        ViewerTest::TearDown();
        // Back to the test's own folder (the test program points XDG_CONFIG_HOME at one), never
        // the user's ~/.config.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           qEnvironmentVariable("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config")));
        qputenv("XDG_DATA_HOME", FPreviousData);
        if (FMounted)
            std::system(("umount '" + FMount.toStdString() + "'").c_str());
    }

    // Fills the disk to its last byte, then frees `spare` bytes of it again; without the disk,
    // lets no file grow past `spare` bytes.
    void Fill(std::size_t spare) const
    {
        if (!FMounted) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{spare, RLIM_INFINITY};
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
            return;
        }
        const std::string filler = FMount.toStdString() + "/filler";
        {
            std::ofstream file(filler, std::ios::binary);
            const std::string block(4096, 'x');
            while (file.write(block.data(), static_cast<std::streamsize>(block.size())) && file.flush()) {
            }
        }
        const std::size_t size = static_cast<std::size_t>(QFileInfo(QString::fromStdString(filler)).size());
        ASSERT_EQ(truncate(filler.c_str(), static_cast<off_t>(size > spare ? size - spare : 0)), 0);
    }

    static void MakeRoom()
    {
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &unlimited);
    }

    static QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QString FMount;
    bool FMounted = false;
    QByteArray FPreviousData;
};

TEST_F(FullDiskTest, ClosingOnAFullDiskKeepsWhatWasSavedAndSaysSoOnce)
{
    const QString log = WriteLog("first.log", 50);
    {
        TfmLogViewer window;
        ShowAndActivate(window);
        Open(window, log);
        window.close();
    }
    ASSERT_TRUE(FErrors.isEmpty()) << FErrors.join(QLatin1Char('\n')).toStdString();
    const QString state = QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrelon"),
                                    QStringLiteral("LogViewer")).fileName();
    const QString layout = TLayoutStore::DefaultFilePath();
    ASSERT_TRUE(state.startsWith(FMount)) << state.toStdString();
    ASSERT_TRUE(layout.startsWith(FMount)) << layout.toStdString();
    const QByteArray savedState = Bytes(state);
    const QByteArray savedLayout = Bytes(layout);
    ASSERT_TRUE(savedState.contains("first.log"));
    ASSERT_TRUE(savedLayout.contains("NormPos="));

    for (const std::size_t spare : {std::size_t{0}, std::size_t{4096}}) {
        SCOPED_TRACE(spare == 0 ? "no room at all" : "one page of room");
        Fill(spare);
        FErrors.clear();
        {
            TfmLogViewer window;
            ShowAndActivate(window);
            // Enough new state that it cannot fit in a page: a long search history.
            for (int i = 0; i < 20; ++i) {
                window.FindBar()->findChild<QComboBox*>(QStringLiteral("cbFindText"))
                    ->setEditText(QStringLiteral("a search long enough to need room %1 ").repeated(30).arg(i));
                window.FindBar()->RememberQuery();
            }
            window.move(window.pos() + QPoint(13, 17));
            window.close();
        }
        MakeRoom();
        EXPECT_EQ(Bytes(state), savedState);
        // The small layout may fit in the one page left; then it is the new one, whole.
        const QByteArray layoutNow = Bytes(layout);
        if (spare == 0)
            EXPECT_EQ(layoutNow, savedLayout);
        else
            EXPECT_TRUE(layoutNow == savedLayout || (layoutNow.startsWith("[fmLogViewer]") && layoutNow.contains("NormPos=") &&
                                                     layoutNow.endsWith('\n')))
                << layoutNow.toStdString();
        EXPECT_EQ(FErrors.size(), 1) << FErrors.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(FErrors.value(0).contains(QStringLiteral("could not be saved")));
        EXPECT_FALSE(QFileInfo::exists(state + QStringLiteral(".saving")));
        EXPECT_FALSE(QFileInfo::exists(layout + QStringLiteral(".saving")));
        QFile::remove(FMount + QStringLiteral("/filler"));
    }
}

}  // namespace
