#pragma once

#include "HelpViewerModule.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QPluginLoader;
#include <QWidget>

// The help adapter. Registered once at program start (Start), before the main
// window exists: it loads the viewer module from beside the executable and
// warns once when the module is missing. Every help request of the program
// (the help button, "H&ilfe", F1) goes through ShowContents, ShowKeyword,
// ShowTopic or ShowContext; each resolves the help file first and does
// nothing, silently, when that file does not exist.
class SPHTMLHelp : public QObject
{
    Q_OBJECT

public:
    explicit SPHTMLHelp(QObject *parent = nullptr);
    ~SPHTMLHelp() override;

    // The adapter started last and not yet destroyed, or null.
    static SPHTMLHelp *Instance();

    // Folders searched for the module, in order. Default: HelpModuleFolders of
    // the application's folder.
    QStringList ModuleFolders() const { return m_moduleFolders; }
    void setModuleFolders(const QStringList &value) { m_moduleFolders = value; }

    // Loads the module and looks up its entry point. When that fails the
    // warning is shown (once per adapter) and the program runs on without
    // help. Returns whether the module is loaded. Calling it again only
    // reports the state.
    bool Start();
    // Closes every help window and unloads the module.
    void Shutdown();
    bool Loaded() const { return m_module != nullptr; }
    // The path of the loaded module, empty when none is loaded.
    QString ModulePath() const;

    // The main window sets itself and the application's help file while it is
    // being created.
    void Register(QWidget *mainWindow, const QString &helpFile);
    QWidget *MainWindow() const { return m_mainWindow; }
    QString HelpFile() const { return m_helpFile; }
    void setHelpFile(const QString &value) { m_helpFile = value; }
    // A help file that takes precedence over the application's while set (a
    // dialog with its own help).
    QString CurrentHelpFile() const { return m_currentHelpFile; }
    void setCurrentHelpFile(const QString &value) { m_currentHelpFile = value; }

    // The file named in the request; when none is named the current help
    // file; when that is empty the application's help file. Empty when the
    // resulting file does not exist.
    QString ResolveHelpFile(const QString &requested = QString()) const;

    static QString ViewerName() { return QStringLiteral("HtmlHelp"); }
    static QStringList HelpStrings(const QString &keyword);
    // The warning shown when the module is missing.
    static QString WarningText();

    // Help requests. Each returns the help window that shows the request, or
    // null when nothing was shown.
    QWidget *ShowContents(const QString &helpFile = QString());
    QWidget *ShowKeyword(const QString &keyword, const QString &helpFile = QString());
    QWidget *ShowTopic(const QString &topic, const QString &helpFile = QString());
    QWidget *ShowContext(int contextId, const QString &helpFile = QString());
    // Closes every help window; the module stays loaded.
    void SoftShutDown();

private:
    QWidget *Request(const QString &file, THelpCommand command, const QVariant &data);
    void ShowWarning();

    QStringList m_moduleFolders;
    std::unique_ptr<QPluginLoader> m_loader;
    THelpViewerModule *m_module = nullptr;
    bool m_started = false;
    QPointer<QWidget> m_mainWindow;
    QString m_helpFile;
    QString m_currentHelpFile;
};
