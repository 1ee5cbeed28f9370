// Shows the settings dialog, the yes/no dialog and the coloured buttons on a
// real display, for a look by eye: settings_demo [cfg|yesno|buttons] [acm]
#include "settings/SettingsDialog.h"
#include "widgets/CommandButton.h"
#include "widgets/ConfirmDialog.h"
#include "widgets/FlatToolButton.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTextStream>
#include <QTimer>

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

    const bool acm = arguments.contains(QStringLiteral("acm"));
    SettingsDialog dialog(&mainWindow);
    if (acm)
        dialog.setPortPresenceMask(13u << 16 | 1u | 1u << 12, {{13, {QStringLiteral("/dev/ttyACM0"), false}}});
    else
        dialog.setPortPresenceMask(3u << 16 | 1u | 4u);
    Settings settings;
    settings.port = acm ? 13 : 1;
    QTextStream out(stdout);
    QObject::connect(&dialog, &SettingsDialog::precisionPreviewed, &dialog,
                     [&out](int precision) { out << "precision previewed " << precision << Qt::endl; });
    ConfirmDialog yesNo(&mainWindow);

    QTimer::singleShot(200, &mainWindow, [&] {
        if (what == QLatin1String("yesno")) {
            yesNo.ask(QStringLiteral("Wollen Sie Tivano wirklich beenden? "));
        } else if (what == QLatin1String("cfg")) {
            if (const std::optional<Settings> edited = dialog.edit(settings))
                out << "OK: precision " << edited->precision << ", port " << edited->port << ", Alg "
                    << edited->polarity << ", wait " << edited->lockoutMs << " ms, finish key \""
                    << edited->finishCaption() << "\", colours " << Qt::hex << edited->backgroundColor << ' '
                    << edited->runningColor << ' ' << edited->dimColor << ' ' << edited->finishColor
                    << Qt::endl;
            else
                out << "Cancel" << Qt::endl;
        } else {
            return;
        }
        application.quit();
    });
    return application.exec();
}
