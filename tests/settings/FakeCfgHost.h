#pragma once

#include "settings/SettingsDialogHost.h"

#include <QStringList>

#include <array>

// A host that keeps the settings in plain fields and records every call that
// changes something, in order.
class FakeCfgHost : public SettingsDialogHost
{
public:
    quint32 mask = 0;
    int precisionValue = 2;
    std::array<ColorValue, 4> colours{Colors::clBlack, Colors::clYellow, Colors::clDkGray, Colors::clLime};
    int wait = 200;
    int buttonLap = 0;
    QString finishCaption = QStringLiteral("ZIEL");
    bool running = false;
    int port = 0;
    int alg = 0;
    bool connected = false;
    std::optional<QString> openError;
    QStringList log;

    quint32 portPresenceMask() const override { return mask; }
    int precision() const override { return precisionValue; }
    void setPrecision(int value) override
    {
        precisionValue = value;
        log << QStringLiteral("setPrecision %1").arg(value);
    }
    void applyDisplayPrecision(int value) override
    {
        log << QStringLiteral("ApplyDisplayPrecision %1").arg(value);
    }
    ColorValue displayColor(DisplayColour which) const override { return colours[size_t(which)]; }
    void setDisplayColor(DisplayColour which, ColorValue value) override
    {
        colours[size_t(which)] = value;
        log << QStringLiteral("setDisplayColor C%1 %2").arg(int(which) + 1).arg(value, 6, 16, QLatin1Char('0'));
    }
    void applyDisplayColours() override { log << QStringLiteral("ApplyDisplayColours"); }
    int lockoutInterval() const override { return wait; }
    void setLockoutInterval(int ms) override
    {
        wait = ms;
        log << QStringLiteral("setLockoutInterval %1").arg(ms);
    }
    int buttonLapIndex() const override { return buttonLap; }
    void setButtonLap(int index, const QString &caption) override
    {
        buttonLap = index;
        finishCaption = caption;
        log << QStringLiteral("setButtonLap %1 \"%2\"").arg(index).arg(caption);
    }
    bool clockRunning() const override { return running; }
    void showStoppedTimes() override { log << QStringLiteral("ShowStoppedTimes"); }
    int portNumber() const override { return port; }
    void setPortNumber(int value) override
    {
        port = value;
        log << QStringLiteral("setPortNumber %1").arg(value);
    }
    int algorithm() const override { return alg; }
    void setAlgorithm(int value) override
    {
        alg = value;
        log << QStringLiteral("setAlgorithm %1").arg(value);
    }
    void closePort() override
    {
        connected = false;
        log << QStringLiteral("ClosePort");
    }
    std::optional<QString> openPort() override
    {
        log << QStringLiteral("OpenPort");
        connected = !openError.has_value();
        return openError;
    }
    bool portConnected() const override { return connected; }
    void setModeIndicator(bool automatic) override
    {
        log << QStringLiteral("SetModeIndicator %1").arg(automatic ? "Auto" : "Hand");
    }
    void focusLeftPanel() override { log << QStringLiteral("FocusLeftPanel"); }
};
