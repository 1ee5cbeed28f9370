#pragma once

#include "help/HelpViewerModule.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class HelpModule;

// The help adapter. Registered once at program start (Start), before the main
// window exists: it loads the viewer module (Linux: the Qt viewer beside the
// executable; Windows: the system's HHCTRL.OCX) and warns once when the module
// is missing. Every help request of the program (the help button, "H&ilfe", F1)
// goes through showContents, showKeyword, showTopic or showContext; each
// resolves the help file first and does nothing, silently, when that file does
// not exist.
class HelpLauncher : public QObject
{
    Q_OBJECT

public:
    explicit HelpLauncher(QObject *parent = nullptr);
    ~HelpLauncher() override;

    // The adapter started last and not yet destroyed, or null.
    static HelpLauncher *instance();

    // Folders searched for the module, in order. Default: helpModuleFolders of
    // the application's folder.
    QStringList moduleFolders() const { return m_moduleFolders; }
    void setModuleFolders(const QStringList &value) { m_moduleFolders = value; }

    // Loads the module and looks up its entry point. When that fails the
    // warning is shown (once per adapter) and the program runs on without
    // help. Returns whether the module is loaded. Calling it again only
    // reports the state.
    bool start();
    // Closes every help window and unloads the module.
    void shutdown();
    bool loaded() const { return m_module != nullptr; }
    // The path of the loaded module, empty when none is loaded.
    QString modulePath() const;

    // The main window sets itself and the application's help file while it is
    // being created.
    void registerHelpFile(QWidget *mainWindow, const QString &helpFile);
    QWidget *mainWindow() const { return m_mainWindow; }
    QString helpFile() const { return m_helpFile; }
    void setHelpFile(const QString &value) { m_helpFile = value; }
    // A help file that takes precedence over the application's while set (a
    // dialog with its own help).
    QString currentHelpFile() const { return m_currentHelpFile; }
    void setCurrentHelpFile(const QString &value) { m_currentHelpFile = value; }

    // The file named in the request; when none is named the current help
    // file; when that is empty the application's help file. Empty when the
    // resulting file does not exist.
    QString resolveHelpFile(const QString &requested = QString()) const;

    static QString viewerName() { return QStringLiteral("HtmlHelp"); }
    static QStringList helpStrings(const QString &keyword);
    // The warning shown when the module is missing.
    static QString warningText();

    // Help requests. Each returns the Qt help window that shows the request,
    // or null when nothing was shown. On Windows the system's viewer shows the
    // help in a window of its own, and the requests always return null.
    QWidget *showContents(const QString &helpFile = QString());
    QWidget *showKeyword(const QString &keyword, const QString &helpFile = QString());
    QWidget *showTopic(const QString &topic, const QString &helpFile = QString());
    QWidget *showContext(int contextId, const QString &helpFile = QString());
    // Closes every help window; the module stays loaded.
    void softShutDown();

private:
    QWidget *request(const QString &file, HelpCommand command, const QVariant &data);
    void showWarning();

    QStringList m_moduleFolders;
    std::unique_ptr<HelpModule> m_module;
    bool m_started = false;
    QPointer<QWidget> m_mainWindow;
    QString m_helpFile;
    QString m_currentHelpFile;
};
