#pragma once

#include "HelpViewerModule.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTemporaryDir>

class QHelpEngine;
class THelpWindow;

// The viewer module: one help window per help file, fed by a Qt help engine
// whose collection lives in a private temporary folder.
class THtmlHelpViewer : public QObject, public THelpViewerModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID THelpViewerModule_iid)
    Q_INTERFACES(THelpViewerModule)

public:
    explicit THtmlHelpViewer(QObject *parent = nullptr);
    ~THtmlHelpViewer() override;

    QWidget *HtmlHelp(QWidget *caller, const QString &file, THelpCommand command,
                      const QVariant &data) override;

private:
    THelpWindow *WindowFor(const QString &helpFile);
    void CloseAll();

    QTemporaryDir m_collections;
    int m_collectionCount = 0;
    // Canonical help file path -> its window.
    QMap<QString, QPointer<THelpWindow>> m_windows;
};
