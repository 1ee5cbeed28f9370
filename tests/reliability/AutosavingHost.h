#pragma once

#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolText.h"
#include "RaceClock.h"
#include "RaceRows.h"

// The window's side of a finish, over an in-memory protocol: the row goes in as the
// protocol panel puts it (number, time, country code, start number; the row emptied
// first) and the autosave is the program's text writer through its atomic writer.
class AutosavingHost final : public RaceClockHost
{
public:
    AutosavingHost(TMemoryProtocolTable &table, QString file)
        : m_table(table)
        , m_file(std::move(file))
    {
    }

    bool lastSaveOk = false;
    // Writes the autosave after every n-th finish only (1: after each, as the program).
    int saveEvery = 1;
    int saves = 0;

    // The title row, as the protocol is laid out at start-up.
    static void InitTitles(TMemoryProtocolTable &table)
    {
        const QStringList &titles = ProtocolColumns::ColumnTitles();
        for (int c = 0; c < table.ColCount(); ++c)
            table.setCells(c, 0, titles.at(c));
    }

    void ShowTime(DisplayRow, qint32) override {}
    QString CurrentCountryCode() const override { return RaceRows::CountryCode(m_resultCount); }
    void AddResultRow(const QString &timeText, const QString &countryCode) override
    {
        if (m_table.RowCount() <= m_resultCount)
            m_table.setRowCount(m_resultCount + 1);
        m_table.ClearRow(m_resultCount);
        m_table.setCells(0, m_resultCount, RaceRows::Number(m_resultCount));
        m_table.setCells(1, m_resultCount, timeText);
        m_table.setCells(2, m_resultCount, countryCode);
        m_table.setCells(3, m_resultCount, RaceRows::StartNumber(m_resultCount));
    }
    void ShowResultRow(int) override {}
    void SaveAutosave() override
    {
        if (m_resultCount % saveEvery != 0)
            return;
        lastSaveOk = TProtocolText::SaveProtocolText(m_table, m_file);
        ++saves;
    }
    void EnableExportCommands(bool) override {}
    void ClearProtocol() override {}
    void LayoutProtocolColumns() override {}
    void UpdateProtocolCommands() override {}
    int AskYesNo(const QString &, const QString &, const QString &) override { return 2; }
    void FocusControl(FocusTarget) override {}
    qint32 ResultCount() const override { return m_resultCount; }
    void setResultCount(qint32 value) override { m_resultCount = value; }
    void CommandStatesChanged() override {}

private:
    TMemoryProtocolTable &m_table;
    QString m_file;
    qint32 m_resultCount = 0;
};
