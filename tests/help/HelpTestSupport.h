#pragma once

#include "ModalAnswers.h"

#include <QApplication>
#include <QTextBrowser>

// The visible top-level windows that show help pages.
inline QList<QWidget *> visibleHelpWindows()
{
    QList<QWidget *> windows;
    const auto topLevels = QApplication::topLevelWidgets();
    for (QWidget *widget : topLevels) {
        if (widget->isVisible() && widget->findChild<QTextBrowser *>())
            windows.append(widget);
    }
    return windows;
}

// The file name of the page a help window shows, empty when none.
inline QString shownPage(QWidget *helpWindow)
{
    auto *browser = helpWindow ? helpWindow->findChild<QTextBrowser *>() : nullptr;
    return browser ? browser->source().fileName() : QString();
}
