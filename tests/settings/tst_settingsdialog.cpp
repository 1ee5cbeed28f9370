#include "ModalAnswers.h"
#include "settings/ColorComboBox.h"
#include "settings/DecimalSpinField.h"
#include "settings/SettingsDialog.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <optional>

// Lets QCOMPARE print settings that differ.
char *toString(const Settings &settings)
{
    const QString text = QStringLiteral("Acc %1 Port %2 Alg %3 Wait %4 ButtonLAP %5 C1 %6 C2 %7 C3 %8 C4 %9 ")
                             .arg(settings.precision)
                             .arg(settings.port)
                             .arg(settings.polarity)
                             .arg(settings.lockoutMs)
                             .arg(settings.finishCaptionIndex)
                             .arg(settings.backgroundColor, 6, 16, QLatin1Char('0'))
                             .arg(settings.runningColor, 6, 16, QLatin1Char('0'))
                             .arg(settings.dimColor, 6, 16, QLatin1Char('0'))
                             .arg(settings.finishColor, 6, 16, QLatin1Char('0'))
        + QStringLiteral("Left %1 Top %2 Width %3 Height %4 Sound %5 FilterInd %6")
              .arg(settings.left.value_or(-1))
              .arg(settings.top.value_or(-1))
              .arg(settings.width)
              .arg(settings.height)
              .arg(settings.sound)
              .arg(settings.saveTypeIndex);
    return qstrdup(qPrintable(text));
}

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

// What the serial backend tells of COM13 and COM16 on Linux: USB modem-class
// devices without a CTS input.
const QMap<int, PortDescription> AcmPorts{{13, {QString(), false}}, {16, {QString(), false}}};

// Settings whose fields the dialog does not edit all differ from the defaults,
// so a dialog that loses one of them is caught.
Settings givenSettings()
{
    Settings settings;
    settings.left = 17;
    settings.top = 23;
    settings.width = 1000;
    settings.height = 600;
    settings.sound = false;
    settings.saveTypeIndex = 3;
    return settings;
}

// The five settings the dialog's controls edit; the others stay as given.
struct Timing
{
    int precision = Settings::DefaultPrecision;
    int port = 0;
    int polarity = 0;
    int lockoutMs = Settings::DefaultWait;
    int caption = Settings::DefaultButtonLap;

    Settings over(Settings settings) const
    {
        settings.precision = precision;
        settings.port = port;
        settings.polarity = polarity;
        settings.lockoutMs = lockoutMs;
        settings.finishCaptionIndex = caption;
        return settings;
    }
};

// COM3 with "Aus", a lockout and a finish key of its own: what the controls set by hand start from.
constexpr Timing AusOnCom3{.port = 3, .polarity = 1, .lockoutMs = 1500, .caption = 2};

// What the controls show; the defaults are what default settings show.
struct Shown
{
    int precisionIndex = 0;
    const char *port = "Keine";
    int polarityIndex = 0;
    bool polarityEnabled = false;
    bool portListEnabled = true;
    const char *lockout = "0,2";
    int captionIndex = 0;
    bool ctsWarning = false;
};

// The controls as set by hand, by index (-1: nothing selected); the defaults leave
// COM3 and "Aus" and set the rest to what default settings show.
struct Chosen
{
    int precisionIndex = 0;
    int portIndex = 2;
    int polarityIndex = 1;
    double lockout = 0.2;
    int captionIndex = 0;
};

struct ControlsCase
{
    const char *name = "";
    Timing given;
    std::optional<Shown> shown = std::nullopt; // checked right after the filling
    std::optional<Chosen> chosen = std::nullopt; // none: no control touched
    Timing edited;
};

// The colour boxes and the settings they edit.
struct ColourBox
{
    ColorComboBox *SettingsDialog::*box;
    ColorValue Settings::*colour;
};
const ColourBox ColourBoxes[] = {
    {&SettingsDialog::backgroundColorBox, &Settings::backgroundColor},
    {&SettingsDialog::runningColorBox, &Settings::runningColor},
    {&SettingsDialog::dimColorBox, &Settings::dimColor},
    {&SettingsDialog::finishColorBox, &Settings::finishColor},
};
enum ColourBoxIndex { Background, Running, Dim, Finish };

