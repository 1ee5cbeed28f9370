#pragma once

#include "RaceClock.h"

#include <QList>
#include <QPair>
#include <QStringList>

// A main window stand-in for the race clock: records what the clock asks of it.
class RecordingRaceClockHost : public RaceClockHost
{
public:
    QStringList calls;
    QStringList timeTexts;
    QStringList countryCodes;
    QList<QPair<DisplayRow, qint32>> shown;
    QStringList questions;
    QString countryCode = QStringLiteral("GER");
    int answer = 6;
    qint32 resultCount = 0;

    void ShowTime(DisplayRow row, qint32 ms) override
    {
        shown.append({row, ms});
        calls << QStringLiteral("ShowTime");
    }
    QString CurrentCountryCode() const override { return countryCode; }
    void AddResultRow(const QString &timeText, const QString &code) override
    {
        timeTexts << timeText;
        countryCodes << code;
        calls << QStringLiteral("AddResultRow");
    }
    void ShowResultRow(int row) override { calls << QStringLiteral("ShowResultRow %1").arg(row); }
    void SaveAutosave() override { calls << QStringLiteral("SaveAutosave"); }
    void EnableExportCommands(bool disable) override
    {
        calls << QStringLiteral("EnableExportCommands %1").arg(disable);
    }
    void ClearProtocol() override
    {
        timeTexts.clear();
        countryCodes.clear();
        calls << QStringLiteral("ClearProtocol");
    }
    void LayoutProtocolColumns() override { calls << QStringLiteral("LayoutProtocolColumns"); }
    void UpdateProtocolCommands() override { calls << QStringLiteral("UpdateProtocolCommands"); }
    int AskYesNo(const QString &question, const QString &yes, const QString &no) override
    {
        questions << question + QLatin1Char('|') + yes + QLatin1Char('|') + no;
        return answer;
    }
    void FocusControl(FocusTarget target) override
    {
        calls << QStringLiteral("Focus %1").arg(int(target));
    }
    qint32 ResultCount() const override { return resultCount; }
    void setResultCount(qint32 value) override { resultCount = value; }
    void CommandStatesChanged() override {}
};
