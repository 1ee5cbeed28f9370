#pragma once

#include <QTextBrowser>

class QHelpEngineCore;

// The page view of the help window: reads qthelp:// pages and their images
// from the help engine; other links go to the desktop's browser.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    HelpBrowser(QHelpEngineCore *engine, QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;

protected:
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;

private:
    QHelpEngineCore *m_engine;
};
