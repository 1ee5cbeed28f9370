#include "app/ReplayCommand.h"

#include "journal/JournalReplay.h"
#include "protocol/ProtocolText.h"

namespace {

constexpr const char *ReplayUsage = "Aufruf: tivano --replay JOURNAL [--until N] [-o DATEI]\n";

int wrongCall(std::FILE *err, const QString &why)
{
    std::fprintf(err, "tivano: %s\n%s", qPrintable(why), ReplayUsage);
    return 2;
}

} // namespace

int runReplayCommand(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    QString journal;
    QString output;
    qint64 until = 0;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--until")) {
            bool ok = false;
            until = hasValue ? arguments.at(++i).toLongLong(&ok) : 0;
            if (!ok || until < 1)
                return wrongCall(err, QStringLiteral("--until verlangt eine Ereignisnummer ab 1"));
        } else if (argument == QLatin1String("-o")) {
            if (!hasValue || arguments.at(i + 1).isEmpty())
                return wrongCall(err, QStringLiteral("-o verlangt einen Dateinamen"));
            output = arguments.at(++i);
            // "-" names the standard output, as it does for most tools.
            if (output == QLatin1String("-"))
                output.clear();
        } else if (journal.isEmpty() && !argument.startsWith(QLatin1Char('-'))) {
            journal = argument;
        } else {
            return wrongCall(err, QStringLiteral("unbekanntes Argument: ") + argument);
        }
    }
    if (journal.isEmpty())
        return wrongCall(err, QStringLiteral("kein Journal angegeben"));

    // One pass over the file: the memory does not grow with the journal.
    QString error;
    const std::optional<JournalReplay::Replayed> replayed = JournalReplay::replayFile(journal, until, &error);
    if (!replayed) {
        std::fprintf(err, "tivano: %s: %s\n", qPrintable(journal), qPrintable(error));
        return 1;
    }
    if (replayed->damagedLines > 0)
        std::fprintf(err, "tivano: %d besch\u00e4digte Zeilen \u00fcbergangen\n", replayed->damagedLines);
    const MemoryProtocolTable &table = replayed->table;
    if (output.isEmpty()) {
        const QByteArray bytes = ProtocolText::encode(table);
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) != size_t(bytes.size())
            || std::fflush(out) != 0) {
            std::fprintf(err, "tivano: Schreibfehler der Ausgabe\n");
            return 1;
        }
    } else if (!ProtocolText::saveProtocolText(table, output, &error)) {
        // Only a regular file or a new one is written: a device, a pipe or a folder of that
        // name is refused by the writer, never replaced.
        std::fprintf(err, "tivano: %s: %s\n", qPrintable(output), qPrintable(error));
        return 1;
    }
    std::fprintf(err, "tivano: %d Ergebnisse aus %lld Ereignissen\n", table.lastResultRowFromTable(),
                 static_cast<long long>(replayed->events));
    return 0;
}
