#include "platform/ErrnoText.h"

#include <cerrno>

QString errnoText(int error)
{
    switch (error) {
    case EPERM:
        return QStringLiteral("Vorgang nicht erlaubt");
    case ENOENT:
        return QStringLiteral("Datei oder Ordner nicht gefunden");
    case ESRCH:
        return QStringLiteral("Prozess nicht gefunden");
    case EINTR:
        return QStringLiteral("Unterbrochen");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler");
    case ENXIO:
        return QStringLiteral("Ger\u00e4t oder Adresse nicht vorhanden");
    case EBADF:
        return QStringLiteral("Ung\u00fcltiger Dateideskriptor");
    case EAGAIN:
        return QStringLiteral("Vor\u00fcbergehend nicht verf\u00fcgbar");
    case ENOMEM:
        return QStringLiteral("Nicht gen\u00fcgend Speicher");
    case EACCES:
        return QStringLiteral("Zugriff verweigert");
    case EBUSY:
        return QStringLiteral("Ger\u00e4t oder Ressource belegt");
    case EEXIST:
        return QStringLiteral("Die Datei existiert bereits");
    case EXDEV:
        return QStringLiteral("Verschieben zwischen Dateisystemen nicht m\u00f6glich");
    case ENODEV:
        return QStringLiteral("Ger\u00e4t nicht vorhanden");
    case ENOTDIR:
        return QStringLiteral("Ein Teil des Pfades ist kein Ordner");
    case EISDIR:
        return QStringLiteral("Ist ein Ordner");
    case EINVAL:
        return QStringLiteral("Ung\u00fcltiges Argument");
    case ENFILE:
        return QStringLiteral("Zu viele offene Dateien im System");
    case EMFILE:
        return QStringLiteral("Zu viele offene Dateien");
    case ENOTTY:
        return QStringLiteral("Unpassender Steuerbefehl f\u00fcr das Ger\u00e4t");
    case ETXTBSY:
        return QStringLiteral("Programmdatei in Benutzung");
    case EFBIG:
        return QStringLiteral("Datei zu gro\u00df");
    case ENOSPC:
        return QStringLiteral("Kein Platz mehr auf dem Datentr\u00e4ger");
    case ESPIPE:
        return QStringLiteral("Unzul\u00e4ssiges Positionieren");
    case EROFS:
        return QStringLiteral("Das Dateisystem ist schreibgesch\u00fctzt");
    case EMLINK:
        return QStringLiteral("Zu viele Verkn\u00fcpfungen");
    case EPIPE:
        return QStringLiteral("Die Gegenseite der Pipe ist geschlossen");
    case ENAMETOOLONG:
        return QStringLiteral("Dateiname zu lang");
    case ENOLCK:
        return QStringLiteral("Keine Sperren verf\u00fcgbar");
    case ENOSYS:
        return QStringLiteral("Funktion nicht unterst\u00fctzt");
    case ENOTEMPTY:
        return QStringLiteral("Der Ordner ist nicht leer");
    case ELOOP:
        return QStringLiteral("Zu viele Ebenen symbolischer Verkn\u00fcpfungen");
    case EOVERFLOW:
        return QStringLiteral("Wert zu gro\u00df f\u00fcr den Datentyp");
    case EOPNOTSUPP:
        return QStringLiteral("Vorgang nicht unterst\u00fctzt");
    case ETIMEDOUT:
        return QStringLiteral("Zeit\u00fcberschreitung");
    case ESTALE:
        return QStringLiteral("Die Datei auf dem Netzlaufwerk ist nicht mehr g\u00fcltig");
    case EDQUOT:
        return QStringLiteral("Speicherkontingent \u00fcberschritten");
    default:
        return QStringLiteral("Systemfehler %1").arg(error);
    }
}
