#pragma once

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

// The desktop's part in the protocol commands: opening a file with its default
// application and choosing a printer. Tests put their own in its place.
class ProtocolShell
{
public:
    virtual ~ProtocolShell() = default;

    // Opens the file with the desktop's default application; fire and forget.
    virtual void openDocument(const QString &fileName) = 0;

    // Lets the operator choose and set up a printer; false when cancelled.
    virtual bool choosePrinter(QPrinter &printer, QWidget *parent) = 0;

    // Asks whether the desktop has an application for files of `mimeType` and hands the
    // answer to `answer`, at once or later on the interface thread. A shell that cannot
    // tell answers yes and leaves it to the attempt to open.
    virtual void findApplication(const QString &mimeType, std::function<void(bool found)> answer)
    {
        Q_UNUSED(mimeType);
        answer(true);
    }

    // Opens the file like openDocument; when the desktop reports that it could not,
    // `failed` runs later, on the interface thread, with the desktop's reason.
    virtual void openDocumentOrReport(const QString &fileName,
                                      std::function<void(const QString &reason)> failed)
    {
        Q_UNUSED(failed);
        openDocument(fileName);
    }
};
