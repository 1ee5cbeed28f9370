#pragma once

#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QTabWidget;
class THelpBrowser;

// The window of one help file: table of contents and keyword index on the
// left, the page on the right. The window owns its help engine.
class THelpWindow : public QWidget
{
    Q_OBJECT

public:
    // `engine` must already hold the help file; the window takes it over.
    explicit THelpWindow(QHelpEngine *engine, QWidget *parent = nullptr);
    ~THelpWindow() override;

    // The help file's namespace.
    QString Namespace() const { return m_namespace; }

    // Contents tab; opens the first page when none is shown yet.
    void ShowContents();
    // Index tab filtered by the keyword; opens the keyword's first page when
    // the index holds the keyword (letter case ignored).
    void ShowIndex(const QString &keyword);
    // Opens the page whose path within the help file is `topic`.
    void ShowTopic(const QString &topic);
    // Opens the page that carries the identifier "context.<id>".
    void ShowContext(int contextId);

    THelpBrowser *Browser() const { return m_browser; }
    QTabWidget *Tabs() const { return m_tabs; }
    QLineEdit *IndexFilter() const { return m_indexFilter; }
    QUrl CurrentPage() const;
    QHelpEngine *Engine() const { return m_engine; }

private:
    void OpenKeyword(const QString &keyword);
    void OpenPage(const QUrl &url);
    void ShowMissing(const QString &what);
    QUrl FirstPage() const;
    void UpdateTitle();
    // Marks the shown page in the table of contents.
    void SyncContents();

    QHelpEngine *m_engine;
    QString m_namespace;
    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_indexFilter = nullptr;
    THelpBrowser *m_browser = nullptr;
    QString m_pendingKeyword;
    bool m_openFirstPage = false;
};
