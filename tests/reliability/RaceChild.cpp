// A finish-line host reduced to what the autosave depends on: the race clock records
// finishes as fast as it can into an in-memory protocol, rewriting the autosave file
// after each one exactly as the main window does, and reports every finish whose
// autosave completed. It is killed at random moments by tst_crashconsistency.
//
// Usage: reliability_race_child <autosave file> <report fd> [max finishes]
#include "ManualClock.h"
#include "MemoryProtocolTable.h"
#include "ProtocolColumns.h"
#include "ProtocolText.h"
#include "RaceClock.h"
#include "RaceRows.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

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

    QString nextStartNumber;
    bool lastSaveOk = false;

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
        m_table.setCells(3, m_resultCount, nextStartNumber);
    }
    void ShowResultRow(int) override {}
    void SaveAutosave() override
    {
        lastSaveOk = TProtocolText::SaveProtocolText(m_table, m_file);
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

bool WriteAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <autosave file> <report fd> [max finishes]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int reportFd = std::atoi(argv[2]);
    const long maxFinishes = argc > 3 ? std::atol(argv[3]) : 0;

    // Start-up as the program does it: the autosave file read back into the protocol,
    // the result counter taken from the table.
    TMemoryProtocolTable table;
    const QStringList &titles = ProtocolColumns::ColumnTitles();
    for (int c = 0; c < table.ColCount(); ++c)
        table.setCells(c, 0, titles.at(c));
    TProtocolText::LoadProtocolText(table, file);
    AutosavingHost host(table, file);
    host.setResultCount(table.ResultCountFromTable());

    ManualClock clocks;
    RaceClock clock(host, clocks);
    clock.setLockoutInterval(0);
    clock.mStartClick();

    char line[32];
    const int len = std::snprintf(line, sizeof line, "S%d\n", host.ResultCount());
    if (!WriteAll(reportFd, line, size_t(len)))
        return 3;

    for (long done = 0; maxFinishes == 0 || done < maxFinishes; ++done) {
        const int row = host.ResultCount() + 1;
        clocks.timeOfDay = RaceRows::TimeOfDay(row);
        host.nextStartNumber = RaceRows::StartNumber(row);
        host.lastSaveOk = false;
        clock.mLAPClick();
        if (!host.lastSaveOk) {
            std::fprintf(stderr, "autosave of row %d failed\n", row);
            return 4;
        }
        const int n = std::snprintf(line, sizeof line, "%d\n", host.ResultCount());
        if (!WriteAll(reportFd, line, size_t(n)))
            return 3;
    }
    return 0;
}
