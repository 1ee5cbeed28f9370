// The numeric field's typing filter under any key sequence: a typed character never
// leaves text the field would not accept, and leaving the field always leaves a value
// inside the limits, written as the field writes it.
#include "FuzzTarget.h"
#include "settings/DecimalSpinField.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace {

struct Field
{
    QWidget window;
    DecimalSpinField *spin = nullptr;
    QLineEdit *other = nullptr;
};

Field *g_field = nullptr;

Field &theField()
{
    static Field *field = g_field = [] {
        auto *f = new Field;
        auto *layout = new QVBoxLayout(&f->window);
        f->spin = new DecimalSpinField(&f->window);
        f->other = new QLineEdit(&f->window);
        layout->addWidget(f->spin);
        layout->addWidget(f->other);
        f->window.show();
        QApplication::setActiveWindow(&f->window);
        // Fonts are looked up once, on the first painting; that happens here rather than
        // inside the first input, where a leak check would take the cache for a leak.
        (void)f->window.grab();
        return f;
    }();
    return *field;
}

struct Limits
{
    double min, max;
    int decimals;
    double increment;
};

const Limits kLimits[] = {
    {0.0, 10.0, 1, 0.1},       {0.0, 2000.0, 0, 10.0}, {-5.0, 5.0, 3, 0.001}, {0.001, 1e6, 9, 0.5},
    {-1e300, 1e300, 2, 1e299}, {3.0, 3.0, 1, 1.0},     {-0.5, -0.1, 2, 0.05}, {0.0, 1.0, 12, 0.25},
};

void focusField(Field &f)
{
    f.spin->editor()->setFocus(Qt::TabFocusReason);
    FUZZ_CHECK(f.spin->editor()->hasFocus(), "the field did not take the focus");
}

void leaveField(Field &f)
{
    f.other->setFocus(Qt::TabFocusReason);
    // Leaving with text out of range sends the focus back; only a field that let go is
    // checked.
    if (f.spin->editor()->hasFocus())
        return;
    const QString text = f.spin->text();
    const std::optional<double> value = f.spin->parseNumber(text);
    FUZZ_CHECK(value.has_value(), "the field was left holding no number");
    FUZZ_CHECK(*value >= f.spin->minValue() - 1e-9 * std::fabs(f.spin->minValue())
                   && *value <= f.spin->maxValue() + 1e-9 * std::fabs(f.spin->maxValue()),
               "the field was left holding a number outside its limits");
    FUZZ_CHECK(text == f.spin->formatValue(f.spin->value()), "the field was left unformatted");
}

QApplication *g_app = nullptr;

} // namespace

extern "C" int llvmFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
    g_app = new QApplication(*argc, *argv);
    theField();
    return 0;
}

void fuzzTeardown()
{
    delete g_field;
    delete g_app;
}

std::vector<std::string> fuzzSeeds()
{
    return {"",
            std::string("\x00"
                        "12.5\x20",
                        6),
            std::string("\x01-.\x21\x22"
                        "9e9\x20",
                        9),
            std::string("\x02\x30\x30\x31\x32\x20", 6),
            std::string("\x04"
                        "1e309\x20",
                        7)};
}

extern "C" int llvmFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzBytes in(data, size);
    Field &f = theField();
    const Limits &limits = kLimits[in.byte() % (sizeof kLimits / sizeof kLimits[0])];
    DecimalSpinField &spin = *f.spin;
    // Wide limits first, so the new ones never conflict with the old.
    spin.setMinValue(-INFINITY);
    spin.setMaxValue(INFINITY);
    spin.setDecimals(limits.decimals);
    spin.setMinValue(limits.min);
    spin.setMaxValue(limits.max);
    spin.setIncrement(limits.increment);
    spin.setValue(limits.min);
    focusField(f);

    QWidget *editor = spin.editor();
    const char typed[] = "0123456789.,-+eE a";
    for (int steps = 0; !in.empty() && steps < 64; ++steps) {
        const uint8_t op = in.byte();
        if (op < 0x20) {
            const char ch = typed[op % (sizeof typed - 1)];
            const QString before = spin.text();
            QTest::keyClick(editor, ch);
            const QString after = spin.text();
            if (after != before) {
                const QString separator(QLocale().decimalPoint());
                const bool special = after == QStringLiteral("-0")
                    || after == QLatin1String("0") + separator + QLatin1String("0");
                FUZZ_CHECK(special || spin.acceptsTypedText(after),
                           "a typed character let in text the field rejects");
            }
            continue;
        }
        switch (op % 16) {
        case 0:
            QTest::keyClick(editor, Qt::Key_Backspace);
            break;
        case 1:
            QTest::keyClick(editor, Qt::Key_Delete);
            break;
        case 2:
            QTest::keyClick(editor, Qt::Key_Left);
            break;
        case 3:
            QTest::keyClick(editor, Qt::Key_Right, Qt::ShiftModifier);
            break;
        case 4:
            QTest::keyClick(editor, Qt::Key_Home);
            break;
        case 5:
            QTest::keyClick(editor, Qt::Key_End, Qt::ShiftModifier);
            break;
        case 6:
            QTest::keyClick(editor, Qt::Key_Up);
            break;
        case 7:
            QTest::keyClick(editor, Qt::Key_Down);
            break;
        case 8:
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            break;
        case 9:
            QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
            break;
        case 10:
            QTest::keyClick(editor, Qt::Key_Return);
            break;
        case 11:
            QTest::keyClick(editor, Qt::Key_PageUp);
            break;
        case 12:
            leaveField(f);
            focusField(f);
            break;
        case 13:
            spin.setValue(double(qint8(in.byte())) * limits.increment);
            break;
        case 14:
            QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
            break;
        default:
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
            break;
        }
        const double value = spin.value();
        FUZZ_CHECK(!std::isnan(value) && value >= spin.minValue() && value <= spin.maxValue(),
                   "the value left the limits");
    }
    leaveField(f);
    return 0;
}
