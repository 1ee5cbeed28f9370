#pragma once

// One run of the program through its main window, for the tests that drive it:
// settings, country codes and the autosave in a temporary folder, a manual clock,
// the serial port on the simulated backend, and the two dialogs the entry creates.
#include "Cfg.h"
#include "DlgYesNo.h"
#include "FMain.h"
#include "ManualClock.h"
#include "SimulatedComBackend.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

constexpr qint32 TenOClock = 10 * 3600 * 1000;

// One run of the program: the window and the two dialogs the entry creates.
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

