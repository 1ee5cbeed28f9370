#include "settings/ColorComboBox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QtTest>

class TestColorCombo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void entries()
    {
        ColorComboBox combo;
        QCOMPARE(combo.count(), 17);
        const ColorValue expected[]
            = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
               0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
        for (int i = 0; i < 16; ++i)
            QCOMPARE(combo.entryColour(i), expected[i]);
        QCOMPARE(combo.itemText(16), QStringLiteral("Other..."));
    }

    void setColorValue_data()
    {
        QTest::addColumn<uint>("first");
        QTest::addColumn<uint>("second");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("changes");
        QTest::newRow("fixed colour") << 0x0000FFu << 0x0000FFu << 9 << 1;
        QTest::newRow("own colour takes the user entry") << 0x404040u << 0x404040u << 16 << 1;
        QTest::newRow("own colour then fixed colour") << 0x404040u << 0xFFFFFFu << 15 << 2;
        QTest::newRow("two own colours") << 0x404040u << 0x010101u << 16 << 2;
        QTest::newRow("current value changes nothing") << 0x000000u << 0x000000u << 0 << 0;
    }

    void setColorValue()
    {
        QFETCH(uint, first);
        QFETCH(uint, second);
        QFETCH(int, index);
        QFETCH(int, changes);
        ColorComboBox combo;
        QSignalSpy changed(&combo, &ColorComboBox::colorValueChanged);
        QSignalSpy activated(&combo, &ColorComboBox::colorActivated);
        combo.setColorValue(first);
        combo.setColorValue(second);
        QCOMPARE(changed.count(), changes);
        if (changes > 0)
            QCOMPARE(changed.last().at(0).value<ColorValue>(), ColorValue(second));
        QCOMPARE(activated.count(), 0); // only the user activates
        QCOMPARE(combo.currentIndex(), index);
        QCOMPARE(combo.colorValue(), ColorValue(second));
        QCOMPARE(combo.entryColour(combo.currentIndex()), ColorValue(second));
    }

    void choosingByKeyboard()
    {
        ColorComboBox combo;
        combo.setColorValue(0x404040);
        QSignalSpy changed(&combo, &ColorComboBox::colorValueChanged);
        QSignalSpy activated(&combo, &ColorComboBox::colorActivated);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        QTest::keyClick(&combo, Qt::Key_Home);
        QCOMPARE(combo.colorValue(), ColorValue(0x000000));
        QTest::keyClick(&combo, Qt::Key_Down);
        QCOMPARE(combo.colorValue(), ColorValue(0x000080));
        QTest::keyClick(&combo, Qt::Key_End);
        QCOMPARE(combo.colorValue(), ColorValue(0x404040)); // the user entry kept its colour
        const QList<ColorValue> chosen{0x000000, 0x000080, 0x404040};
        for (const QSignalSpy *spy : {&changed, &activated}) {
            QCOMPARE(spy->count(), chosen.size());
            for (int i = 0; i < chosen.size(); ++i)
                QCOMPARE(spy->at(i).at(0).value<ColorValue>(), chosen.at(i));
        }
    }

    // Choosing the entry already shown from the list changes nothing but is a choice.
    void choosingTheShownEntryAgain()
    {
        ColorComboBox combo;
        combo.setColorValue(0x404040);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        QSignalSpy changed(&combo, &ColorComboBox::colorValueChanged);
        QSignalSpy activated(&combo, &ColorComboBox::colorActivated);
        combo.showPopup();
        QTRY_VERIFY(combo.view()->isVisible());
        QTest::keyClick(combo.view(), Qt::Key_Return);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).value<ColorValue>(), ColorValue(0x404040));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(combo.currentIndex(), int(ColorComboBox::UserEntry));
    }

    void swatchPainting()
    {
        QImage image(20, 12, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paintColourSwatch(painter, image.rect(), 0x0000FF);
        }
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white)); // 2 pixels inset
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::black)); // frame
        QCOMPARE(image.pixelColor(17, 9), QColor(Qt::black)); // frame, far corner
        QCOMPARE(image.pixelColor(18, 10), QColor(Qt::white));
        QCOMPARE(image.pixelColor(10, 6), QColor(255, 0, 0)); // $0000FF is red
    }

    void closedFieldShowsTheSwatch()
    {
        ColorComboBox combo;
        combo.resize(80, 24);
        combo.setColorValue(0x00FF00);
        const QImage image = combo.grab().toImage();
        QStyleOptionComboBox option;
        option.initFrom(&combo);
        const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, &combo);
        QCOMPARE(image.pixelColor(field.center() * image.devicePixelRatio()), QColor(0, 255, 0));
    }
};

QTEST_MAIN(TestColorCombo)
#include "tst_colorcombobox.moc"
