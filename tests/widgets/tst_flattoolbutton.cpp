#include "platform/ColorValue.h"
#include "widgets/FlatToolButton.h"

#include <QEnterEvent>
#include <QPainter>
#include <QtTest>

class TestSpeedButton : public QObject
{
    Q_OBJECT

private:
    static QPixmap glyph()
    {
        QPixmap glyph(16, 16);
        glyph.fill(Qt::transparent);
        QPainter painter(&glyph);
        painter.fillRect(4, 4, 8, 8, Qt::red);
        return glyph;
    }

    static void hover(QWidget *widget, bool inside)
    {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
            QApplication::sendEvent(widget, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(widget, &leave);
        }
    }

private Q_SLOTS:
    void hintAndFocus()
    {
        FlatToolButton button;
        button.setHint(QStringLiteral("Einstellungen (F2)"));
        QCOMPARE(button.toolTip(), QStringLiteral("Einstellungen (F2)"));
        QCOMPARE(button.accessibleName(), QStringLiteral("Einstellungen (F2)"));
        QCOMPARE(button.focusPolicy(), Qt::NoFocus);
    }

    void click_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("clicks");
        QTest::newRow("enabled") << true << 1;
        QTest::newRow("disabled") << false << 0;
    }

    void click()
    {
        QFETCH(bool, enabled);
        FlatToolButton button;
        button.setGlyph(glyph());
        button.resize(button.sizeHint());
        int clicks = 0;
        connect(&button, &FlatToolButton::clicked, this, [&] { ++clicks; });
        button.setEnabled(enabled);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QTEST(clicks, "clicks");
    }

    void highlightWhileHovered()
    {
        FlatToolButton button;
        button.setGlyph(glyph());
        button.resize(22, 22);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        const QRgb light = toQColor(Colors::clBtnHighlight).rgb();
        const QRgb shadow = toQColor(Colors::clBtnShadow).rgb();

        hover(&button, false);
        QImage image = button.grab().toImage();
        QVERIFY(image.pixelColor(0, 10).rgb() != light);
        QCOMPARE(image.pixelColor(11, 11).rgb(), QColor(Qt::red).rgb()); // glyph centred

        hover(&button, true);
        QVERIFY(button.highlighted());
        image = button.grab().toImage();
        QCOMPARE(image.pixelColor(0, 10).rgb(), light);
        QCOMPARE(image.pixelColor(21, 10).rgb(), shadow);

        hover(&button, false);
        QVERIFY(!button.highlighted());
        QVERIFY(button.grab().toImage().pixelColor(0, 10).rgb() != light);

        button.setEnabled(false);
        hover(&button, true);
        QVERIFY(!button.highlighted()); // a disabled button does not light up
        // The disabled glyph is drawn greyed, not in its own colour.
        QVERIFY(button.grab().toImage().pixelColor(11, 11).rgb() != QColor(Qt::red).rgb());
    }

    void pressedIsSunken()
    {
        FlatToolButton button;
        button.setGlyph(glyph());
        button.resize(22, 22);
        button.setDown(true);
        const QImage image = button.grab().toImage();
        QCOMPARE(image.pixelColor(0, 10).rgb(), toQColor(Colors::clBtnShadow).rgb());
        QCOMPARE(image.pixelColor(12, 12).rgb(), QColor(Qt::red).rgb());
        QCOMPARE(image.pixelColor(15, 15).rgb(), QColor(Qt::red).rgb()); // moved one pixel
    }
};

QTEST_MAIN(TestSpeedButton)
#include "tst_flattoolbutton.moc"
