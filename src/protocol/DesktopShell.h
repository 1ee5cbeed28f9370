#pragma once

#include "protocol/ProtocolShell.h"

#include <QObject>

// The shell of the running desktop: the freedesktop.org tools xdg-mime and xdg-open,
// QDesktopServices and the print dialog. The tools run as processes of their own; the
// interface thread never waits for them.
class DesktopShell : public ProtocolShell
{
public:
    ~DesktopShell() override;

    void openDocument(const QString &fileName) override;
    bool choosePrinter(QPrinter &printer, QWidget *parent) override;
    // "xdg-mime query default <type>" names a desktop entry.
    void findApplication(const QString &mimeType, std::function<void(bool found)> answer) override;
    // "xdg-open <file>" ends with a failure code.
    void openDocumentOrReport(const QString &fileName,
                              std::function<void(const QString &reason)> failed) override;

private:
    // Parent of the tool processes still running; they are stopped with the shell.
    QObject m_processes;
};
