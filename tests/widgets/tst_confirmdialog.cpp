#include "ModalAnswers.h"
#include "widgets/ConfirmDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestDlgYesNo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Tivano")); }

    void design()
    {
        ConfirmDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tivano"));
        QCOMPARE(dialog.size(), QSize(222, 94));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(dialog.questionLabel->geometry(), QRect(40, 6, 169, 49));
        QCOMPARE(dialog.questionLabel->text(), QStringLiteral("?"));
        QCOMPARE(dialog.iconLabel->geometry(), QRect(4, 14, 32, 32));
        QCOMPARE(dialog.yesButton->geometry(), QRect(39, 60, 75, 25));
        QCOMPARE(dialog.noButton->geometry(), QRect(135, 60, 75, 25));
        QCOMPARE(dialog.yesButton->text(), QStringLiteral("Ja"));
        QCOMPARE(dialog.noButton->text(), QStringLiteral("Nein"));
    }

    void questionIcon()
    {
        const QImage icon = ConfirmDialog::questionIcon().toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        QCOMPARE(icon.pixelColor(31, 0).alpha(), 0); // transparent outside the bubble
        QCOMPARE(icon.pixelColor(6, 6).alpha(), 255); // inside the bubble
        int blue = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                blue += icon.pixelColor(x, y).blue() > 150 && icon.pixelColor(x, y).red() < 100;
        QVERIFY(blue > 10); // the question mark
    }

    void answers_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<bool>("noActive");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Ja clicked") << 0 << false << true;
        QTest::newRow("Nein clicked") << 1 << false << false;
        QTest::newRow("Esc") << 2 << false << false;
        QTest::newRow("window closed") << 3 << false << false;
        QTest::newRow("Enter, Ja active") << 4 << false << true;
        QTest::newRow("Enter, Nein active") << 4 << true << false;
        QTest::newRow("Ja clicked, Nein active") << 0 << true << true;
    }

    void answers()
    {
        QFETCH(int, how);
        QFETCH(bool, noActive);
        ConfirmDialog dialog;
        if (noActive)
            dialog.setActiveControl(dialog.noButton);
        whileShown(&dialog, [&dialog, how] {
            switch (how) {
            case 0:
                QTest::mouseClick(dialog.yesButton, Qt::LeftButton);
                break;
            case 1:
                QTest::mouseClick(dialog.noButton, Qt::LeftButton);
                break;
            case 2:
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                break;
            case 3:
                dialog.close();
                break;
            case 4:
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                break;
            }
        });
        QTEST(dialog.ask(QStringLiteral("Zeitenprotokoll  löschen?")), "yes");
    }

    void captionsAndActiveButtonStay()
    {
        ConfirmDialog dialog;
        // The reset question: its own captions, "Abbrechen" focused, so Enter says no.
        QString shownQuestion, shownYes, shownNo;
        QWidget *active = nullptr;
        whileShown(&dialog, [&] {
            shownQuestion = dialog.questionLabel->text();
            shownYes = dialog.yesButton->text();
            shownNo = dialog.noButton->text();
            active = QApplication::focusWidget();
            QTest::keyClick(active, Qt::Key_Return);
        });
        QVERIFY(!dialog.ask(QStringLiteral("Protokoll wird gelöscht!"), QStringLiteral("OK"),
                            QStringLiteral("Abbrechen")));
        QCOMPARE(shownQuestion, QStringLiteral("Protokoll wird gelöscht!"));
        QCOMPARE(shownYes, QStringLiteral("OK"));
        QCOMPARE(shownNo, QStringLiteral("Abbrechen"));
        QCOMPARE(active, dialog.noButton);
        // The captions are put back at once.
        QCOMPARE(dialog.yesButton->text(), QStringLiteral("Ja"));
        QCOMPARE(dialog.noButton->text(), QStringLiteral("Nein"));

        // The next caller sets nothing: the focus stays on the "no" button.
        whileShown(&dialog, [&] {
            active = QApplication::focusWidget();
            QTest::keyClick(active, Qt::Key_Return);
        });
        QVERIFY(!dialog.ask(QStringLiteral("Wollen Sie Tivano wirklich beenden? ")));
        QCOMPARE(active, dialog.noButton);
        dialog.setActiveControl(dialog.yesButton);
        QCOMPARE(dialog.activeControl(), dialog.yesButton);
    }

    void longQuestionIsClipped()
    {
        ConfirmDialog dialog;
        dialog.questionLabel->setText(QString(40, QLatin1Char('W')) + QStringLiteral(" wirklich ")
                                      + QString(300, QLatin1Char('x')));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.questionLabel->geometry(), QRect(40, 6, 169, 49));
        QCOMPARE(dialog.size(), QSize(222, 94));
    }

    void centredOverTheMainWindow()
    {
        QWidget mainWindow;
        mainWindow.setGeometry(100, 80, 822, 434);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        ConfirmDialog dialog(&mainWindow);
        QPoint centre;
        whileShown(&dialog, [&] { centre = dialog.geometry().center(); });
        dialog.ask(QStringLiteral("?"));
        const QPoint expected = mainWindow.geometry().center();
        QVERIFY2((centre - expected).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
    }
};

QTEST_MAIN(TestDlgYesNo)
#include "tst_confirmdialog.moc"
