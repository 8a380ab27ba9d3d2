#include "../QtPrinters.h"
#include "AboutDialog.h"
#include "ApplicationInfo.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QString LabelText(const TfmAbout& dialog, const char* name)
{
    return dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

TVersionBlock Block(std::vector<std::uint32_t> translations, std::map<QString, QString> strings)
{
    return TVersionBlock{std::move(translations), std::move(strings)};
}

}  // namespace

TEST(VersionInfoTest, TranslationKeysAreLanguageThenCodePageInUpperCaseHex)
{
    EXPECT_EQ(TranslationKey(0x04E40409u), QStringLiteral("040904E4"));
    EXPECT_EQ(TranslationKey(0x04B00419u), QStringLiteral("041904B0"));
    EXPECT_EQ(TranslationKey(0), QStringLiteral("00000000"));
}

TEST(VersionInfoTest, TheProgramsOwnValuesFillTheLabels)
{
    const TfmAbout dialog;
    EXPECT_EQ(LabelText(dialog, "laProductName"), QStringLiteral("Kestrelon Log Viewer for Firebird and InterBase"));
    EXPECT_EQ(LabelText(dialog, "laFileVersion"), QStringLiteral("Version 2.0.0.8 "));
    EXPECT_TRUE(LabelText(dialog, "laProductCopyright").startsWith(QStringLiteral("Copyright (C) ")));
    EXPECT_EQ(LabelText(dialog, "laProductComments"), QString());
    EXPECT_EQ(dialog.size(), QSize(517, 197));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About"));
}

TEST(VersionInfoTest, OnlyTheFirstTranslationCountsAndVersionInfoFollowsTheVersion)
{
    const TAboutTexts texts = AboutTextsOf(Block({0x04B00407u, 0x04E40409u},
                                                 {{QStringLiteral("040704B0\\ProductName"), QStringLiteral("Protokollbetrachter")},
                                                  {QStringLiteral("040704B0\\FileVersion"), QStringLiteral("3.1")},
                                                  {QStringLiteral("040704B0\\VersionInfo"), QStringLiteral("Beta 2")},
                                                  {QStringLiteral("040904E4\\ProductName"), QStringLiteral("Log viewer")},
                                                  {QStringLiteral("040904E4\\Comments"), QStringLiteral("not shown")}}));
    EXPECT_EQ(texts.ProductName, QStringLiteral("Protokollbetrachter"));
    EXPECT_EQ(texts.Version, QStringLiteral("Version 3.1 Beta 2"));
    EXPECT_EQ(texts.Comments, QString());
}

TEST(VersionInfoTest, WithoutFileVersionTheVersionLabelStaysEmpty)
{
    const TAboutTexts texts = AboutTextsOf(Block({0x04E40409u}, {{QStringLiteral("040904E4\\VersionInfo"), QStringLiteral("RC1")},
                                                                 {QStringLiteral("040904E4\\LegalCopyright"), QStringLiteral("(C) Someone")}}));
    EXPECT_EQ(texts.Version, QString());
    EXPECT_EQ(texts.Copyright, QStringLiteral("(C) Someone"));
}

TEST(VersionInfoTest, NoVersionInformationLeavesEveryLabelEmpty)
{
    const TfmAbout dialog(nullptr, [] { return std::optional<TVersionBlock>(); });
    for (const char* label : {"laProductName", "laFileVersion", "laProductCopyright", "laProductComments"})
        EXPECT_EQ(LabelText(dialog, label), QString()) << label;
    EXPECT_EQ(AboutTextsOf(Block({}, {{QStringLiteral("040904E4\\ProductName"), QStringLiteral("x")}})).ProductName,
              QString())
        << "no translation table, no key";
}

TEST(VersionInfoTest, AReadErrorFallsBackToTheTitleAndAFixedNotice)
{
    const TfmAbout dialog(nullptr, []() -> std::optional<TVersionBlock> { throw std::runtime_error("unreadable"); });
    EXPECT_EQ(LabelText(dialog, "laProductName"), ApplicationTitle());
    EXPECT_EQ(LabelText(dialog, "laProductCopyright"), FallbackCopyright());
    EXPECT_EQ(LabelText(dialog, "laFileVersion"), QString());
}

TEST(AboutDialogTest, TheLinkLightsUpUnderTheMouseAndReturnsToItsColour)
{
    TfmAbout dialog;
    const auto* link = dialog.findChild<QLabel*>(QStringLiteral("laOnlineSupport"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->text(), QStringLiteral("Online support..."));
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    const QColor initial = link->palette().color(QPalette::WindowText);
    EXPECT_EQ(initial, QApplication::palette().color(QPalette::Highlight));

    dialog.laOnlineSupportMouseEnter();
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QApplication::palette().color(QPalette::Link));
    dialog.laOnlineSupportMouseLeave();
    EXPECT_EQ(link->palette().color(QPalette::WindowText), initial);
}
