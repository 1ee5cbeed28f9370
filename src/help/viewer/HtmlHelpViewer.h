#pragma once

#include "help/HelpViewerModule.h"
#include "platform/ScratchFolder.h"

#include <QMap>
#include <QObject>
#include <QPointer>

#include <memory>

class QHelpEngine;
class HelpWindow;

// The viewer module: one help window per help file, fed by a Qt help engine
// whose collection lives in a scratch folder, made when the first help window opens.
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

    std::unique_ptr<ScratchFolder> m_collections;
    int m_collectionCount = 0;
    // Canonical help file path -> its window.
    QMap<QString, QPointer<HelpWindow>> m_windows;
};
