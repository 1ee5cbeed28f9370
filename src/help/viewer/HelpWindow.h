#pragma once

#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QTabWidget;
class HelpBrowser;

// The window of one help file: table of contents and keyword index on the
// left, the page on the right. The window owns its help engine.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    // `engine` must already hold the help file; the window takes it over.
    explicit HelpWindow(QHelpEngine *engine, QWidget *parent = nullptr);
    ~HelpWindow() override;

    // The help file's namespace.
    QString helpNamespace() const { return m_namespace; }

    // Contents tab; opens the first page when none is shown yet.
    void showContents();
    // Index tab filtered by the keyword; opens the keyword's first page when
    // the index holds the keyword (letter case ignored).
    void showIndex(const QString &keyword);
    // Opens the page whose path within the help file is `topic`.
    void showTopic(const QString &topic);
    // Opens the page that carries the identifier "context.<id>".
    void showContext(int contextId);

    HelpBrowser *browser() const { return m_browser; }
    QTabWidget *tabs() const { return m_tabs; }
    QLineEdit *indexFilter() const { return m_indexFilter; }
    QUrl currentPage() const;
    QHelpEngine *engine() const { return m_engine; }

private:
    void openKeyword(const QString &keyword);
    void openPage(const QUrl &url);
    void showMissing(const QString &what);
    QUrl firstPage() const;
    void updateTitle();
    // Marks the shown page in the table of contents.
    void syncContents();

    QHelpEngine *m_engine;
    QString m_namespace;
    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_indexFilter = nullptr;
    HelpBrowser *m_browser = nullptr;
    QString m_pendingKeyword;
    bool m_openFirstPage = false;
};
