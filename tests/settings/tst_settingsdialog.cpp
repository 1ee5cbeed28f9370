#include "settings/SettingsDialog.h"
#include "settings/ColorComboBox.h"
#include "FakeCfgHost.h"
#include "settings/DecimalSpinField.h"

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr quint32 portMask(std::initializer_list<int> ports)
{
    quint32 mask = 0;
    int highest = 0;
    for (int n : ports) {
        mask |= 1u << (n - 1);
        highest = std::max(highest, n);
    }
    return mask | (quint32(highest) << 16);
}

// Runs `action` once the dialog is on screen; a dialog the action left open is cancelled.
void whileShown(QDialog *dialog, std::function<void()> action)
{
    QTimer::singleShot(0, dialog, [dialog, action] {
        if (QTest::qWaitForWindowExposed(dialog))
            action();
        if (dialog->isVisible())
            dialog->reject();
    });
}

// Answers every message box that comes up and keeps its text.
class MessageBoxAnswerer : public QObject
{
public:
    QStringList texts;

    MessageBoxAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start(5);
    }

private:
    QTimer m_timer;
};

// Answers the colour picker each time it opens: picks `colour`, or cancels when it is invalid.
class PickerAnswerer : public QObject
{
public:
    int opened = 0;

    PickerAnswerer(QColorDialog *picker, QColor colour)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, picker, colour] {
            if (!picker->isVisible() || QApplication::activeModalWidget() != picker)
                return;
            ++opened;
            if (colour.isValid()) {
                picker->setCurrentColor(colour);
                picker->accept();
            } else {
                picker->reject();
            }
        });
        m_timer.start(5);
    }

private:
    QTimer m_timer;
};

void choose(QComboBox *combo, Qt::Key key, int times = 1)
{
    combo->setFocus();
    for (int i = 0; i < times; ++i)
        QTest::keyClick(combo, key);
}

} // namespace

class TestCfgDialog : public QObject
{
    Q_OBJECT

private:
    FakeCfgHost m_host;
    std::unique_ptr<SettingsDialog> m_dialog;

    void create(quint32 mask)
    {
        m_host.mask = mask;
        m_dialog = std::make_unique<SettingsDialog>(m_host);
    }

