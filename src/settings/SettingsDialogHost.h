#pragma once

#include "platform/ColorValue.h"

#include <QString>

#include <optional>

// The four display colours as the settings name them.
enum class DisplayColour { C1, C2, C3, C4 };

// Everything the configuration dialog reads and changes in the running
// program: the settings where they live (display, race clock, serial port)
// and the few operations it asks of the main window.
class SettingsDialogHost
{
public:
    virtual ~SettingsDialogHost() = default;

    // Serial ports found at start: bit n - 1 per present COM n, the high
    // 16 bits the highest n.
    virtual quint32 portPresenceMask() const = 0;

    virtual int precision() const = 0;                  // "Acc"
    virtual void setPrecision(int precision) = 0;
    virtual void applyDisplayPrecision(int precision) = 0;

    virtual ColorValue displayColor(DisplayColour which) const = 0;
    virtual void setDisplayColor(DisplayColour which, ColorValue value) = 0;
    virtual void applyDisplayColours() = 0;

    virtual int lockoutInterval() const = 0;            // "Wait", milliseconds
    virtual void setLockoutInterval(int ms) = 0;

    virtual int buttonLapIndex() const = 0;             // "ButtonLAP"
    // Takes the index and gives the finish key the caption.
    virtual void setButtonLap(int index, const QString &caption) = 0;

    // The race clock's 10 ms display timer.
    virtual bool clockRunning() const = 0;
    // Upper row: the elapsed time of the last stopped race; lower row: zero.
    virtual void showStoppedTimes() = 0;

    virtual int portNumber() const = 0;                 // "Port"
    virtual void setPortNumber(int port) = 0;
    virtual int algorithm() const = 0;                  // "Alg"
    virtual void setAlgorithm(int alg) = 0;
    virtual void closePort() = 0;
    // Opens the port set by setPortNumber; the error text when that failed.
    virtual std::optional<QString> openPort() = 0;
    virtual bool portConnected() const = 0;
    // Auto (LED green, "&Auto") for an open port, else Hand (LED red,
    // "&Hand"); the window shows less than Auto for barriers that cannot act.
    virtual void setModeIndicator(bool automatic) = 0;

    virtual void focusLeftPanel() = 0;

    // Whether COM `port` is a device without a CTS line, on which a finish
    // barrier cannot work (cdc_acm: COM13..COM16 are /dev/ttyACM0..3).
    virtual bool portLacksCts(int port) const { return port >= 13 && port <= 16; }
};
