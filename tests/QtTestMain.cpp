// Entry point of the test programs that need Qt: a QApplication on the offscreen platform, a
// fixed locale, and settings and data folders in a temporary folder, never the user's own.

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Not QStandardPaths' test mode: its folders are shared by all test processes, and ctest
    // runs them side by side.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));

    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
