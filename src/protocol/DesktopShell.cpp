#include "protocol/DesktopShell.h"

#include <QPrintDialog>
#include <QPrinter>

bool DesktopShell::choosePrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
