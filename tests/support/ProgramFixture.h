#pragma once

// One run of the whole program for tests through its main window: real keys and mouse
// presses, real files in a temporary folder, the serial port on the simulated backend.
#include "ButtonWithColor.h"
#include "Cfg.h"
#include "DlgYesNo.h"
#include "FMain.h"
#include "ManualClock.h"
#include "SimulatedComBackend.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

constexpr qint32 TenOClock = 10 * 3600 * 1000;

// The window and the two dialogs the program entry creates.
struct Program
{
    std::unique_ptr<TFormMain> window;
    std::unique_ptr<TCfgDialog> cfgDialog;
    std::unique_ptr<TFDlgYesNo> yesNo;

    explicit Program(const FormMainEnvironment &environment)
        : window(std::make_unique<TFormMain>(environment))
        , cfgDialog(std::make_unique<TCfgDialog>(*window, window.get()))
        , yesNo(std::make_unique<TFDlgYesNo>(window.get()))
    {
        window->setDialogs(cfgDialog.get(), yesNo.get());
    }

    ~Program()
    {
        // The dialogs are the window's children; the window goes last.
        cfgDialog.release();
        yesNo.release();
    }

    bool Show()
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

    void AnswerNext(bool yes)
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timer, yes] {
            auto *dialog = qobject_cast<TFDlgYesNo *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            timer->deleteLater();
            questions << dialog->Label1->text();
            QTest::mouseClick(yes ? dialog->OKBtn : dialog->CancelBtn, Qt::LeftButton);
        });
        timer->start(5);
    }
};

// The program's surroundings: settings, country codes and autosave in a temporary folder.
class Fixture
{
public:
    QTemporaryDir home;
    ManualClock clocks;
    SimulatedComBackend serial;

    Fixture() { clocks.timeOfDay = TenOClock; }

    FormMainEnvironment Environment()
    {
        FormMainEnvironment environment;
        environment.clocks = &clocks;
        environment.serialBackend = &serial;
        environment.settings = SettingsLocation::File(SettingsPath());
        environment.programFolder = home.path();
        environment.autosaveFolder = home.path();
        return environment;
    }

    QString SettingsPath() const { return home.filePath(QStringLiteral("settings.ini")); }
    QString AutosavePath() const { return home.filePath(QStringLiteral("Tivano.txt")); }

    void WriteSettings(const QVariantMap &values)
    {
        QSettings raw(SettingsPath(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            raw.setValue(it.key(), it.value());
    }

    void WriteCountryCodes(const QByteArray &content)
    {
        QFile file(home.filePath(QStringLiteral("LKZ.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray Autosave() const
    {
        QFile file(AutosavePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

inline void PressButton(TFormMain &window, RaceCommand command, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(window.CommandButton(command), button);
    QTest::mouseRelease(window.CommandButton(command), button);
}