    static QStringList entries(const QComboBox *combo)
    {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        return entries;
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void init() { m_host = FakeCfgHost(); }
    void cleanup() { m_dialog.reset(); }

    void creationListsPresentPorts_data()
    {
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<QStringList>("ports");
        QTest::newRow("no ports") << quint32(0) << QStringList{"Keine"};
        QTest::newRow("COM1, COM3, COM13") << portMask({1, 3, 13})
                                           << QStringList{"Keine", "COM1", "COM3", "COM13"};
        QTest::newRow("bit above the highest port") << (quint32(3) << 16 | 1u | 1u << 7)
                                                    << QStringList{"Keine", "COM1"};
        QTest::newRow("highest without bits") << (quint32(5) << 16) << QStringList{"Keine"};
        QTest::newRow("COM16") << portMask({16}) << QStringList{"Keine", "COM16"};
    }

    void creationListsPresentPorts()
    {
        QFETCH(quint32, mask);
        QFETCH(QStringList, ports);
        create(mask);
        QCOMPARE(entries(m_dialog->portBox), ports);
        QCOMPARE(entries(m_dialog->finishCaptionBox), (QStringList{"ZIEL", "LAP", "FINISH", "START", ""}));
        QCOMPARE(m_dialog->finishCaptionBox->currentIndex(), 0);
        QCOMPARE(entries(m_dialog->precisionBox), (QStringList{"HH:MM.SS,ms", "HH:MM.SS,s", "HH:MM.SS"}));
        QCOMPARE(entries(m_dialog->polarityBox), (QStringList{"Ein", "Aus"}));
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Einstellungen"));
        QCOMPARE(m_dialog->portBox->toolTip(), QStringLiteral("START (4-6), FINISH (7-8)"));
    }

    void fillFromHost_data()
    {
        QTest::addColumn<int>("acc");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("alg");
        QTest::addColumn<int>("wait");
        QTest::addColumn<int>("buttonLap");
        QTest::addColumn<int>("digitsIndex");
        QTest::addColumn<QString>("portText");
        QTest::addColumn<int>("algIndex");
        QTest::addColumn<bool>("algEnabled");
        QTest::addColumn<QString>("waitText");

        QTest::newRow("defaults") << 2 << 0 << 0 << 200 << 0 << 0 << "Keine" << 0 << false << "0,2";
        QTest::newRow("present port, Aus") << 0 << 3 << 1 << 1500 << 4 << 2 << "COM3" << 1 << true << "1,5";
        QTest::newRow("absent port") << 1 << 5 << 0 << 0 << 1 << 1 << "" << 0 << true << "0,0";
        QTest::newRow("Alg 2 selects nothing") << 2 << 3 << 2 << 10000 << 2 << 0 << "COM3" << -1 << true << "10,0";
        QTest::newRow("Wait beyond the limit") << 2 << 0 << 0 << 20000 << 3 << 0 << "Keine" << 0 << false << "10,0";
    }

    void fillFromHost()
    {
        QFETCH(int, acc);
        QFETCH(int, port);
        QFETCH(int, alg);
        QFETCH(int, wait);
        QFETCH(int, buttonLap);
        create(portMask({1, 3}));
        m_host.precisionValue = acc;
        m_host.port = port;
        m_host.alg = alg;
        m_host.wait = wait;
        m_host.buttonLap = buttonLap;
        m_dialog->fillFromHost();

        QTEST(m_dialog->precisionBox->currentIndex(), "digitsIndex");
        QTEST(m_dialog->portBox->currentText(), "portText");
        QTEST(m_dialog->polarityBox->currentIndex(), "algIndex");
        QTEST(m_dialog->polarityBox->isEnabled(), "algEnabled");
        QTEST(m_dialog->lockoutField->text(), "waitText");
        QCOMPARE(m_dialog->finishCaptionBox->currentIndex(), buttonLap);
        QCOMPARE(m_dialog->rememberedPortIndex(), m_dialog->portBox->currentIndex());
        QVERIFY(m_host.log.isEmpty()); // filling changes nothing in the program
    }

    void colourFieldsFromHost()
    {
        create(0);
        m_dialog->fillFromHost();
        QCOMPARE(m_dialog->backgroundColorBox->currentIndex(), 0);                      // black
        QCOMPARE(m_dialog->runningColorBox->currentIndex(), 11);                   // yellow
        QCOMPARE(m_dialog->dimColorBox->currentIndex(), 10);                  // lime
        QCOMPARE(m_dialog->finishColorBox->currentIndex(), ColorComboBox::UserEntry); // $404040
        QCOMPARE(m_dialog->finishColorBox->entryColour(ColorComboBox::UserEntry), ColorValue(0x404040));
    }

    void previewAndUndoOnCancel()
    {
        create(0);
        whileShown(m_dialog.get(), [this] {
            choose(m_dialog->precisionBox, Qt::Key_Down); // "HH:MM.SS,s"
            QCOMPARE(m_host.log, QStringList{"ApplyDisplayPrecision 1"});
            choose(m_dialog->precisionBox, Qt::Key_Down); // "HH:MM.SS"
            QTest::mouseClick(m_dialog->noButton, Qt::LeftButton);
        });
        QCOMPARE(m_dialog->execute(), int(QDialog::Rejected));
        QCOMPARE(m_host.log, (QStringList{"ApplyDisplayPrecision 1", "ApplyDisplayPrecision 0",
                                          "ApplyDisplayPrecision 2", "FocusLeftPanel"}));
        QCOMPARE(m_host.precisionValue, 2);
    }

    void escapeCancels()
    {
        create(0);
        whileShown(m_dialog.get(), [this] { QTest::keyClick(m_dialog->precisionBox, Qt::Key_Escape); });
        QCOMPARE(m_dialog->execute(), int(QDialog::Rejected));
        QCOMPARE(m_host.log, (QStringList{"ApplyDisplayPrecision 2", "FocusLeftPanel"}));
    }

    void okStepsInOrder()
    {
        create(portMask({1, 3}));
        whileShown(m_dialog.get(), [this] {
            QVERIFY(!m_dialog->polarityBox->isEnabled());
            choose(m_dialog->portBox, Qt::Key_Down, 2); // COM3
            QVERIFY(m_dialog->polarityBox->isEnabled());
            choose(m_dialog->polarityBox, Qt::Key_Down);     // "Aus"
            choose(m_dialog->finishCaptionBox, Qt::Key_Down);  // "LAP"
            choose(m_dialog->precisionBox, Qt::Key_Down);  // tenths, previewed
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        QCOMPARE(m_dialog->execute(), int(QDialog::Accepted));
        QCOMPARE(m_host.log, (QStringList{
                                 "ApplyDisplayPrecision 1",
                                 "setButtonLap 1 \"LAP\"",
                                 "setLockoutInterval 200",
                                 "setDisplayColor C2 00ffff",
                                 "setDisplayColor C1 000000",
                                 "setDisplayColor C4 00ff00",
                                 "setDisplayColor C3 404040",
                                 "ApplyDisplayColours",
                                 "ShowStoppedTimes",
                                 "setPrecision 1",
                                 "ClosePort",
                                 "setPortNumber 3",
                                 "setAlgorithm 1",
                                 "OpenPort",
                                 "SetModeIndicator Auto",
                                 "ApplyDisplayPrecision 1",
                                 "FocusLeftPanel",
                             }));
    }

    void okWithoutChanges_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("alg");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("wait");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");

        QTest::newRow("port open stays open")
            << 3 << true << 0 << false << 200
            << QStringList{"setLockoutInterval 200", "setPortNumber 3", "setAlgorithm 0", "SetModeIndicator Auto"}
            << QStringList{"ClosePort", "OpenPort"};
        QTest::newRow("running clock keeps the display")
            << 0 << false << 0 << true << 200
            << QStringList{"setPortNumber 0", "SetModeIndicator Hand"}
            << QStringList{"ShowStoppedTimes", "setAlgorithm 0", "ClosePort", "OpenPort"};
        QTest::newRow("absent port stores 0 and leaves the port alone")
            << 5 << false << 1 << false << 200
            << QStringList{"setPortNumber 0", "setAlgorithm 1", "SetModeIndicator Hand"}
            << QStringList{"ClosePort", "OpenPort"};
        QTest::newRow("Alg 2 with a port stores -1")
            << 3 << true << 2 << false << 200
            << QStringList{"setAlgorithm -1"} << QStringList{"ClosePort", "OpenPort"};
        QTest::newRow("Wait rounded to the shown tenth")
            << 0 << false << 0 << false << 1234
            << QStringList{"setLockoutInterval 1200"} << QStringList{};
        QTest::newRow("Wait 0") << 0 << false << 0 << false << 0
                                << QStringList{"setLockoutInterval 0"} << QStringList{};
    }

    void okWithoutChanges()
    {
        QFETCH(int, port);
        QFETCH(bool, connected);
        QFETCH(int, alg);
        QFETCH(bool, running);
        QFETCH(int, wait);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        create(portMask({1, 3}));
        m_host.port = port;
        m_host.connected = connected;
        m_host.alg = alg;
        m_host.running = running;
        m_host.wait = wait;
        whileShown(m_dialog.get(), [this] { QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton); });
        QCOMPARE(m_dialog->execute(), int(QDialog::Accepted));
        for (const QString &call : present)
            QVERIFY2(m_host.log.contains(call), qPrintable(call + " missing in " + m_host.log.join(", ")));
        for (const QString &call : absent)
            QVERIFY2(!m_host.log.contains(call), qPrintable(call + " in " + m_host.log.join(", ")));
    }

    void negativeAlgLocksPortAtNextOpening()
    {
        create(portMask({3}));
        m_host.port = 3;
        m_host.alg = 2;
        whileShown(m_dialog.get(), [this] {
            QVERIFY(m_dialog->portBox->isEnabled());
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        m_dialog->execute();
        QCOMPARE(m_host.alg, -1);
        bool portEnabled = true;
        whileShown(m_dialog.get(), [this, &portEnabled] {
            portEnabled = m_dialog->portBox->isEnabled();
            QTest::mouseClick(m_dialog->noButton, Qt::LeftButton);
        });
        m_dialog->execute();
        QVERIFY(!portEnabled);
    }

    void switchingToNoPortCloses()
    {
        create(portMask({1, 3}));
        m_host.port = 3;
        m_host.connected = true;
        whileShown(m_dialog.get(), [this] {
            choose(m_dialog->portBox, Qt::Key_Home);
            QVERIFY(!m_dialog->polarityBox->isEnabled());
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        m_dialog->execute();
        const QStringList tail = m_host.log.mid(m_host.log.indexOf("ClosePort"));
        QCOMPARE(tail, (QStringList{"ClosePort", "setPortNumber 0", "SetModeIndicator Hand",
                                    "ApplyDisplayPrecision 2", "FocusLeftPanel"}));
    }

    void portThatCannotOpenShowsTheErrorAndKeepsTheMode()
    {
        create(portMask({1, 3}));
        m_host.port = 1;
        m_host.connected = true;
        m_host.openError = QStringLiteral("Unable to open com port: Device or resource busy");
        MessageBoxAnswerer boxes;
        whileShown(m_dialog.get(), [this] {
            choose(m_dialog->portBox, Qt::Key_Down); // COM1 -> COM3
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        m_dialog->execute();
        QCOMPARE(boxes.texts, QStringList{"Unable to open com port: Device or resource busy"});
        const QStringList tail = m_host.log.mid(m_host.log.indexOf("ClosePort"));
        QCOMPARE(tail, (QStringList{"ClosePort", "setPortNumber 3", "setAlgorithm 0", "OpenPort",
                                    "ApplyDisplayPrecision 2", "FocusLeftPanel"}));
        QCOMPARE(m_host.port, 3);
    }

    void otherColour_data()
    {
        QTest::addColumn<QColor>("picked");
        QTest::addColumn<int>("index");
        QTest::addColumn<uint>("value");
        QTest::newRow("a colour of its own") << QColor(0x56, 0x34, 0x12) << int(ColorComboBox::UserEntry) << 0x123456u;
        QTest::newRow("a fixed colour") << QColor(255, 0, 0) << 9 << 0x0000FFu;
        QTest::newRow("picker cancelled") << QColor() << int(ColorComboBox::UserEntry) << uint(Colors::clWhite);
    }

    void otherColour()
    {
        QFETCH(QColor, picked);
        QFETCH(int, index);
        QFETCH(uint, value);
        create(0);
        PickerAnswerer picker(m_dialog->colorDialog, picked);
        whileShown(m_dialog.get(), [this] {
            choose(m_dialog->backgroundColorBox, Qt::Key_End); // "Other..."
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        m_dialog->execute();
        QCOMPARE(picker.opened, 1); // the field's own change does not reopen it
        QCOMPARE(m_dialog->backgroundColorBox->currentIndex(), index);
        QCOMPARE(m_dialog->backgroundColorBox->colorValue(), ColorValue(value));
        QVERIFY(m_host.log.contains(QStringLiteral("setDisplayColor C1 %1").arg(value, 6, 16, QLatin1Char('0'))));
        QVERIFY(!m_dialog->backgroundColorBox->guard());
    }

    void fillingNeverOpensThePicker()
    {
        create(0);
        QSignalSpy finished(m_dialog->colorDialog, &QDialog::finished);
        m_host.colours = {0x010203, 0x040506, 0x070809, 0x0A0B0C};
        m_dialog->fillFromHost();
        QCOMPARE(finished.count(), 0);
        QCOMPARE(m_dialog->backgroundColorBox->currentIndex(), int(ColorComboBox::UserEntry));
        QCOMPARE(m_dialog->backgroundColorBox->colorValue(), ColorValue(0x010203));
    }

    void ctsWarning_data()
    {
        QTest::addColumn<int>("downs"); // from "Keine" in COM3, COM13, COM16
        QTest::addColumn<bool>("warned");
        QTest::newRow("Keine") << 0 << false;
        QTest::newRow("COM3") << 1 << false;
        QTest::newRow("COM13 is ttyACM0") << 2 << true;
        QTest::newRow("COM16 is ttyACM3") << 3 << true;
    }

    void ctsWarning()
    {
        QFETCH(int, downs);
        QFETCH(bool, warned);
        create(portMask({3, 13, 16}));
        bool shown = !warned;
        whileShown(m_dialog.get(), [this, downs, &shown] {
            choose(m_dialog->portBox, Qt::Key_Down, downs);
            shown = m_dialog->ctsWarningLabel->isVisible();
            QTest::mouseClick(m_dialog->noButton, Qt::LeftButton);
        });
        m_dialog->execute();
        QCOMPARE(shown, warned);
    }

    void everyControlHasAnAccessibleName()
    {
        create(portMask({1}));
        const QList<QWidget *> controls = m_dialog->findChildren<QWidget *>();
        int checked = 0;
        for (QWidget *control : controls) {
            const bool interactive = qobject_cast<QComboBox *>(control) || qobject_cast<QAbstractButton *>(control)
                                     || qobject_cast<QLineEdit *>(control);
            if (!interactive || control->window() != m_dialog.get())
                continue;
            ++checked;
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }
        QVERIFY(checked >= 13);
    }
};

QTEST_MAIN(TestCfgDialog)
#include "tst_settingsdialog.moc"
