#include "LayoutStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString ReadFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

void WriteFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
}

}  // namespace

TEST(LayoutStoreTest, WritesTheFiveKeysAndReadsThemBack)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("KsLogLayout.ini"));
    TWindowPlacement placement;
    placement.PixelsPerInch = 120;
    placement.NormalRect = QRect(QPoint(10, 20), QPoint(1017, 681));
    TLayoutStore(path, QStringLiteral("fmLogViewer")).Write(placement);

    EXPECT_EQ(ReadFile(path).toStdString(), "[fmLogViewer]\nFormVersion=0\nFlags=0\nPixelsPerInch=120\n"
                                            "MinMaxPos=-1,-1,-1,-1\nNormPos=10,20,1018,682\n");

    const auto back = TLayoutStore(path, QStringLiteral("fmLogViewer")).Read();
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->NormalRect, placement.NormalRect);
    EXPECT_EQ(back->PixelsPerInch, 120);
}

TEST(LayoutStoreTest, ReadsHandWrittenFilesAndRejectsBrokenOnes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("KsLogLayout.ini"));
    const TLayoutStore store(path, QStringLiteral("fmLogViewer"));
    EXPECT_FALSE(store.Read().has_value()) << "nothing stored";

    WriteFile(path, "; kept by hand\n[other]\nx=1\n[fmLogViewer]\nFlags=0\nPixelsPerInch = 96\nMinMaxPos=-1,-1,-1,-1\n"
                    "NormPos=\"100,50,1108,712\"\n");
    const auto placement = store.Read();
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(placement->NormalRect, QRect(100, 50, 1008, 662));

    WriteFile(path, "[fmLogViewer]\nFormVersion=-1\nPixelsPerInch=96\nNormPos=100,50,1108,712\n");
    EXPECT_FALSE(store.Read().has_value()) << "a layout version below 0";
    WriteFile(path, "[fmLogViewer]\nPixelsPerInch=96\nNormPos=100,50,1108\n");
    EXPECT_FALSE(store.Read().has_value()) << "three numbers";
    WriteFile(path, "[fmLogViewer]\nPixelsPerInch=many\nNormPos=100,50,1108,712\n");
    EXPECT_FALSE(store.Read().has_value()) << "no resolution";
    WriteFile(path, "[other]\nPixelsPerInch=96\nNormPos=100,50,1108,712\n");
    EXPECT_FALSE(store.Read().has_value()) << "another window's section";
    // Numbers at the ends of int once overflowed while the rectangle was formed.
    for (const char* hostile : {"0,0,-2147483648,-2147483648", "2147483647,2147483647,2147483647,2147483647",
                                "-2147483648,0,2147483647,10"}) {
        WriteFile(path, QByteArray("[fmLogViewer]\nPixelsPerInch=96\nNormPos=") + hostile + "\n");
        EXPECT_FALSE(store.Read().has_value()) << hostile;
    }
}

TEST(LayoutStoreTest, WritingKeepsTheOtherSectionsAndLeavesNoTemporaryFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("KsLogLayout.ini"));
    WriteFile(path, "[fmOther]\nNormPos=1,2,3,4\n");
    TWindowPlacement placement;
    placement.PixelsPerInch = 96;
    placement.NormalRect = QRect(5, 6, 700, 500);
    EXPECT_EQ(TLayoutStore(path, QStringLiteral("fmLogViewer")).Write(placement), std::nullopt);
    EXPECT_TRUE(ReadFile(path).contains(QStringLiteral("[fmOther]\nNormPos=1,2,3,4\n")));
    EXPECT_EQ(TLayoutStore(path, QStringLiteral("fmLogViewer")).Read()->NormalRect, placement.NormalRect);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".saving")));

    // A folder that cannot hold the file: the reason comes back.
    EXPECT_TRUE(TLayoutStore(folder.filePath(QStringLiteral("missing/KsLogLayout.ini")), QStringLiteral("fmLogViewer"))
                    .Write(placement)
                    .has_value());
}

TEST(LayoutStoreTest, RestoresOnlyOnTheSameResolutionAndOnAMonitor)
{
    const QRect monitor(0, 0, 1920, 1080);
    const auto onMonitor = [&](QPoint p) { return monitor.contains(p); };
    TWindowPlacement placement;
    placement.PixelsPerInch = 96;
    placement.NormalRect = QRect(100, 100, 1008, 662);
    EXPECT_TRUE(CanRestorePlacement(placement, 96, onMonitor));
    EXPECT_FALSE(CanRestorePlacement(placement, 120, onMonitor));

    placement.NormalRect = QRect(1500, 100, 1008, 662);  // bottom-right corner off the monitor
    EXPECT_FALSE(CanRestorePlacement(placement, 96, onMonitor));
    placement.NormalRect = QRect(QPoint(1919, 1079), QPoint(1919, 1079));  // one pixel, on it
    EXPECT_TRUE(CanRestorePlacement(placement, 96, onMonitor));
    placement.NormalRect = QRect(QPoint(500, 100), QPoint(499, 700));  // left not below right
    EXPECT_FALSE(CanRestorePlacement(placement, 96, onMonitor));
}
