#pragma once

#include "journal/JournalEntry.h"
#include "platform/AppendOnlyFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// The journal's file in its folder: "Tivano-Journal.txt" holds the current day's
// events. A file begun on an earlier day is kept beside it as
// "Tivano-Journal-<yyyy-MM-dd>.txt" when the next day's journal begins. Events are
// numbered from 1 in each file and stamped with the local time.
class JournalFile
{
public:
    static const QString FileName;
    using Clock = std::function<QDateTime()>;

    // `now` null: the machine's local time.
    explicit JournalFile(Clock now = {});

    QString folder() const { return m_folder; }
    void setFolder(const QString &folder);
    QString fileName() const;

    // Continued: the file was there; NewDay: one of an earlier day was kept aside and a
    // new one begun; Begun: there was none (or none to continue, which was kept aside).
    enum class Opening { Failed, Continued, NewDay, Begun };
    // Opens the current day's file for appending. A file of an earlier day is kept
    // aside first and a new one begun; so is a file that is no journal at all and one
    // whose last event is damaged or bears the last number a journal may use.
    Opening openForToday();
    // The file the last opening kept aside, and why; no file name when it kept none.
    struct KeptAside
    {
        enum class Reason { NewDay, Foreign, Damaged };
        QString fileName;
        Reason reason = Reason::NewDay;
    };
    KeptAside keptAside() const { return m_keptAside; }
    bool isOpen() const { return m_file.isOpen(); }
    // Open, and begun on the current day: opening it for today would change nothing.
    bool isOpenForToday() const { return m_file.isOpen() && m_begunOn == m_now().date(); }
    // Open, but no longer the file at the journal's name: deleted, moved or replaced.
    bool isLost() const { return m_file.isOpen() && !m_file.isStillAtItsName(); }
    // Its last event bears the last number a journal may use: the next begins a new file.
    bool isFull() const;
    QDateTime now() const { return m_now(); }
    void close() { m_file.close(); }

    // Numbers, stamps and appends the event; on the disk when it returns true.
    bool append(JournalEntry entry);
    qint64 lastSequence() const { return m_sequence; }
    QString errorString() const { return m_error; }

    // The journals in `folder`: the current one first, then the kept ones, newest first.
    static QStringList journalsIn(const QString &folder);

private:
    QString keepAside(const QDateTime &begun);
    bool begin();

    Clock m_now;
    QString m_folder;
    AppendOnlyFile m_file;
    qint64 m_sequence = 0;
    QDate m_begunOn; // of the open file
    QString m_error;
    KeptAside m_keptAside;
};
