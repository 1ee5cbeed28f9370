#pragma once

#include "journal/JournalReplay.h"

#include <QDialog>

#include <optional>

class BackgroundTask;
class QComboBox;
class QProgressBar;
class QTimer;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Protokoll wiederherstellen": lists the journals of a folder and the key events of
// the chosen one (program start, START, STOPP, clears, resets, loads, restores) with
// the results the protocol held just before each, and last the journal's end. The
// operator picks the point to go back to; the latest clear, reset or load is picked to
// begin with, else the end.
class JournalRestoreDialog : public QDialog
{
    Q_OBJECT

public:
    explicit JournalRestoreDialog(QWidget *parent = nullptr);

    struct Choice
    {
        QString journal;
        JournalReplay::RestorePoint point;
    };

    // Shows the journals in `folder` modally; the event chosen, or nothing.
    std::optional<Choice> choose(const QString &folder);

    // Fills the lists without showing the dialog. The chosen journal is read on a thread
    // of its own, with a progress bar, so that the race goes on meanwhile.
    void showJournals(const QString &folder);
    bool isReading() const;
    // The event's description as the list shows it, e.g. "Protokoll gelöscht".
    static QString describe(const JournalEntry &entry);

    QComboBox *journalBox = nullptr;
    QTreeWidget *eventList = nullptr;
    QLabel *noteLabel = nullptr;
    QPushButton *restoreButton = nullptr;
    QProgressBar *readingBar = nullptr;

    void done(int result) override;

private:
    void showEvents(int journalIndex);
    void showScan(const std::optional<JournalReplay::Scan> &scan, const QString &error);
    std::optional<Choice> currentChoice() const;

    QString m_folder;
    QList<JournalReplay::RestorePoint> m_points;
    BackgroundTask *m_reading = nullptr;
    QTimer *m_progressTimer = nullptr; // shows the reading's progress
};
