#pragma once

#include "app/MainWindow.h"
#include "settings/SettingsDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Opens the settings dialog as Alt+E opens it and confirms it unchanged with OK, as the
// operator does after plugging the adapter back in; returns the text of the error box that
// followed, if one did.
inline QString confirmSettings(MainWindow &window, SettingsDialog &dialog)
{
    QString shown;
    QTimer operatorHand;
    QObject::connect(&operatorHand, &QTimer::timeout, &window, [&dialog, &shown] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == &dialog) {
            QTest::mouseClick(dialog.yesButton, Qt::LeftButton);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            shown = box->text();
            box->accept();
        }
    });
    operatorHand.start(5);
    // Not by the key: a key could be lost to a window a dialog has just handed back.
    window.showSettings();
    return shown;
}
