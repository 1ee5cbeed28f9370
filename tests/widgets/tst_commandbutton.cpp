#include "widgets/CommandButton.h"

#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Counts the presses an event filter sees, as the main window's filter would.
class PressCounter : public QObject
{
public:
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++presses;
        return false;
    }
};

QRect boundsOf(const QImage &image, QColor colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A button with an un-smoothed caption so that every caption pixel has the pen colour.
void prepare(CommandButton &button, QColor fontColour)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    button.setFont(font);
    QPalette palette = button.palette();
    palette.setColor(QPalette::ButtonText, fontColour);
    button.setPalette(palette);
    button.resize(125, 42);
}

void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button)
{
    const QPointF at(10, 10);
    QMouseEvent event(type, at, widget->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class TestButtonWithColor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults()
    {
        CommandButton button;
        QCOMPARE(button.color(), ColorValue(0xFF00000F));
        QCOMPARE(button.glyphLayout(), CommandButton::ButtonLayout::GlyphLeft);
        QCOMPARE(button.margin(), -1);
        QCOMPARE(button.spacing(), 4);
        QCOMPARE(button.numGlyphs(), 1);
    }

    void faceAndEdges_data()
    {
        QTest::addColumn<uint>("colour");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<uint>("expected");
        // Released: raised edge (light, white; dark, shadow), then the face.
        QTest::newRow("outer edge top-left")
            << 0x008000u << false << QPoint(0, 20) << uint(Colors::cl3DLight);
        QTest::newRow("inner edge top-left")
            << 0x008000u << false << QPoint(1, 20) << uint(Colors::clBtnHighlight);
        QTest::newRow("outer edge bottom")
            << 0x008000u << false << QPoint(60, 41) << uint(Colors::cl3DDkShadow);
        QTest::newRow("inner edge bottom")
            << 0x008000u << false << QPoint(60, 40) << uint(Colors::clBtnShadow);
        QTest::newRow("face frame in the face colour") << 0x008000u << false << QPoint(2, 20) << 0x008000u;
        QTest::newRow("face") << 0x0000FFu << false << QPoint(5, 5) << 0x0000FFu;
        // Pressed: no edge, the face frame in the shadow colour.
        QTest::newRow("pressed frame") << 0x008000u << true << QPoint(0, 20) << uint(Colors::clBtnShadow);
        QTest::newRow("pressed face") << 0x008000u << true << QPoint(1, 20) << 0x008000u;
    }

    void faceAndEdges()
    {
        QFETCH(uint, colour);
        QFETCH(bool, pressed);
        QFETCH(QPoint, at);
        QFETCH(uint, expected);
        CommandButton button(QStringLiteral("START"));
        prepare(button, Qt::white);
        button.setColor(colour);
        button.setDown(pressed);
        const QImage image = button.grab().toImage();
        QCOMPARE(image.pixelColor(at).rgb(), toQColor(expected).rgb());
    }

    void pressedCaptionMovesOnePixel()
    {
        CommandButton button(QStringLiteral("ZIEL"));
        prepare(button, Qt::black);
        button.setColor(0x00FFFF);
        const QRect released = boundsOf(button.grab().toImage(), Qt::black);
        button.setDown(true);
        const QRect pressed = boundsOf(button.grab().toImage(), Qt::black);
        QVERIFY(!released.isEmpty());
        QCOMPARE(pressed, released.translated(1, 1));
    }

    void disabledCaptionIsEmbossed()
    {
        CommandButton button(QStringLiteral("STOPP"));
        prepare(button, Qt::red);
        button.setColor(0x008000);
        const QRect enabledText = boundsOf(button.grab().toImage(), Qt::red);
        button.setEnabled(false);
        const QImage image = button.grab().toImage();
        QVERIFY(boundsOf(image, Qt::red).isEmpty()); // the font colour is not used
        const QRect grey = boundsOf(image, QColor(0x80, 0x80, 0x80));
        const QRect white = boundsOf(image.copy(3, 3, 119, 36), Qt::white).translated(3, 3);
        QCOMPARE(grey, enabledText);
        QCOMPARE(white.bottomRight(), grey.bottomRight() + QPoint(1, 1));
        QCOMPARE(image.pixelColor(5, 5).rgb(), toQColor(0x008000).rgb()); // the face keeps its colour
    }

    void activeDefaultButtonShowsFocus()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *edit = new QLineEdit(&window);
        auto *button = new CommandButton(QStringLiteral("OK"), &window);
        auto *other = new CommandButton(QStringLiteral("Nein"), &window);
        layout->addWidget(edit);
        layout->addWidget(button);
        layout->addWidget(other);
        for (CommandButton *b : {button, other}) {
            b->setColor(0x00FF00);
            b->setFixedSize(100, 40);
        }
        button->setDefault(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());

        auto magentaOnLeftLine = [](const QImage &image) {
            int count = 0;
            for (int y = 6; y < 34; ++y)
                count += image.pixelColor(4, y) == QColor(255, 0, 255);
            return count;
        };
        QVERIFY(button->isActiveDefault());
        QImage image = button->grab().toImage();
        QCOMPARE(image.pixelColor(0, 20).rgb(), toQColor(Colors::clWindowText).rgb()); // outer frame
        const int dots = magentaOnLeftLine(image); // white XOR lime
        QVERIFY(dots >= 10 && dots <= 18); // dotted, not solid

        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QVERIFY(!button->isActiveDefault());
        QVERIFY(other->isActiveDefault());
        QCOMPARE(magentaOnLeftLine(button->grab().toImage()), 0);
        QCOMPARE(button->grab().toImage().pixelColor(0, 20).rgb(), toQColor(Colors::cl3DLight).rgb());
    }

    void setterRepaintsOnlyOnChange()
    {
        CommandButton button(QStringLiteral("START"));
        button.resize(125, 42);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTRY_VERIFY(button.paintCount() > 0);
        QCoreApplication::processEvents();
        int painted = button.paintCount();
        button.setColor(button.color());
        QCoreApplication::processEvents();
        QCOMPARE(button.paintCount(), painted);

        button.setColor(0x008000);
        QTRY_VERIFY(button.paintCount() > painted);
        painted = button.paintCount();
        button.setEnabled(false);
        QTRY_VERIFY(button.paintCount() > painted);
        painted = button.paintCount();
        QFont font = button.font();
        font.setPixelSize(30);
        button.setFont(font);
        QTRY_VERIFY(button.paintCount() > painted);
    }

    void doubleClickIsASecondPress_data()
    {
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
    }

    void doubleClickIsASecondPress()
    {
        QFETCH(Qt::MouseButton, mouseButton);
        CommandButton button(QStringLiteral("ZIEL"));
        button.resize(145, 42);
        PressCounter filter;
        button.installEventFilter(&filter);
        int handled = 0;
        connect(&button, &CommandButton::mousePressed, this, [&](Qt::MouseButton pressed) {
            QCOMPARE(pressed, mouseButton);
            ++handled;
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        sendMouse(&button, QEvent::MouseButtonPress, mouseButton);
        sendMouse(&button, QEvent::MouseButtonRelease, mouseButton);
        sendMouse(&button, QEvent::MouseButtonDblClick, mouseButton);
        sendMouse(&button, QEvent::MouseButtonRelease, mouseButton);
        QCOMPARE(handled, 2);
        QCOMPARE(filter.presses, 2);
    }

    void modalResultClosesTheDialog()
    {
        QDialog dialog;
        auto *button = new CommandButton(QStringLiteral("Ja"), &dialog);
        button->setModalResult(6);
        int clicks = 0;
        connect(button, &CommandButton::clicked, this, [&] { ++clicks; });
        QTimer::singleShot(0, &dialog, [&] {
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), 6);
        QCOMPARE(clicks, 1);
    }

    void glyphStrip()
    {
        QPixmap strip(32, 16);
        strip.fill(Qt::transparent);
        {
            QPainter painter(&strip);
            painter.fillRect(4, 4, 8, 8, Qt::red); // the normal image
            painter.fillRect(20, 4, 8, 8, Qt::blue); // the disabled image
        }
        CommandButton button;
        button.resize(60, 40);
        button.setColor(0x00FF00);
        button.setGlyph(strip);
        QCOMPARE(button.numGlyphs(), 2);
        QImage image = button.grab().toImage();
        QCOMPARE(image.pixelColor(30, 20).rgb(), QColor(Qt::red).rgb()); // centred without a caption
        QVERIFY(boundsOf(image, Qt::blue).isEmpty());
        QCOMPARE(boundsOf(image, Qt::red).size(), QSize(8, 8));
        QCOMPARE(image.pixelColor(24, 14).rgb(), QColor(Qt::green).rgb()); // transparent part shows the face
        button.setEnabled(false);
        image = button.grab().toImage();
        QCOMPARE(image.pixelColor(30, 20).rgb(), QColor(Qt::blue).rgb());
    }

    void opaqueGlyphTakesTheFaceColourForItsGround()
    {
        // An opaque bitmap's bottom-left colour is its transparent colour.
        QImage bitmap(16, 16, QImage::Format_RGB32);
        bitmap.fill(Qt::white);
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x)
                bitmap.setPixelColor(x, y, Qt::red);
        CommandButton button;
        button.resize(60, 40);
        button.setGlyph(QPixmap::fromImage(bitmap));
        button.setColor(0xFF0000); // blue
        const QImage image = button.grab().toImage().copy(3, 3, 54, 34); // inside the edges
        QVERIFY(boundsOf(image, Qt::white).isEmpty());
        QCOMPARE(boundsOf(image, Qt::red).size(), QSize(8, 8));
    }
};

QTEST_MAIN(TestButtonWithColor)
#include "tst_commandbutton.moc"
