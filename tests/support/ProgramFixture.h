#pragma once

// One run of the whole program for tests through its main window: real keys and mouse
// presses, real files in a temporary folder, the serial port on the simulated backend.
#include "ManualClock.h"
#include "ModalAnswers.h"
#include "app/CountryCodeBox.h"
#include "app/MainWindow.h"
#include "protocol/ProtocolAutosaver.h"
#include "protocol/ProtocolPanel.h"
#include "serial/SimulatedSerialBackend.h"
#include "settings/SettingsDialog.h"
#include "widgets/CommandButton.h"
#include "widgets/ConfirmDialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

constexpr qint32 TenOClock = 10 * 3600 * 1000;

// The window and the two dialogs the program entry creates.
struct Program
{
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<SettingsDialog> cfgDialog;
    std::unique_ptr<ConfirmDialog> yesNo;

    explicit Program(const MainWindowEnvironment &environment)
        : window(std::make_unique<MainWindow>(environment))
        , cfgDialog(std::make_unique<SettingsDialog>(window.get()))
        , yesNo(std::make_unique<ConfirmDialog>(window.get()))
    {
        window->setDialogs(cfgDialog.get(), yesNo.get());
    }

    ~Program()
    {
        // The dialogs are the window's children; the window goes last.
        cfgDialog.release();
        yesNo.release();
    }

    bool show()
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }
};

// Answers the next yes/no question with yes or no and remembers its text.
class QuestionAnswerer : public QObject
{
public:
    QStringList questions;

    void answerNext(bool yes)
    {
        answerNextModal<ConfirmDialog>(this, [this, yes](ConfirmDialog &dialog) {
            questions << dialog.questionLabel->text();
            QTest::mouseClick(yes ? dialog.yesButton : dialog.noButton, Qt::LeftButton);
        });
    }
};

inline void pressButton(MainWindow &window, RaceCommand command, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(window.commandButton(command), button);
    QTest::mouseRelease(window.commandButton(command), button);
}

// The program's surroundings: settings, country codes and autosave in a temporary folder.
class Fixture
{
public:
    QTemporaryDir home;
    ManualClock clocks;
    SimulatedSerialBackend serial;

    // The program on these surroundings, from showProgram() on.
    std::unique_ptr<Program> program;

    Fixture() { clocks.timeOfDay = TenOClock; }

    // Starts the program here and shows its window; false when the window does not become active.
    bool showProgram()
    {
        program = std::make_unique<Program>(environment());
        return program->show();
    }
    MainWindow &window() const { return *program->window; } // after showProgram()

    MainWindowEnvironment environment()
    {
        MainWindowEnvironment environment;
        environment.clocks = &clocks;
        environment.serialBackend = &serial;
        environment.settings = SettingsLocation::file(settingsPath());
        environment.programFolder = home.path();
        environment.autosaveFolder = home.path();
        return environment;
    }

    QString settingsPath() const { return home.filePath(QStringLiteral("settings.ini")); }
    QString autosavePath() const { return home.filePath(QStringLiteral("Tivano.txt")); }

    void writeSettings(const QVariantMap &values)
    {
        QSettings raw(settingsPath(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            raw.setValue(it.key(), it.value());
    }

    // The adapter plugged in at COM`port` and chosen in the settings.
    void plugAdapter(int port)
    {
        serial.setPresent(port, true);
        writeSettings({{QStringLiteral("Port"), port}});
    }

    // The scripted race's three finishes after its START: F4 at 10:00.03,47, then ZIEL
    // clicked a second later with the second country code, and F4 a second after that.
    void takeThreeFinishes(MainWindow &window)
    {
        clocks.advance(3470);
        QTest::keyClick(&window, Qt::Key_F4);
        clocks.advance(1000);
        window.countryCodeBox()->setCurrentIndex(1);
        pressButton(window, RaceCommand::Lap);
        clocks.advance(1000);
        QTest::keyClick(&window, Qt::Key_F4);
    }

    void writeCountryCodes(const QByteArray &content)
    {
        QFile file(home.filePath(QStringLiteral("LKZ.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray autosave() const
    {
        QFile file(autosavePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The autosave once the window's writes asked for so far are done.
    QByteArray autosave(MainWindow &window) const
    {
        window.protocol().autosaver().waitUntilWritten();
        return autosave();
    }
};
