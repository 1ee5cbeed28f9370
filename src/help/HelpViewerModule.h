#pragma once

#include <QString>
#include <QVariant>
#include <QtPlugin>

class QWidget;

// Commands of the help viewer module. The numbers are those of the HTML help
// viewer's entry point, so requests read the same as on Windows.
enum class HelpCommand : int {
    hcDisplayTopic = 0, // file is "<help file>::/<topic>"
    hcDisplayToc = 1, // table of contents
    hcDisplayIndex = 2, // data: the keyword (text)
    hcHelpContext = 15, // data: the context id (integer)
    hcCloseAll = 18, // no window, no file: close every help window
};

// The one entry point of the viewer module, loaded at run time.
class HelpViewerModule
{
public:
    virtual ~HelpViewerModule() = default;

    // Shows help from `file` over `caller` (may be null). Returns the help
    // window that shows the request, or null when nothing was shown (unknown
    // command, missing or unreadable help file, hcCloseAll).
    virtual QWidget *htmlHelp(QWidget *caller, const QString &file, HelpCommand command, const QVariant &data)
        = 0;
};

#define HelpViewerModuleIid "de.korvano.Tivano.HelpViewerModule/1.0"
Q_DECLARE_INTERFACE(HelpViewerModule, HelpViewerModuleIid)
