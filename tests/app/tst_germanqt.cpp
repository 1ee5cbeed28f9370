#include "app/GermanQtTranslation.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestGermanQt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(installGermanQtTranslation(*qApp)); }

    // The operator's open and save dialogs: Qt's own dialog, labels in German.
    void fileDialogSpeaksGerman()
    {
        QFileDialog dialog(nullptr, QStringLiteral("Laden"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *lookIn = dialog.findChild<QLabel *>(QStringLiteral("lookInLabel"));
        auto *fileName = dialog.findChild<QLabel *>(QStringLiteral("fileNameLabel"));
        auto *buttons = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(lookIn && fileName && buttons);
        QCOMPARE(lookIn->text(), QStringLiteral("Suchen in:"));
        QCOMPARE(fileName->text(), QStringLiteral("Datei&name:"));
        QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&\u00d6ffnen"));
        QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    }

    void standardButtonsSpeakGerman()
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tivano"), QStringLiteral("x"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    }
};

QTEST_MAIN(TestGermanQt)
#include "tst_germanqt.moc"
