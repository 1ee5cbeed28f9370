#pragma once

#include "help/HelpViewerModule.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTemporaryDir>

class QHelpEngine;
class HelpWindow;

// The viewer module: one help window per help file, fed by a Qt help engine
// whose collection lives in a private temporary folder.
class HelpViewer : public QObject, public HelpViewerModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HelpViewerModuleIid)
    Q_INTERFACES(HelpViewerModule)

public:
    explicit HelpViewer(QObject *parent = nullptr);
    ~HelpViewer() override;

    QWidget *htmlHelp(QWidget *caller, const QString &file, HelpCommand command,
                      const QVariant &data) override;

private:
    HelpWindow *windowFor(const QString &helpFile);
    void closeAll();

    QTemporaryDir m_collections;
    int m_collectionCount = 0;
    // Canonical help file path -> its window.
    QMap<QString, QPointer<HelpWindow>> m_windows;
};
