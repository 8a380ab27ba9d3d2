#include "FindBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

TFindBar::TFindBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("paFindBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(6);

    auto* caption = new QLabel(QStringLiteral("Find:"), this);
    layout->addWidget(caption);
    cbFindText = new QComboBox(this);
    cbFindText->setObjectName(QStringLiteral("cbFindText"));
    cbFindText->setEditable(true);
    cbFindText->setAccessibleName(QStringLiteral("Find"));
    cbFindText->setInsertPolicy(QComboBox::NoInsert);
    cbFindText->setMinimumWidth(260);
    cbFindText->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    cbFindText->lineEdit()->setPlaceholderText(QStringLiteral("Text in the entries; -text excludes"));
    cbFindText->lineEdit()->setClearButtonEnabled(true);
    // The combo box takes the keys first and hands them to its line edit directly.
    cbFindText->installEventFilter(this);
    caption->setBuddy(cbFindText);
    layout->addWidget(cbFindText, 1);

    AddButton(QStringLiteral("Previous"), QStringLiteral("Previous match (Shift+F3)"), "btFindPrevious");
    AddButton(QStringLiteral("Next"), QStringLiteral("Next match (F3)"), "btFindNext");
    cbFindMatchCase = AddOption(QStringLiteral("Match &case"), "cbFindMatchCase");
    cbFindWholeWords = AddOption(QStringLiteral("&Whole words"), "cbFindWholeWords");
    cbFindRegex = AddOption(QStringLiteral("Re&gular expression"), "cbFindRegex");
    cbFindOnlyMatching = AddOption(QStringLiteral("&Only matching"), "cbFindOnlyMatching");
    disconnect(cbFindOnlyMatching, nullptr, this, nullptr);
    connect(cbFindOnlyMatching, &QCheckBox::toggled, this, &TFindBar::OnlyMatchingChanged);

    laFindResult = new QLabel(this);
    laFindResult->setObjectName(QStringLiteral("laFindResult"));
    laFindResult->setMinimumWidth(120);
    layout->addWidget(laFindResult);
    QToolButton* close = AddButton(QString(), QStringLiteral("Close the find bar (Esc)"), "btFindClose");
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setAutoRaise(true);
    close->setAccessibleName(QStringLiteral("Close the find bar"));

    FTypingPause = new QTimer(this);
    FTypingPause->setSingleShot(true);
    FTypingPause->setInterval(kTypingPauseMs);
    connect(FTypingPause, &QTimer::timeout, this, &TFindBar::SearchChanged);
    connect(cbFindText, &QComboBox::editTextChanged, FTypingPause, qOverload<>(&QTimer::start));
    connect(findChild<QToolButton*>(QStringLiteral("btFindNext")), &QToolButton::clicked, this, [this] {
        RememberQuery();
        emit NextRequested();
    });
    connect(findChild<QToolButton*>(QStringLiteral("btFindPrevious")), &QToolButton::clicked, this, [this] {
        RememberQuery();
        emit PreviousRequested();
    });
    connect(close, &QToolButton::clicked, this, &TFindBar::Close);
    hide();
}

QCheckBox* TFindBar::AddOption(const QString& caption, const char* name)
{
    auto* option = new QCheckBox(caption, this);
    option->setObjectName(QString::fromLatin1(name));
    layout()->addWidget(option);
    connect(option, &QCheckBox::toggled, this, &TFindBar::SearchChanged);
    return option;
}

QToolButton* TFindBar::AddButton(const QString& caption, const QString& toolTip, const char* name)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(caption);
    button->setToolTip(toolTip);
    layout()->addWidget(button);
    return button;
}

QString TFindBar::Query() const
{
    return cbFindText->currentText();
}

TFBLogSearchOptions TFindBar::Options() const
{
    return {cbFindMatchCase->isChecked(), cbFindWholeWords->isChecked(), cbFindRegex->isChecked()};
}

bool TFindBar::OnlyMatching() const
{
    return cbFindOnlyMatching->isChecked();
}

bool TFindBar::Active() const
{
    return !isHidden() && !Query().trimmed().isEmpty();
}

bool TFindBar::SearchPending() const
{
    return FTypingPause->isActive();
}

void TFindBar::Open()
{
    const bool wasHidden = isHidden();
    show();
    cbFindText->setFocus(Qt::ShortcutFocusReason);
    cbFindText->lineEdit()->selectAll();
    if (wasHidden && !Query().isEmpty())
        emit SearchChanged();
}

void TFindBar::Close()
{
    if (isHidden())
        return;
    RememberQuery();
    FTypingPause->stop();
    hide();
    emit Closed();
}

void TFindBar::ShowResult(const QString& text, bool isError)
{
    laFindResult->setText(text);
    QFont font = laFindResult->font();
    font.setBold(isError);
    laFindResult->setFont(font);
    laFindResult->setToolTip(isError ? text : QString());
}

QStringList TFindBar::History() const
{
    QStringList history;
    for (int i = 0; i < cbFindText->count(); ++i)
        history << cbFindText->itemText(i);
    return history;
}

void TFindBar::SetHistory(const QStringList& history)
{
    const QString text = Query();
    const QSignalBlocker quiet(cbFindText);
    cbFindText->clear();
    for (const QString& query : history)
        if (!query.trimmed().isEmpty() && cbFindText->findText(query, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0 &&
            cbFindText->count() < kHistoryLength)
            cbFindText->addItem(query);
    cbFindText->setEditText(text);
}

void TFindBar::RememberQuery()
{
    const QString query = Query();
    if (query.trimmed().isEmpty())
        return;
    QStringList history = History();
    history.removeAll(query);
    history.prepend(query);
    SetHistory(history.mid(0, kHistoryLength));
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter runs a search still waiting for the pause in typing, then moves.
            if (FTypingPause->isActive()) {
                FTypingPause->stop();
                emit SearchChanged();
            }
            RememberQuery();
            emit(key->modifiers() & Qt::ShiftModifier ? PreviousRequested() : NextRequested());
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
