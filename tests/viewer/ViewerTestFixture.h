#pragma once
// A main window under test: saved state and layout cleared before and after, the error
// display and the file chooser replaced by recorders, and helpers to write logs and to drive
// the window as a user would.

#include "../QtPrinters.h"
#include "ErrorDisplay.h"
#include "FBLogSampleGenerator.h"
#include "FileChooser.h"
#include "LayoutStore.h"
#include "LogMessagesModel.h"
#include "LogViewerMain.h"
#include "TempFolder.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// Waits, letting events run, until the condition holds or five seconds have passed.
template <typename Condition>
bool WaitUntil(Condition&& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// A progress clock whose first reading on a worker thread (in the middle of a pass) runs the
// action on the window's thread, as a user or another program would act meanwhile, and waits
// until it is done. A window whose thread did not handle events during the pass would never
// run it: the reading then gives up after five seconds, and the action shows as not run.
inline FBLogClock ClockActingMidPass(QObject& window, std::function<void()> action)
{
    auto acted = std::make_shared<std::atomic<bool>>(false);
    auto asked = std::make_shared<bool>(false);
    return [&window, action = std::move(action), acted, asked, now = std::int64_t{0}]() mutable {
        if (QThread::currentThread() != window.thread() && !*asked) {
            *asked = true;
            QMetaObject::invokeMethod(&window, [action, acted] {
                action();
                *acted = true;
            }, Qt::QueuedConnection);
            for (int waited = 0; !*acted && waited < 5000; ++waited)
                QThread::msleep(1);
        }
        return now += 1000;
    };
}

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

    // The saved state as the file holds it now, at the place settings go now (a test may move
    // them); the object lives until the next call.
    static QSettings& SavedState()
    {
        static std::unique_ptr<QSettings> settings;
        settings.reset();
        settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                               QStringLiteral("Kestrelon"), QStringLiteral("LogViewer"));
        settings->sync();
        return *settings;
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

    struct TestEntry {
        QDateTime Time;  // an invalid time writes an entry without any TAB
        QString Source = QStringLiteral("DBHOST (Server)");
        QString Message = QStringLiteral("INET/inet_error: read errno = 10054");
    };

    // A log of the given entries, written as a Firebird 2.5 server on Linux writes them.
    QString WriteEntries(const std::string& name, const std::vector<TestEntry>& entries)
    {
        QByteArray bytes;
        for (const TestEntry& entry : entries) {
            bytes += "\n";
            if (entry.Time.isValid())
                bytes += (entry.Source + QLatin1Char('\t') +
                          QLocale::c().toString(entry.Time, QStringLiteral("ddd MMM dd hh:mm:ss yyyy")))
                             .toUtf8();
            else
                bytes += entry.Source.toUtf8() + "\n" + entry.Message.toUtf8() + "\n\n";
            if (entry.Time.isValid())
                bytes += "\n\t" + entry.Message.toUtf8() + "\n\n";
        }
        return QString::fromStdString(FFolder.Write(name, std::string_view(bytes.constData(), bytes.size())));
    }

    // Opens the log through "&Open..." as a user would.
    void Open(TfmLogViewer& window, const QString& path)
    {
        FNextChoice = path;
        Trigger(window, "acFBLogOpen");
    }

    // The texts of one column of the message list, top to bottom.
    static QStringList ColumnTexts(TfmLogViewer& window, int column)
    {
        QStringList texts;
        const QAbstractItemModel* model = window.MessagesModel();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
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

    // What the window's export writes of the log in a format ("jsonl", "csv", "text"), and what
    // kslog list prints of it with the more arguments given.
    struct TExportAndPrint {
        QByteArray Written;
        QByteArray Printed;
    };
    TExportAndPrint ExportAndList(TfmLogViewer& window, const QString& log, TFBLogRecordFormat format,
                                  const char* name, const QStringList& more = {})
    {
        TExportAndPrint result;
        const QString exported = QString::fromStdString(FFolder.PathOf(std::string("export.") + name));
        window.ExportVisibleEntries(exported, format);
        QFile file(exported);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        result.Written = file.readAll();
        QProcess kslog;
        kslog.start(QStringLiteral(KSLOG_PATH),
                    QStringList{QStringLiteral("list"), log, QStringLiteral("--format"), QString::fromLatin1(name)} + more);
        EXPECT_TRUE(kslog.waitForFinished(30000));
        EXPECT_EQ(kslog.exitCode(), 0) << kslog.readAllStandardError().toStdString();
        result.Printed = kslog.readAllStandardOutput();
        return result;
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