// Answers the colour picker each time it opens: picks `colour`, or cancels when it is invalid.
class PickerAnswerer : public QObject
{
public:
    int opened = 0;

    explicit PickerAnswerer(QColor colour)
    {
        answerEveryModal<QColorDialog>(this, [this, colour](QColorDialog &picker) {
            ++opened;
            if (colour.isValid()) {
                picker.setCurrentColor(colour);
                picker.accept();
            } else {
                picker.reject();
            }
        });
    }
};

void pressKeys(QWidget *control, const QList<int> &keys)
{
    control->setFocus();
    for (int key : keys)
        QTest::keyClick(control, Qt::Key(key));
}

QList<int> previewed(const QSignalSpy &spy)
{
    QList<int> precisions;
    for (const QList<QVariant> &arguments : spy)
        precisions << arguments.at(0).toInt();
    return precisions;
}

} // namespace

Q_DECLARE_METATYPE(ControlsCase)

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SettingsDialog> m_dialog;

    void create(quint32 mask)
    {
        m_dialog = std::make_unique<SettingsDialog>();
        m_dialog->setPortPresenceMask(mask, AcmPorts);
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

    void cleanup() { m_dialog.reset(); }

    void portListShowsPresentPorts_data()
    {
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("selected"); // with port 3 set before
        QTest::newRow("no ports") << quint32(0) << QStringList{"Keine"} << "";
        QTest::newRow("COM1, COM3, COM13")
            << portMask({1, 3, 13}) << QStringList{"Keine", "COM1", "COM3", "COM13"} << "COM3";
        QTest::newRow("bit above the highest port")
            << (quint32(3) << 16 | 1u | 1u << 7) << QStringList{"Keine", "COM1"} << "";
        QTest::newRow("highest without bits") << (quint32(5) << 16) << QStringList{"Keine"} << "";
        QTest::newRow("COM16") << portMask({16}) << QStringList{"Keine", "COM16"} << "";
    }

    void portListShowsPresentPorts()
    {
        QFETCH(quint32, mask);
        QFETCH(QStringList, ports);
        m_dialog = std::make_unique<SettingsDialog>();
        QCOMPARE(entries(m_dialog->portBox), QStringList{"Keine"});
        Settings settings;
        settings.port = 3;
        m_dialog->setSettings(settings);
        m_dialog->setPortPresenceMask(portMask({2, 3, 4}));
        m_dialog->setPortPresenceMask(mask); // replaces the list
        QCOMPARE(entries(m_dialog->portBox), ports);
        QTEST(m_dialog->portBox->currentText(), "selected");

        QCOMPARE(entries(m_dialog->finishCaptionBox), (QStringList{"ZIEL", "LAP", "FINISH", "START", ""}));
        QCOMPARE(entries(m_dialog->precisionBox), (QStringList{"HH:MM.SS,ms", "HH:MM.SS,s", "HH:MM.SS"}));
        QCOMPARE(entries(m_dialog->polarityBox), (QStringList{"Ein", "Aus"}));
        QCOMPARE(m_dialog->objectName(), QStringLiteral("settingsDialog"));
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Einstellungen"));
        QCOMPARE(m_dialog->portBox->toolTip(), QStringLiteral("START (4-6), FINISH (7-8)"));
    }

    // One pass through the five controls: settings given (after others, so that every
    // control must be set again), what the controls then show, perhaps controls set by
    // hand, and the settings the dialog gives back.
    void settingsThroughTheControls_data()
    {
        QTest::addColumn<ControlsCase>("pass");
        const ControlsCase cases[] = {
            {.name = "defaults", .given = {}, .shown = Shown{}, .edited = {}},
            {.name = "present port, Aus",
             .given = {.precision = 0, .port = 3, .polarity = 1, .lockoutMs = 1500, .caption = 4},
             .shown = Shown{.precisionIndex = 2,
                            .port = "COM3",
                            .polarityIndex = 1,
                            .polarityEnabled = true,
                            .lockout = "1,5",
                            .captionIndex = 4},
             .edited = {.precision = 0, .port = 3, .polarity = 1, .lockoutMs = 1500, .caption = 4}},
            {.name = "absent port gives 0, Alg from its box",
             .given = {.precision = 1, .port = 5, .polarity = 1, .lockoutMs = 0, .caption = 1},
             .shown = Shown{.precisionIndex = 1,
                            .port = "",
                            .polarityIndex = 1,
                            .polarityEnabled = true,
                            .lockout = "0,0",
                            .captionIndex = 1},
             .edited = {.precision = 1, .port = 0, .polarity = 1, .lockoutMs = 0, .caption = 1}},
            {.name = "Alg 2 with a port selects nothing and gives -1",
             .given = {.port = 3, .polarity = 2, .lockoutMs = 10000, .caption = 2},
             .shown = Shown{.port = "COM3",
                            .polarityIndex = -1,
                            .polarityEnabled = true,
                            .lockout = "10,0",
                            .captionIndex = 2},
             .edited = {.port = 3, .polarity = -1, .lockoutMs = 10000, .caption = 2}},
            {.name = "Alg 2 without a port stays",
             .given = {.polarity = 2},
             .shown = Shown{.polarityIndex = -1},
             .edited = {.polarity = 2}},
            {.name = "negative Alg with a port locks the port list",
             .given = {.port = 3, .polarity = -1},
             .shown
             = Shown{.port = "COM3", .polarityIndex = -1, .polarityEnabled = true, .portListEnabled = false},
             .edited = {.port = 3, .polarity = -1}},
            {.name = "negative Alg without a port",
             .given = {.polarity = -1},
             .shown = Shown{.polarityIndex = -1, .portListEnabled = false},
             .edited = {.polarity = -1}},
            {.name = "Wait rounded to the shown tenth",
             .given = {.lockoutMs = 1234},
             .shown = Shown{.lockout = "1,2"},
             .edited = {.lockoutMs = 1200}},
            {.name = "Wait beyond the limit",
             .given = {.lockoutMs = 20000, .caption = 3},
             .shown = Shown{.lockout = "10,0", .captionIndex = 3},
             .edited = {.lockoutMs = 10000, .caption = 3}},
            {.name = "Acc and ButtonLAP out of range",
             .given = {.precision = 7, .caption = 9},
             .shown = Shown{.precisionIndex = -1},
             .edited = {}},
            {.name = "port without CTS warns at once",
             .given = {.port = 13},
             .shown = Shown{.port = "COM13", .polarityEnabled = true, .ctsWarning = true},
             .edited = {.port = 13}},
            // The controls set by hand, from COM3 with "Aus".
            {.name = "controls as given",
             .given = AusOnCom3,
             .chosen = Chosen{},
             .edited = {.port = 3, .polarity = 1}},
            {.name = "tenths",
             .given = AusOnCom3,
             .chosen = Chosen{.precisionIndex = 1},
             .edited = {.precision = 1, .port = 3, .polarity = 1}},
            {.name = "seconds",
             .given = AusOnCom3,
             .chosen = Chosen{.precisionIndex = 2},
             .edited = {.precision = 0, .port = 3, .polarity = 1}},
            {.name = "no format selected",
             .given = AusOnCom3,
             .chosen = Chosen{.precisionIndex = -1},
             .edited = {.port = 3, .polarity = 1}},
            {.name = "Keine keeps the given Alg",
             .given = AusOnCom3,
             .chosen = Chosen{.portIndex = 0, .polarityIndex = 0},
             .edited = {.port = 0, .polarity = 1}},
            {.name = "COM1 with Ein",
             .given = AusOnCom3,
             .chosen = Chosen{.portIndex = 1, .polarityIndex = 0},
             .edited = {.port = 1, .polarity = 0}},
            {.name = "no port selected",
             .given = AusOnCom3,
             .chosen = Chosen{.portIndex = -1, .polarityIndex = 0},
             .edited = {.port = 0, .polarity = 0}},
            {.name = "no Alg selected",
             .given = AusOnCom3,
             .chosen = Chosen{.polarityIndex = -1},
             .edited = {.port = 3, .polarity = -1}},
            {.name = "lockout 4,1 s",
             .given = AusOnCom3,
             .chosen = Chosen{.lockout = 4.1},
             .edited = {.port = 3, .polarity = 1, .lockoutMs = 4100}},
            {.name = "lockout 0",
             .given = AusOnCom3,
             .chosen = Chosen{.lockout = 0.0},
             .edited = {.port = 3, .polarity = 1, .lockoutMs = 0}},
            {.name = "lockout 10 s",
             .given = AusOnCom3,
             .chosen = Chosen{.lockout = 10.0},
             .edited = {.port = 3, .polarity = 1, .lockoutMs = 10000}},
            {.name = "finish key START",
             .given = AusOnCom3,
             .chosen = Chosen{.captionIndex = 3},
             .edited = {.port = 3, .polarity = 1, .caption = 3}},
            {.name = "no finish key selected",
             .given = AusOnCom3,
             .chosen = Chosen{.captionIndex = -1},
             .edited = {.port = 3, .polarity = 1}},
        };
        for (const ControlsCase &pass : cases)
            QTest::newRow(pass.name) << pass;
    }

    void settingsThroughTheControls()
    {
        QFETCH(ControlsCase, pass);
        create(portMask({1, 3, 13}));
        QSignalSpy previews(m_dialog.get(), &SettingsDialog::precisionPreviewed);
        m_dialog->setSettings(
            Timing{.precision = 1, .port = 1, .polarity = 1, .lockoutMs = 5000, .caption = 3}.over(
                Settings()));
        const Settings given = pass.given.over(givenSettings());
        m_dialog->setSettings(given);
        QCOMPARE(previews.count(), 0); // filling previews nothing

        if (const std::optional<Shown> &shown = pass.shown) {
            QCOMPARE(m_dialog->precisionBox->currentIndex(), shown->precisionIndex);
            QCOMPARE(m_dialog->portBox->currentText(), QString::fromUtf8(shown->port));
            QCOMPARE(m_dialog->polarityBox->currentIndex(), shown->polarityIndex);
            QCOMPARE(m_dialog->polarityBox->isEnabled(), shown->polarityEnabled);
            QCOMPARE(m_dialog->portBox->isEnabled(), shown->portListEnabled);
            QCOMPARE(m_dialog->lockoutField->text(), QString::fromUtf8(shown->lockout));
            QCOMPARE(m_dialog->finishCaptionBox->currentIndex(), shown->captionIndex);
            QCOMPARE(!m_dialog->ctsWarningLabel->isHidden(), shown->ctsWarning);
        }
        if (const std::optional<Chosen> &chosen = pass.chosen) {
            m_dialog->precisionBox->setCurrentIndex(chosen->precisionIndex);
            m_dialog->portBox->setCurrentIndex(chosen->portIndex);
            m_dialog->polarityBox->setCurrentIndex(chosen->polarityIndex);
            m_dialog->lockoutField->setValue(chosen->lockout);
            m_dialog->finishCaptionBox->setCurrentIndex(chosen->captionIndex);
        }
        const Settings edited = m_dialog->editedSettings();
        QCOMPARE(edited, pass.edited.over(given));
        QCOMPARE(edited.finishCaption(), FinishButtonCaptions[size_t(pass.edited.caption)]);
    }

    void colourBoxes_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("defaultIndex"); // for the default colour
        QTest::newRow("C1") << int(Background) << "backgroundColorBox"
                            << "Fenster:" << 0; // black
        QTest::newRow("C2") << int(Running) << "runningColorBox"
                            << "Start:" << 11; // yellow
        QTest::newRow("C3") << int(Dim) << "dimColorBox"
                            << "Sonst:" << int(ColorComboBox::UserEntry); // $404040
        QTest::newRow("C4") << int(Finish) << "finishColorBox"
                            << "Stopp:" << 10; // lime
    }

    void colourBoxes()
    {
        QFETCH(int, which);
        QFETCH(QString, objectName);
        QFETCH(int, defaultIndex);
        const ColourBox &entry = ColourBoxes[which];
        create(0);
        ColorComboBox *box = m_dialog.get()->*entry.box;
        QCOMPARE(m_dialog->findChild<ColorComboBox *>(objectName), box);
        QTEST(box->accessibleName(), "caption");

        m_dialog->setSettings(Settings());
        QCOMPARE(box->currentIndex(), defaultIndex);

        QSignalSpy pickerClosed(m_dialog->colorDialog, &QDialog::finished);
        Settings settings = givenSettings();
        settings.backgroundColor = 0x010203;
        settings.runningColor = 0x040506;
        settings.dimColor = 0x070809;
        settings.finishColor = 0x0A0B0C;
        m_dialog->setSettings(settings);
        QCOMPARE(box->colorValue(), settings.*entry.colour);
        QCOMPARE(box->currentIndex(), int(ColorComboBox::UserEntry));
        QCOMPARE(pickerClosed.count(), 0); // filling never asks for a colour

        box->setColorValue(Colors::clRed);
        Settings expected = settings;
        expected.*entry.colour = Colors::clRed;
        QCOMPARE(m_dialog->editedSettings(), expected);
    }

    void precisionPreviewAndClosing_data()
    {
        QTest::addColumn<QList<int>>("keys"); // in the format box, from "HH:MM.SS,ms"
        QTest::addColumn<int>("close"); // a key in the format box, or 0 for OK, 1 for Abbrechen
        QTest::addColumn<QList<int>>("previews");
        QTest::addColumn<int>("precision"); // in the result; -1 for none

        QTest::newRow("Abbrechen after two previews")
            << QList<int>{Qt::Key_Down, Qt::Key_Down} << 1 << QList<int>{1, 0} << -1;
        QTest::newRow("Escape cancels")
            << QList<int>{Qt::Key_Down} << int(Qt::Key_Escape) << QList<int>{1} << -1;
        QTest::newRow("OK takes the previewed format") << QList<int>{Qt::Key_Down} << 0 << QList<int>{1} << 1;
        QTest::newRow("End previews seconds") << QList<int>{Qt::Key_End} << 0 << QList<int>{0} << 0;
        QTest::newRow("the shown format again previews nothing")
            << QList<int>{Qt::Key_Home} << 0 << QList<int>{} << 2;
        QTest::newRow("Return takes OK")
            << QList<int>{Qt::Key_Down} << int(Qt::Key_Return) << QList<int>{1} << 1;
    }

    void precisionPreviewAndClosing()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, close);
        QFETCH(QList<int>, previews);
        QFETCH(int, precision);
        create(0);
        QSignalSpy previewSpy(m_dialog.get(), &SettingsDialog::precisionPreviewed);
        whileShown(m_dialog.get(), [this, keys, close] {
            pressKeys(m_dialog->precisionBox, keys);
            if (close == 0)
                QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
            else if (close == 1)
                QTest::mouseClick(m_dialog->noButton, Qt::LeftButton);
            else
                QTest::keyClick(m_dialog->precisionBox, Qt::Key(close));
            QVERIFY(!m_dialog->isVisible());
        });
        const Settings given = givenSettings();
        const std::optional<Settings> result = m_dialog->edit(given);
        QCOMPARE(previewed(previewSpy), previews);
        QCOMPARE(result.has_value(), precision >= 0);
        if (result) {
            Settings expected = given;
            expected.precision = precision;
            QCOMPARE(*result, expected);
        }
    }

    void okGivesTheKeyboardEdits()
    {
        create(portMask({1, 3}));
        QSignalSpy previewSpy(m_dialog.get(), &SettingsDialog::precisionPreviewed);
        whileShown(m_dialog.get(), [this] {
            QVERIFY(!m_dialog->polarityBox->isEnabled());
            pressKeys(m_dialog->portBox, {Qt::Key_Down, Qt::Key_Down}); // COM3
            QVERIFY(m_dialog->polarityBox->isEnabled());
            pressKeys(m_dialog->polarityBox, {Qt::Key_Down}); // "Aus"
            pressKeys(m_dialog->finishCaptionBox, {Qt::Key_Down}); // "LAP"
            pressKeys(m_dialog->precisionBox, {Qt::Key_Down}); // tenths, previewed
            m_dialog->lockoutField->setFocus();
            m_dialog->lockoutField->editor()->selectAll();
            QTest::keyClicks(m_dialog->lockoutField->editor(), QStringLiteral("2,5"));
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        const Settings given = givenSettings();
        const std::optional<Settings> result = m_dialog->edit(given);
        QVERIFY(result);
        Settings expected = given;
        expected.port = 3;
        expected.polarity = 1;
        expected.finishCaptionIndex = 1;
        expected.precision = 1;
        expected.lockoutMs = 2500;
        QCOMPARE(*result, expected);
        QCOMPARE(result->finishCaption(), QStringLiteral("LAP"));
        QCOMPARE(previewed(previewSpy), QList<int>{1});
    }

    // Ports COM1, COM3, COM13 and COM16; "Aus" given.
    void choosingAPort_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<bool>("polarityEnabled");
        QTest::addColumn<bool>("ctsWarning");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("polarity");

        QTest::newRow("Keine kept") << 0 << QList<int>{} << false << false << 0 << 1;
        QTest::newRow("COM3") << 0 << QList<int>{Qt::Key_Down, Qt::Key_Down} << true << false << 3 << 1;
        QTest::newRow("COM13 without CTS")
            << 0 << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << true << true << 13 << 1;
        QTest::newRow("COM16 without CTS") << 0 << QList<int>{Qt::Key_End} << true << true << 16 << 1;
        QTest::newRow("COM13 kept") << 13 << QList<int>{} << true << true << 13 << 1;
        QTest::newRow("COM13 to COM3") << 13 << QList<int>{Qt::Key_Up} << true << false << 3 << 1;
        QTest::newRow("back to Keine") << 3 << QList<int>{Qt::Key_Home} << false << false << 0 << 1;
        QTest::newRow("absent port to COM1")
            << 5 << QList<int>{Qt::Key_Home, Qt::Key_Down} << true << false << 1 << 1;
    }

    void choosingAPort()
    {
        QFETCH(int, given);
        QFETCH(QList<int>, keys);
        QFETCH(bool, polarityEnabled);
        QFETCH(bool, ctsWarning);
        QFETCH(int, port);
        QFETCH(int, polarity);
        create(portMask({1, 3, 13, 16}));
        whileShown(m_dialog.get(), [this, keys, polarityEnabled, ctsWarning] {
            pressKeys(m_dialog->portBox, keys);
            QCOMPARE(m_dialog->polarityBox->isEnabled(), polarityEnabled);
            QCOMPARE(m_dialog->ctsWarningLabel->isVisible(), ctsWarning);
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        Settings settings = givenSettings();
        settings.port = given;
        settings.polarity = 1;
        const std::optional<Settings> result = m_dialog->edit(settings);
        QVERIFY(result);
        QCOMPARE(result->port, port);
        QCOMPARE(result->polarity, polarity);
    }

    // Alg 2 with a port is taken back as -1, which locks the port list at the next opening.
    void negativeAlgLocksThePortListAtTheNextOpening()
    {
        create(portMask({3}));
        Settings settings = givenSettings();
        settings.port = 3;
        settings.polarity = 2;
        whileShown(m_dialog.get(), [this] {
            QVERIFY(m_dialog->portBox->isEnabled());
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        const std::optional<Settings> first = m_dialog->edit(settings);
        QVERIFY(first);
        QCOMPARE(first->polarity, -1);

        bool portListEnabled = true;
        whileShown(m_dialog.get(), [this, &portListEnabled] {
            portListEnabled = m_dialog->portBox->isEnabled();
            QTest::mouseClick(m_dialog->noButton, Qt::LeftButton);
        });
        QVERIFY(!m_dialog->edit(*first));
        QVERIFY(!portListEnabled);
    }

    void otherColour_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("fromTheList"); // chosen in the open list, else by the End key
        QTest::addColumn<QColor>("picked");
        QTest::addColumn<int>("index");
        QTest::addColumn<uint>("value");
        QTest::newRow("a colour of its own") << int(Background) << false << QColor(0x56, 0x34, 0x12)
                                             << int(ColorComboBox::UserEntry) << 0x123456u;
        QTest::newRow("a fixed colour") << int(Background) << false << QColor(255, 0, 0) << 9 << 0x0000FFu;
        QTest::newRow("picker cancelled")
            << int(Background) << false << QColor() << int(ColorComboBox::UserEntry) << uint(Colors::clWhite);
        QTest::newRow("Other... chosen again")
            << int(Dim) << true << QColor(0x56, 0x34, 0x12) << int(ColorComboBox::UserEntry) << 0x123456u;
        QTest::newRow("Other... again, cancelled")
            << int(Dim) << true << QColor() << int(ColorComboBox::UserEntry) << uint(Colors::clDkGray);
    }

    void otherColour()
    {
        QFETCH(int, which);
        QFETCH(bool, fromTheList);
        QFETCH(QColor, picked);
        QFETCH(int, index);
        QFETCH(uint, value);
        const ColourBox &entry = ColourBoxes[which];
        create(0);
        ColorComboBox *box = m_dialog.get()->*entry.box;
        PickerAnswerer picker(picked);
        whileShown(m_dialog.get(), [this, box, fromTheList] {
            if (fromTheList) {
                QCOMPARE(box->currentIndex(), int(ColorComboBox::UserEntry));
                box->showPopup();
                QTRY_VERIFY(box->view()->isVisible());
                QTest::keyClick(box->view(), Qt::Key_Return);
            } else {
                pressKeys(box, {Qt::Key_End}); // "Other..."
            }
            QTest::mouseClick(m_dialog->yesButton, Qt::LeftButton);
        });
        const Settings given = givenSettings();
        const std::optional<Settings> result = m_dialog->edit(given);
        QCOMPARE(picker.opened, 1); // the field's own change does not reopen it
        QCOMPARE(box->currentIndex(), index);
        QVERIFY(result);
        Settings expected = given;
        expected.*entry.colour = ColorValue(value);
        QCOMPARE(*result, expected);
    }

    void portFromEntry_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("port");
        QTest::newRow("COM7") << "COM7" << 7;
        QTest::newRow("COM16") << "COM16" << 16;
        QTest::newRow("with its device") << "COM5  /dev/ttyUSB0" << 5;
        QTest::newRow("COM without number") << "COM  /dev/ttyUSB0" << 0;
        QTest::newRow("Keine") << "Keine" << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void portFromEntry()
    {
        QFETCH(QString, entry);
        QTEST(SettingsDialog::portFromEntry(entry), "port");
    }

    void everyControlHasAnAccessibleName()
    {
        create(portMask({1}));
        const QList<QWidget *> controls = m_dialog->findChildren<QWidget *>();
        int checked = 0;
        for (QWidget *control : controls) {
            const bool interactive = qobject_cast<QComboBox *>(control)
                || qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control);
            if (!interactive || control->window() != m_dialog.get())
                continue;
            ++checked;
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }
        QVERIFY(checked >= 13);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
