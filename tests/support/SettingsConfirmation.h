#pragma once

#include "ModalAnswers.h"
#include "app/MainWindow.h"
#include "settings/SettingsDialog.h"

#include <QPushButton>

// Opens the settings dialog as Alt+E opens it and confirms it unchanged with OK, as the
// operator does after plugging the adapter back in; returns the text of the error box that
// followed, if one did.
inline QString confirmSettings(MainWindow &window, SettingsDialog &dialog)
{
    MessageBoxWatcher boxes;
    answerNextModal<SettingsDialog>(
        &boxes, [](SettingsDialog &shown) { QTest::mouseClick(shown.yesButton, Qt::LeftButton); },
        [&dialog](SettingsDialog &shown) { return &shown == &dialog; });
    // Not by the key: a key could be lost to a window a dialog has just handed back.
    window.showSettings();
    return boxes.seen().isEmpty() ? QString() : boxes.seen().last().text;
}
