#pragma once

#include "ProtocolShell.h"

// The shell of the running desktop: QDesktopServices and the print dialog.
class TDesktopShell : public TProtocolShell
{
public:
    void OpenDocument(const QString &fileName) override;
    bool ChoosePrinter(QPrinter &printer, QWidget *parent) override;
};
