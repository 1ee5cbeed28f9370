// Shows the settings dialog, the yes/no dialog and the coloured buttons on a
// real display, for a look by eye: settings_demo [cfg|yesno|buttons] [acm]
#include "widgets/CommandButton.h"
#include "settings/SettingsDialog.h"
#include "widgets/ConfirmDialog.h"
#include "FakeCfgHost.h"
#include "widgets/FlatToolButton.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivano"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList arguments = application.arguments();
    const QString what = arguments.value(1, QStringLiteral("cfg"));

    QWidget mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Tivano 1.1"));
    mainWindow.setGeometry(40, 40, 822, 434);
    auto *layout = new QHBoxLayout(&mainWindow);
    const char *captions[] = {"START", "ZIEL", "STOPP", "00:00"};
    const ColorValue colours[] = {Colors::clGreen, Colors::clBtnFace, Colors::clRed, Colors::clNavy};
    for (int i = 0; i < 4; ++i) {
        auto *button = new CommandButton(QLatin1String(captions[i]), &mainWindow);
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(24);
        font.setBold(true);
        button->setFont(font);
        button->setColor(colours[i]);
        button->setFixedSize(125, 42);
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, i == 1 ? Qt::gray : Qt::white);
        button->setPalette(palette);
        button->setEnabled(i != 2);
        button->setDefault(i == 0);
        layout->addWidget(button);
    }
    auto *help = new FlatToolButton(&mainWindow);
    help->setGlyph(mainWindow.style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(24, 24));
    help->setHint(QStringLiteral("Hilfe (F1)"));
    layout->addWidget(help);
    mainWindow.show();

    FakeCfgHost host;
    host.mask = arguments.contains(QStringLiteral("acm")) ? (13u << 16 | 1u | 1u << 12) : (3u << 16 | 1u | 4u);
    host.port = arguments.contains(QStringLiteral("acm")) ? 13 : 1;
    SettingsDialog dialog(host, &mainWindow);
    ConfirmDialog yesNo(&mainWindow);

    QTimer::singleShot(200, &mainWindow, [&] {
        if (what == QLatin1String("yesno")) {
            yesNo.questionLabel->setText(QStringLiteral("Wollen Sie Tivano wirklich beenden? "));
            yesNo.showModal();
        } else if (what == QLatin1String("cfg")) {
            dialog.execute();
            QTextStream(stdout) << host.log.join(QLatin1Char('\n')) << Qt::endl;
        } else {
            return;
        }
        application.quit();
    });
    return application.exec();
}
