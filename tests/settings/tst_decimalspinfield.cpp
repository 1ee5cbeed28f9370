#include "settings/DecimalSpinField.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

// The field as the settings dialog configures it: 0 to 10, step 0.1, one decimal.
class TestSpinFloatEdit : public QObject
{
    Q_OBJECT

private:
    QWidget *m_window = nullptr;
    DecimalSpinField *m_field = nullptr;
    QLineEdit *m_other = nullptr;

    QLineEdit *editor() const { return m_field->editor(); }

    void enter(double value)
    {
        m_field->setValue(value);
        m_other->setFocus();
        QTRY_VERIFY(m_other->hasFocus());
        m_field->setFocus();
        QTRY_VERIFY(editor()->hasFocus());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        m_window = new QWidget;
        auto *layout = new QVBoxLayout(m_window);
        m_field = new DecimalSpinField(m_window);
        m_field->setMinValue(0.0);
        m_field->setMaxValue(10.0);
        m_field->setIncrement(0.1);
        m_field->setDecimals(1);
        m_field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_other = new QLineEdit(m_window);
        layout->addWidget(m_field);
        layout->addWidget(m_other);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        m_window->activateWindow();
        QTRY_VERIFY(m_window->isActiveWindow());
    }

    void cleanupTestCase() { delete m_window; }

    void typing_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("selectionStart"); // -1: cursor at `cursor`, nothing selected
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("selected");

