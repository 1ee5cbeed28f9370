#pragma once

#include "help/HelpViewerModule.h"

#include <QString>
#include <QVariant>

#include <memory>

class QWidget;

// The loaded viewer library and its entry point: the Qt plugin module beside the program
// (HelpModuleQt.cpp) or the system's HTML help control HHCTRL.OCX (HelpModuleWin.cpp).
// Destroying it unloads the library.
class HelpModule
{
public:
    virtual ~HelpModule() = default;

    // Loads the library at `path` and looks up its entry point; null when either fails.
    static std::unique_ptr<HelpModule> load(const QString &path);

    QString path() const { return m_path; }

    // One request, as the entry point takes it. Returns the Qt window that shows the help,
    // or null when nothing was shown; always null for the system's viewer, whose window is
    // no QWidget.
    virtual QWidget *htmlHelp(QWidget *caller, const QString &file, HelpCommand command, const QVariant &data)
        = 0;

protected:
    explicit HelpModule(const QString &path)
        : m_path(path)
    { }

private:
    QString m_path;
};
