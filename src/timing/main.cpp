#include "ClockSource.h"
#include "FMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivano"));

    TFormMain window(DefaultClockSource());
    window.show();
    return application.exec();
}
