#pragma once

#include "RaceRows.h"
#include "protocol/MemoryProtocolTable.h"
#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolText.h"
#include "timing/RaceClock.h"

#include <QObject>

// The window's side of a finish, over an in-memory protocol: the row goes in as the
// protocol panel puts it (number, time, country code, start number; the row emptied
// first) and the autosave is the program's text writer through its atomic writer.
class AutosavingProtocol final : public QObject
{
public:
    AutosavingProtocol(MemoryProtocolTable &table, QString file)
        : m_table(table)
        , m_file(std::move(file))
    { }

    bool lastSaveOk = false;
    // Writes the autosave after every n-th finish only (1: after each, as the program).
    int saveEvery = 1;
    int saves = 0;

    // The title row, as the protocol is laid out at start-up.
    static void initTitles(MemoryProtocolTable &table)
    {
        const QStringList &titles = ProtocolColumns::columnTitles();
        for (int c = 0; c < table.colCount(); ++c)
            table.setCells(c, 0, titles.at(c));
    }

    // Takes every finish `clock` records.
    void listenTo(RaceClock &clock)
    {
        connect(&clock, &RaceClock::finishRecorded, this,
                [this](const RaceFinish &finish) { recordFinish(finish.timeText); });
    }

    qint32 lastResultRow() const { return m_resultCount; }
    void setLastResultRow(qint32 value) { m_resultCount = value; }

private:
    void recordFinish(const QString &timeText)
    {
        ++m_resultCount;
        if (m_table.rowCount() <= m_resultCount)
            m_table.setRowCount(m_resultCount + 1);
        m_table.clearRow(m_resultCount);
        m_table.setCells(0, m_resultCount, RaceRows::number(m_resultCount));
        m_table.setCells(1, m_resultCount, timeText);
        m_table.setCells(2, m_resultCount, RaceRows::countryCode(m_resultCount));
        m_table.setCells(3, m_resultCount, RaceRows::startNumber(m_resultCount));
        if (m_resultCount % saveEvery != 0)
            return;
        lastSaveOk = ProtocolText::saveProtocolText(m_table, m_file);
        ++saves;
    }

    MemoryProtocolTable &m_table;
    QString m_file;
    qint32 m_resultCount = 0;
};
