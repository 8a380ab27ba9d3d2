#pragma once
// A main window under test: saved state and layout cleared before and after, the error
// display and the file chooser replaced by recorders, and helpers to write logs and to drive
// the window as a user would.

#include "ErrorDisplay.h"
#include "FBLogSampleGenerator.h"
#include "FileChooser.h"
#include "LayoutStore.h"
#include "LogViewerMain.h"
#include "TempFolder.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSavedState();
        FPreviousDisplay = SetErrorDisplay([this](QWidget*, const QString& message) { FErrors << message; });
        FPreviousChooser = SetFileChooser([this](QWidget*, const TFileOpenRequest& request) {
            ++FChooserCalls;
            FLastRequest = request;
            return FNextChoice;
        });
    }

    void TearDown() override
    {
        SetErrorDisplay(FPreviousDisplay);
        SetFileChooser(FPreviousChooser);
        ClearSavedState();
    }

    static QSettings& SavedState()
    {
        static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrelon"),
                                  QStringLiteral("LogViewer"));
        settings.sync();
        return settings;
    }

    static void ClearSavedState()
    {
        SavedState().clear();
        SavedState().sync();
        QFile::remove(TLayoutStore::DefaultFilePath());
    }

    static void Plant(const QString& name, const QVariant& value)
    {
        SavedState().setValue(QStringLiteral("STATE/") + name, value);
        SavedState().sync();
    }

    // A log of realistic entries, all written in November 2026.
    QString WriteLog(const std::string& name, std::int64_t entries = 300, bool clean = false)
    {
        SampleLogOptions options;
        options.Entries = entries;
        options.UnreadablePieces = !clean;
        options.Start = {2026, 11, 2, 8, 0, 0, 0};
        options.MeanSecondsBetween = 900;
        FExpected = GenerateSampleLog(options);
        return QString::fromStdString(FFolder.Write(name, FExpected.Bytes));
    }

    // Shows the window and lets its first activation (the first load) happen.
    static void ShowAndActivate(TfmLogViewer& window)
    {
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    static void Trigger(TfmLogViewer& window, const char* actionName)
    {
        window.findChild<QAction*>(QString::fromLatin1(actionName))->trigger();
    }

    static QComboBox* DateFilter(TfmLogViewer& window)
    {
        return window.findChild<QComboBox*>(QStringLiteral("cbShowDateFilter"));
    }

    static QDateTimeEdit* Picker(TfmLogViewer& window, const char* name)
    {
        return window.findChild<QDateTimeEdit*>(QString::fromLatin1(name));
    }

    TempFolder FFolder;
    SampleLog FExpected;
    QStringList FErrors;
    QString FNextChoice;
    int FChooserCalls = 0;
    TFileOpenRequest FLastRequest;

private:
    TErrorDisplay FPreviousDisplay;
    TFileChooser FPreviousChooser;
};
