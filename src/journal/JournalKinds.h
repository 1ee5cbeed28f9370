#pragma once

#include <QLatin1StringView>

// The kinds of event the race journal records, and the names of their values.
namespace JournalKinds {

// The program began; the protocol it opened with follows as a snapshot.
inline constexpr QLatin1StringView ProgramStart("PROGRAMMSTART");
inline constexpr QLatin1StringView ProgramExit("PROGRAMMENDE");
// A file taken up while the program ran, the protocol following as a snapshot: a new
// day's file, a file written again after a failure, or one begun anew because the file
// held open was no longer at the journal's name. Field::Reason says which (one of the
// ContinuedReason values; older journals leave it out).
inline constexpr QLatin1StringView Continued("FORTSETZUNG");
inline constexpr QLatin1StringView Start("START");
// A race that was running when the program ended (a crash, a close), taken up again at
// the next start: its START's date and time of day, the tick the clock counts from now,
// the start-number list, and the protocol as a snapshot.
inline constexpr QLatin1StringView RaceContinued("START-FORTGESETZT");
// The operator chose not to take up such a race; the clock stays ready.
inline constexpr QLatin1StringView RaceNotContinued("START-VERWORFEN");
// The start-number list as the operator left it after editing it during a race.
inline constexpr QLatin1StringView StartNumbers("STARTNUMMERN");
inline constexpr QLatin1StringView Finish("ZIEL");
inline constexpr QLatin1StringView Stop("STOPP");
inline constexpr QLatin1StringView Reset("RUECKSETZEN");
inline constexpr QLatin1StringView Clear("LOESCHEN");
inline constexpr QLatin1StringView Load("LADEN");
inline constexpr QLatin1StringView Import("IMPORT");
inline constexpr QLatin1StringView Restore("WIEDERHERSTELLEN");
inline constexpr QLatin1StringView CellEdit("AENDERUNG");
// A result row taken out or an empty one put in; the rows after it are numbered anew.
inline constexpr QLatin1StringView RowDeleted("ZEILE-GELOESCHT");
inline constexpr QLatin1StringView RowInserted("ZEILE-EINGEFUEGT");
inline constexpr QLatin1StringView Settings("EINSTELLUNGEN");
inline constexpr QLatin1StringView PortOpened("PORT-OFFEN");
inline constexpr QLatin1StringView PortClosed("PORT-ZU");
// The port closed because its adapter went away.
inline constexpr QLatin1StringView PortLost("PORT-WEG");

namespace Field {
inline constexpr QLatin1StringView Version("version");
inline constexpr QLatin1StringView TimeOfDay("tageszeit");
inline constexpr QLatin1StringView Tick("tick");
inline constexpr QLatin1StringView RaceTime("laufzeit");
inline constexpr QLatin1StringView Number("nr");
inline constexpr QLatin1StringView TimeText("zeit");
inline constexpr QLatin1StringView Stamp("stempel");
inline constexpr QLatin1StringView Source("quelle");
inline constexpr QLatin1StringView StartNumber("stnr");
inline constexpr QLatin1StringView CountryCode("lkz");
inline constexpr QLatin1StringView File("datei");
inline constexpr QLatin1StringView Rows("zeilen");
inline constexpr QLatin1StringView Table("tabelle");
inline constexpr QLatin1StringView Row("zeile");
inline constexpr QLatin1StringView Column("spalte");
inline constexpr QLatin1StringView OldText("alt");
inline constexpr QLatin1StringView NewText("neu");
inline constexpr QLatin1StringView Precision("genauigkeit");
inline constexpr QLatin1StringView Lockout("sperrzeit");
inline constexpr QLatin1StringView Port("port");
inline constexpr QLatin1StringView Polarity("polaritaet");
inline constexpr QLatin1StringView Reason("grund");
inline constexpr QLatin1StringView Before("vor");
inline constexpr QLatin1StringView Date("datum");
// The start-number list left for the next finishes.
inline constexpr QLatin1StringView StartNumberList("liste");
} // namespace Field

namespace ContinuedReason {
inline constexpr QLatin1StringView NewDay("neuer-tag");
inline constexpr QLatin1StringView Resumed("fortgesetzt");
inline constexpr QLatin1StringView Recreated("neu-angelegt");
} // namespace ContinuedReason

} // namespace JournalKinds
