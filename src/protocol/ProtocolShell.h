#pragma once

#include <QString>

class QPrinter;
class QWidget;

// The desktop's part in the protocol commands: opening a file with its default
// application and choosing a printer. Tests put their own in its place.
class TProtocolShell
{
public:
    virtual ~TProtocolShell() = default;

    // Opens the file with the desktop's default application; fire and forget.
    virtual void OpenDocument(const QString &fileName) = 0;

    // Lets the operator choose and set up a printer; false when cancelled.
    virtual bool ChoosePrinter(QPrinter &printer, QWidget *parent) = 0;
};
