#pragma once

#include "timing/RaceClock.h"

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

    void showTime(DisplayRow row, qint32 ms) override
    {
        shown.append({row, ms});
        calls << QStringLiteral("ShowTime");
    }
    QString currentCountryCode() const override { return countryCode; }
    void addResultRow(const QString &timeText, const QString &code) override
    {
        timeTexts << timeText;
        countryCodes << code;
        calls << QStringLiteral("AddResultRow");
    }
    void showResultRow(int row) override { calls << QStringLiteral("ShowResultRow %1").arg(row); }
    void saveAutosave() override { calls << QStringLiteral("SaveAutosave"); }
    void enableExportCommands(bool disable) override
    {
        calls << QStringLiteral("EnableExportCommands %1").arg(disable);
    }
    void clearProtocol() override
    {
        timeTexts.clear();
        countryCodes.clear();
        calls << QStringLiteral("ClearProtocol");
    }
    void layoutProtocolColumns() override { calls << QStringLiteral("LayoutProtocolColumns"); }
    void updateProtocolCommands() override { calls << QStringLiteral("UpdateProtocolCommands"); }
    int askYesNo(const QString &question, const QString &yes, const QString &no) override
    {
        questions << question + QLatin1Char('|') + yes + QLatin1Char('|') + no;
        return answer;
    }
    void focusControl(FocusTarget target) override
    {
        calls << QStringLiteral("Focus %1").arg(int(target));
    }
    qint32 lastResultRow() const override { return resultCount; }
    void setLastResultRow(qint32 value) override { resultCount = value; }
    void commandStatesChanged() override {}
};
