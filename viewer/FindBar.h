#pragma once
// The find bar under the date filter: what to look for, how (match case, whole words, regular
// expression), whether the list shows only the matching entries, the way to the next and
// previous match, and a line that says how many there are or why the text is no search.

#include "FBLogSearch.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QTimer;
class QToolButton;

class TFindBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHistoryLength = 20;
    // How long typing must pause before the search runs.
    static constexpr int kTypingPauseMs = 250;

    explicit TFindBar(QWidget* parent = nullptr);

    QString Query() const;
    TFBLogSearchOptions Options() const;
    bool OnlyMatching() const;
    // True while the bar is shown and holds something to look for.
    bool Active() const;
    // True while typing has not paused long enough for the search to run.
    bool SearchPending() const;

    // Shows the bar with its text selected and the focus in it.
    void Open();
    // Hides the bar; what it held is kept in the history.
    void Close();

    // The line beside the buttons: "3 of 120", "No matches", or why the text is no search.
    void ShowResult(const QString& text, bool isError = false);

    // The searches remembered, the newest first.
    QStringList History() const;
    void SetHistory(const QStringList& history);
    void RememberQuery();

signals:
    // The text (after a pause in typing) or an option changed.
    void SearchChanged();
    void OnlyMatchingChanged();
    void NextRequested();
    void PreviousRequested();
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCheckBox* AddOption(const QString& caption, const char* name);
    QToolButton* AddButton(const QString& caption, const QString& toolTip, const char* name);

    QComboBox* cbFindText = nullptr;
    QCheckBox* cbFindMatchCase = nullptr;
    QCheckBox* cbFindWholeWords = nullptr;
    QCheckBox* cbFindRegex = nullptr;
    QCheckBox* cbFindOnlyMatching = nullptr;
    QLabel* laFindResult = nullptr;
    QTimer* FTypingPause = nullptr;
};