        QTest::newRow("digit replaces selection") << "0,2" << 0 << 3 << "5"
                                                  << "5"
                                                  << "";
        QTest::newRow("lone minus becomes -0") << "0,2" << 0 << 3 << "-"
                                               << "-0"
                                               << "0";
        QTest::newRow("lone separator becomes 0,0") << "0,2" << 0 << 3 << ","
                                                    << "0,0"
                                                    << "0";
        QTest::newRow("second decimal refused") << "0,2" << -1 << 3 << "5"
                                                << "0,2"
                                                << "";
        QTest::newRow("above maximum refused") << "1" << -1 << 1 << "1"
                                               << "1"
                                               << "";
        QTest::newRow("maximum accepted") << "1" << -1 << 1 << "0"
                                          << "10"
                                          << "";
        QTest::newRow("trailing separator accepted") << "10" << -1 << 2 << ","
                                                     << "10,"
                                                     << "";
        QTest::newRow("letter refused") << "1" << -1 << 1 << "a"
                                        << "1"
                                        << "";
        QTest::newRow("foreign separator refused") << "1" << -1 << 1 << "."
                                                   << "1"
                                                   << "";
        QTest::newRow("plus refused") << "1" << -1 << 0 << "+"
                                      << "1"
                                      << "";
        QTest::newRow("incomplete exponent refused") << "1" << -1 << 1 << "e"
                                                     << "1"
                                                     << "";
        QTest::newRow("exponent inside a number") << "11" << -1 << 1 << "e"
                                                  << "1e1"
                                                  << "";
        QTest::newRow("negative number refused") << "5" << -1 << 0 << "-"
                                                 << "5"
                                                 << "";
        QTest::newRow("digit into empty field") << "" << -1 << 0 << "7"
                                                << "7"
                                                << "";
        QTest::newRow("digit after -0 selection") << "-0" << 1 << 2 << "0"
                                                  << "-0"
                                                  << "";
        QTest::newRow("digit after 0,0 selection") << "0,0" << 2 << 3 << "5"
                                                   << "0,5"
                                                   << "";
    }

    void typing()
    {
        QFETCH(QString, start);
        QFETCH(int, selectionStart);
        QFETCH(int, cursor);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(QString, selected);

        enter(0.2);
        editor()->setText(start);
        if (selectionStart >= 0)
            editor()->setSelection(selectionStart, cursor - selectionStart);
        else
            editor()->setCursorPosition(cursor);
        QTest::keyClicks(editor(), typed);
        QCOMPARE(editor()->text(), expected);
        QCOMPARE(editor()->selectedText(), selected);
    }

    void editingKeysPass()
    {
        enter(0.2);
        editor()->setCursorPosition(3);
        QTest::keyClick(editor(), Qt::Key_Backspace);
        QCOMPARE(editor()->text(), QStringLiteral("0,"));
        QTest::keyClick(editor(), Qt::Key_Home);
        QTest::keyClick(editor(), Qt::Key_Delete);
        QCOMPARE(editor()->text(), QStringLiteral(","));
        QCOMPARE(m_field->value(), 0.2); // not a number: the last value stands
    }

    void leaving_data()
    {
        QTest::addColumn<double>("entered");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("afterLeave");
        QTest::addColumn<bool>("keepsFocus");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("changed"); // valueChanged(value) once, else not at all

        QTest::newRow("whole number reformatted") << 0.2 << "3"
                                                  << "3,0" << false << 3.0 << true;
        QTest::newRow("-0 becomes 0,0") << 0.2 << "-0"
                                        << "0,0" << false << 0.0 << true;
        QTest::newRow("trailing separator") << 0.2 << "7,"
                                            << "7,0" << false << 7.0 << true;
        QTest::newRow("leading separator") << 0.2 << ",5"
                                           << "0,5" << false << 0.5 << true;
        QTest::newRow("exponent") << 0.2 << "1e1"
                                  << "10,0" << false << 10.0 << true;
        QTest::newRow("two decimals rounded") << 0.2 << "0,25"
                                              << "0,3" << false << 0.3 << true;
        QTest::newRow("same number retyped") << 0.2 << "0,20"
                                             << "0,2" << false << 0.2 << false;
        QTest::newRow("not a number restored") << 0.2 << "abc"
                                               << "0,2" << true << 0.2 << false;
        QTest::newRow("empty restored") << 1.5 << ""
                                        << "1,5" << true << 1.5 << false;
        QTest::newRow("above limit restored") << 0.2 << "12"
                                              << "0,2" << true << 0.2 << false;
        QTest::newRow("below limit restored") << 4.0 << "-1"
                                              << "4,0" << true << 4.0 << false;
        QTest::newRow("foreign separator restored") << 0.2 << "0.5"
                                                    << "0,2" << true << 0.2 << false;
    }

    void leaving()
    {
        QFETCH(double, entered);
        QFETCH(QString, text);
        QFETCH(QString, afterLeave);
        QFETCH(bool, keepsFocus);
        QFETCH(double, value);
        QFETCH(bool, changed);

        enter(entered);
        QSignalSpy changes(m_field, &DecimalSpinField::valueChanged);
        editor()->setText(text); // as a paste would put it there
        QCOMPARE(changes.count(), 0); // the text is taken on leaving only
        QTest::keyClick(editor(), Qt::Key_Tab);
        QCOMPARE(editor()->text(), afterLeave);
        QCOMPARE(m_field->value(), value);
        QCOMPARE(changes.count(), changed ? 1 : 0);
        if (changed)
            QCOMPARE(changes.at(0).at(0).toDouble(), value);
        if (keepsFocus) {
            QTRY_VERIFY(editor()->hasFocus());
            QCOMPARE(editor()->selectedText(), afterLeave);
        } else {
            QTRY_VERIFY(m_other->hasFocus());
        }
    }

    void setValue_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("set");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("changed"); // valueChanged(value) once, else not at all
        QTest::newRow("below") << 5.0 << -1.0 << 0.0 << "0,0" << true;
        QTest::newRow("above") << 5.0 << 12.5 << 10.0 << "10,0" << true;
        QTest::newRow("inside") << 5.0 << 0.2 << 0.2 << "0,2" << true;
        QTest::newRow("negative zero") << 5.0 << -0.0 << 0.0 << "0,0" << true;
        QTest::newRow("more decimals than shown") << 5.0 << 2.46 << 2.5 << "2,5" << true;
        QTest::newRow("the same value") << 5.0 << 5.0 << 5.0 << "5,0" << false;
        QTest::newRow("clamped to the same value") << 10.0 << 12.5 << 10.0 << "10,0" << false;
    }

    void setValue()
    {
        QFETCH(double, start);
        QFETCH(double, set);
        QFETCH(double, value);
        QFETCH(QString, text);
        QFETCH(bool, changed);
        m_field->setValue(start);
        QSignalSpy changes(m_field, &DecimalSpinField::valueChanged);
        m_field->setValue(set);
        QCOMPARE(m_field->value(), value);
        QCOMPARE(m_field->text(), text);
        QCOMPARE(changes.count(), changed ? 1 : 0);
        if (changed)
            QCOMPARE(changes.at(0).at(0).toDouble(), value);
    }

    void stepping_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("how"); // 0 Up key, 1 Down key, 2 up button, 3 down button
        QTest::addColumn<int>("times");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("changes"); // steps that changed the value
        QTest::newRow("up key") << 0.2 << 0 << 1 << "0,3" << 1;
        QTest::newRow("down key at minimum") << 0.0 << 1 << 1 << "0,0" << 0;
        QTest::newRow("up key ten times") << 0.0 << 0 << 10 << "1,0" << 10;
        QTest::newRow("up button to maximum") << 9.9 << 2 << 2 << "10,0" << 1;
        QTest::newRow("down button") << 0.1 << 3 << 1 << "0,0" << 1;
    }

    void stepping()
    {
        QFETCH(double, start);
        QFETCH(int, how);
        QFETCH(int, times);
        QFETCH(QString, text);
        QFETCH(int, changes);
        enter(start);
        QSignalSpy changed(m_field, &DecimalSpinField::valueChanged);
        for (int i = 0; i < times; ++i) {
            switch (how) {
            case 0:
                QTest::keyClick(editor(), Qt::Key_Up);
                break;
            case 1:
                QTest::keyClick(editor(), Qt::Key_Down);
                break;
            case 2:
                QTest::mouseClick(m_field->upButton(), Qt::LeftButton);
                break;
            case 3:
                QTest::mouseClick(m_field->downButton(), Qt::LeftButton);
                break;
            }
        }
        QCOMPARE(editor()->text(), text);
        QCOMPARE(changed.count(), changes);
        if (changes > 0)
            QCOMPARE(changed.last().at(0).toDouble(), m_field->value());
        QVERIFY(editor()->hasFocus()); // the buttons do not take the focus
    }
};

QTEST_MAIN(TestSpinFloatEdit)
#include "tst_decimalspinfield.moc"
