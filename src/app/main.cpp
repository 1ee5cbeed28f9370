#include "app/GermanQtTranslation.h"
#include "app/MainWindow.h"
#include "app/ReplayCommand.h"
#include "help/HelpLauncher.h"
#include "platform/IsolatedCall.h"
#include "platform/ScratchFolder.h"
#include "platform/StandardStreams.h"
#include "protocol/SpreadsheetBridge.h"
#include "settings/SettingsDialog.h"
#include "widgets/ConfirmDialog.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char *Usage
    = "Aufruf: tivano [--version | --help | --replay JOURNAL [--until N] [-o DATEI]]\n"
      "\n"
      "Tivano misst die Zeiten am Ziel: START (F5), ZIEL (F4), STOPP (F9).\n"
      "Ohne Argumente startet das Programmfenster.\n"
      "\n"
      "  --version  zeigt die Version und endet\n"
      "  --help     zeigt diese Hilfe und endet\n"
      "  --replay   stellt das Protokoll aus dem Journal wieder her, wie es vor\n"
      "             Ereignis N stand (ohne --until: nach dem letzten), und\n"
      "             schreibt es als Textdatei nach DATEI (ohne -o oder mit -o -:\n"
      "             auf die Ausgabe); DATEI ist eine gew\u00f6hnliche Datei oder neu\n";

// Answers --version and --help without opening a window; -1 when the
// program should start.
int answerCommandLine(int argc, char *argv[])
{
    if (argc < 2)
        return -1;
    prepareStandardStreams();
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("Tivano %s\n", TIVANO_VERSION);
        return 0;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(Usage, stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--replay") == 0) {
        QStringList arguments;
        for (int i = 2; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        return runReplayCommand(arguments, stdout, stderr);
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    // Started again to parse a workbook in isolation (Windows): nothing else runs.
    if (const std::optional<int> served
        = serveIsolatedTask(argc, argv, {SpreadsheetBridge::workbookParseTask()}))
        return *served;
    if (const int answered = answerCommandLine(argc, argv); answered >= 0)
        return answered;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tivano"));
    // The interface is German whatever the desktop's language: decimal commas
    // in the settings and German number and date forms in the protocol.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    installGermanQtTranslation(application);
    // Qt takes its own options (-platform and so on); anything left is not ours.
    if (application.arguments().size() > 1) {
        std::fprintf(stderr, "tivano: unbekanntes Argument: %s\n\n%s",
                     qPrintable(application.arguments().at(1)), Usage);
        return 2;
    }

    // Scratch folders of earlier runs that ended without removing theirs.
    ScratchFolder::removeStale();
    HelpLauncher help;
    help.start();

    MainWindow window;
    SettingsDialog settingsDialog(&window);
    ConfirmDialog yesNoDialog(&window);
    window.setDialogs(&settingsDialog, &yesNoDialog);
    window.show();
    return application.exec();
}
