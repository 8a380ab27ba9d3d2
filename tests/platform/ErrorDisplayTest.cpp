#include "ErrorDisplay.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

TEST(ErrorDisplayTest, AddsAFullStopOnlyAfterCharactersAboveTheDot)
{
    EXPECT_EQ(WithFullStop(QStringLiteral("Cannot open file \"x\". Permission denied")),
              QStringLiteral("Cannot open file \"x\". Permission denied."));
    EXPECT_EQ(WithFullStop(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(WithFullStop(QStringLiteral("Invalid data type for 'DateFilter'")),
              QStringLiteral("Invalid data type for 'DateFilter'"));  // the apostrophe is below "."
    EXPECT_EQ(WithFullStop(QStringLiteral("code (5)")), QStringLiteral("code (5)"));
    EXPECT_EQ(WithFullStop(QStringLiteral("ends in a slash/")), QStringLiteral("ends in a slash/."));
    EXPECT_EQ(WithFullStop(QString()), QString());
}

TEST(ErrorDisplayTest, CommandsHandTheirExceptionsToTheDisplay)
{
    QStringList shown;
    const TErrorDisplay previous = SetErrorDisplay([&](QWidget*, const QString& message) { shown << message; });
    RunCommand(nullptr, [] { throw std::runtime_error("Cannot open file \"a.log\". No such file or directory"); });
    RunCommand(nullptr, [] {});
    RunCommand(nullptr, [] { throw 42; });
    SetErrorDisplay(previous);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Cannot open file \"a.log\". No such file or directory."),
                                  QStringLiteral("Unknown error.")}));
}

#include "ApplicationInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TEST(ApplicationInfoTest, TheCatalogueBesideTheProgramWinsOverTheInstalledOne)
{
    QTemporaryDir prefix;
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString share = prefix.filePath(QStringLiteral("share/kslogviewer"));
    QDir().mkpath(bin);
    QDir().mkpath(share);
    EXPECT_EQ(CataloguePathFor(bin), QDir(bin).filePath(QStringLiteral("fblvlog.descr"))) << "neither exists";

    QFile(QDir(share).filePath(QStringLiteral("fblvlog.descr"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(CataloguePathFor(bin), QDir(share).filePath(QStringLiteral("fblvlog.descr")));

    QFile(QDir(bin).filePath(QStringLiteral("fblvlog.descr"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(CataloguePathFor(bin), QDir(bin).filePath(QStringLiteral("fblvlog.descr")));
}
