#pragma once

#include "protocol/ProtocolShell.h"

#include <QObject>

// The shell of the running desktop and the print dialog. On Windows the shell's open
// action and file associations (ShellExecuteEx, AssocQueryString), run on a pool thread;
// elsewhere the freedesktop.org tools xdg-mime and xdg-open, run as processes of their
// own. The interface thread never waits for either.
class DesktopShell : public ProtocolShell
{
public:
    ~DesktopShell() override;

    void openDocument(const QString &fileName) override;
    bool choosePrinter(QPrinter &printer, QWidget *parent) override;
    // The desktop names an application that opens files of the type (Windows: an "open"
    // command for its extension; elsewhere "xdg-mime query default <type>").
    void findApplication(const QString &mimeType, std::function<void(bool found)> answer) override;
    // The open action (ShellExecuteEx, "xdg-open <file>") reports a failure.
    void openDocumentOrReport(const QString &fileName,
                              std::function<void(const QString &reason)> failed) override;

private:
    // Parent of the work still running (tool processes, answers on their way back); it is
    // stopped or dropped with the shell.
    QObject m_pending;
};
