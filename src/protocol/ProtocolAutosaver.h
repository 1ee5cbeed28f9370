#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class AutosaveWriter;
class ProtocolTable;
class StringGrid;

// The autosave of the protocol shown in `grid`: its text, kept current a finish at a time
// (a save as text writes the same), written beside the race into the autosave file; and
// whether the latest write failed.
class ProtocolAutosaver : public QObject
{
    Q_OBJECT

public:
    // `table` is `grid`'s cells as the file formats see them.
    ProtocolAutosaver(const ProtocolTable &table, const StringGrid &grid, QObject *parent = nullptr);

    // The folder of the autosave file (the program's, when it is writable).
    QString folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }
    QString fileName() const;

    // Has the autosave written beside the race (AutosaveWriter), so that the window's
    // thread never waits for the disk; the outcome shows when it is done. The journal
    // holds every change before its autosave is asked for: after a crash, the autosave
    // and the journal's events after it give everything that was shown.
    void saveInBackground();
    // Writes the autosave file now and waits for it; false when it failed.
    bool autosave();
    // Waits until the writes asked for are done and takes in their outcome.
    void waitUntilWritten();
    bool failed() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    // The protocol's text, as the autosave and a save write it; encoded again only when
    // the cells changed since.
    const QList<QByteArray> &protocolText();
    bool textCurrent() const;
    // After result `row` was added as the grid's last row: its line is appended to a text
    // that was current before (`wasCurrent`), so that a finish does not encode the table.
    void appendResultLine(int row, bool wasCurrent);
    // The text of the grid's table as it was just put in place, encoded elsewhere.
    void adoptText(QByteArray text);

Q_SIGNALS:
    // The reason of the latest failed write changed, or a write succeeded after one failed.
    void errorChanged();
    // An autosave failed where the one before succeeded, or the other way round.
    void failedChanged();

private:
    void takeOutcome(quint64 number, const QString &error);

    const ProtocolTable &m_table;
    const StringGrid &m_grid;
    QString m_folder;
    AutosaveWriter *m_writer = nullptr;
    quint64 m_outcomeTaken = 0; // the newest write whose outcome is taken in
    QString m_error;
    struct EncodedText
    {
        // In pieces: a write holds the text while finishes are appended, and an append
        // then copies the last piece only, not the whole protocol.
        QList<QByteArray> pieces;
        quint64 cellVersion = 0;
        int rowCount = -1; // no text yet
    } m_text;
};
