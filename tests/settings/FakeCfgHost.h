#pragma once

#include "CfgDialogHost.h"

#include <QStringList>

#include <array>

// A host that keeps the settings in plain fields and records every call that
// changes something, in order.
class FakeCfgHost : public CfgDialogHost
{
public:
    quint32 mask = 0;
    int precision = 2;
    std::array<TColor, 4> colours{Colors::clBlack, Colors::clYellow, Colors::clDkGray, Colors::clLime};
    int wait = 200;
    int buttonLap = 0;
    QString finishCaption = QStringLiteral("ZIEL");
    bool running = false;
    int port = 0;
    int alg = 0;
    bool connected = false;
    std::optional<QString> openError;
    QStringList log;

    quint32 PortPresenceMask() const override { return mask; }
    int Precision() const override { return precision; }
    void setPrecision(int value) override
    {
        precision = value;
        log << QStringLiteral("setPrecision %1").arg(value);
    }
    void ApplyDisplayPrecision(int value) override
    {
        log << QStringLiteral("ApplyDisplayPrecision %1").arg(value);
    }
    TColor DisplayColor(DisplayColour which) const override { return colours[size_t(which)]; }
    void setDisplayColor(DisplayColour which, TColor value) override
    {
        colours[size_t(which)] = value;
        log << QStringLiteral("setDisplayColor C%1 %2").arg(int(which) + 1).arg(value, 6, 16, QLatin1Char('0'));
    }
    void ApplyDisplayColours() override { log << QStringLiteral("ApplyDisplayColours"); }
    int LockoutInterval() const override { return wait; }
    void setLockoutInterval(int ms) override
    {
        wait = ms;
        log << QStringLiteral("setLockoutInterval %1").arg(ms);
    }
    int ButtonLapIndex() const override { return buttonLap; }
    void setButtonLap(int index, const QString &caption) override
    {
        buttonLap = index;
        finishCaption = caption;
        log << QStringLiteral("setButtonLap %1 \"%2\"").arg(index).arg(caption);
    }
    bool ClockRunning() const override { return running; }
    void ShowStoppedTimes() override { log << QStringLiteral("ShowStoppedTimes"); }
    int PortNumber() const override { return port; }
    void setPortNumber(int value) override
    {
        port = value;
        log << QStringLiteral("setPortNumber %1").arg(value);
    }
    int Algorithm() const override { return alg; }
    void setAlgorithm(int value) override
    {
        alg = value;
        log << QStringLiteral("setAlgorithm %1").arg(value);
    }
    void ClosePort() override
    {
        connected = false;
        log << QStringLiteral("ClosePort");
    }
    std::optional<QString> OpenPort() override
    {
        log << QStringLiteral("OpenPort");
        connected = !openError.has_value();
        return openError;
    }
    bool PortConnected() const override { return connected; }
    void SetModeIndicator(bool automatic) override
    {
        log << QStringLiteral("SetModeIndicator %1").arg(automatic ? "Auto" : "Hand");
    }
    void FocusLeftPanel() override { log << QStringLiteral("FocusLeftPanel"); }
};
