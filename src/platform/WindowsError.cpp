#include "platform/WindowsError.h"

#include <windows.h>

// Older MinGW headers lack this code of the Windows SDK.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

QString windowsErrorText(unsigned long code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("Datei nicht gefunden");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("Pfad nicht gefunden");
    case ERROR_TOO_MANY_OPEN_FILES:
        return QStringLiteral("Zu viele offene Dateien");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("Zugriff verweigert");
    case ERROR_INVALID_HANDLE:
        return QStringLiteral("Ung\u00fcltiges Handle");
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return QStringLiteral("Nicht gen\u00fcgend Speicher");
    case ERROR_INVALID_DRIVE:
        return QStringLiteral("Laufwerk nicht gefunden");
    case ERROR_NOT_SAME_DEVICE:
        return QStringLiteral("Verschieben auf ein anderes Laufwerk nicht m\u00f6glich");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("Der Datentr\u00e4ger ist schreibgesch\u00fctzt");
    case ERROR_NOT_READY:
        return QStringLiteral("Das Ger\u00e4t ist nicht bereit");
    case ERROR_CRC:
        return QStringLiteral("Datenfehler (CRC-Pr\u00fcfung)");
    case ERROR_WRITE_FAULT:
        return QStringLiteral("Schreibfehler auf dem Ger\u00e4t");
    case ERROR_READ_FAULT:
        return QStringLiteral("Lesefehler auf dem Ger\u00e4t");
    case ERROR_GEN_FAILURE:
        return QStringLiteral("Das Ger\u00e4t funktioniert nicht");
    case ERROR_SHARING_VIOLATION:
        return QStringLiteral("Die Datei wird von einem anderen Prozess verwendet");
    case ERROR_LOCK_VIOLATION:
        return QStringLiteral("Ein Teil der Datei ist von einem anderen Prozess gesperrt");
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
        return QStringLiteral("Kein Platz mehr auf dem Datentr\u00e4ger");
    case ERROR_NOT_SUPPORTED:
        return QStringLiteral("Vorgang nicht unterst\u00fctzt");
    case ERROR_BAD_NETPATH:
        return QStringLiteral("Netzwerkpfad nicht gefunden");
    case ERROR_NETNAME_DELETED:
        return QStringLiteral("Der Netzwerkname ist nicht mehr verf\u00fcgbar");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return QStringLiteral("Die Datei existiert bereits");
    case ERROR_INVALID_PARAMETER:
        return QStringLiteral("Ung\u00fcltiger Parameter");
    case ERROR_BROKEN_PIPE:
        return QStringLiteral("Die Gegenseite der Pipe ist geschlossen");
    case ERROR_SEM_TIMEOUT:
        return QStringLiteral("Zeit\u00fcberschreitung");
    case ERROR_INVALID_NAME:
        return QStringLiteral("Ung\u00fcltiger Datei- oder Ordnername");
    case ERROR_DIR_NOT_EMPTY:
        return QStringLiteral("Der Ordner ist nicht leer");
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("Dateiname zu lang");
    case ERROR_FILE_TOO_LARGE:
        return QStringLiteral("Datei zu gro\u00df");
    case ERROR_DIRECTORY:
        return QStringLiteral("Ung\u00fcltiger Ordnername");
    case ERROR_OPERATION_ABORTED:
        return QStringLiteral("Vorgang abgebrochen");
    case ERROR_IO_DEVICE:
        return QStringLiteral("Ein-/Ausgabefehler des Ger\u00e4ts");
    case ERROR_BAD_COMMAND:
        return QStringLiteral("Das Ger\u00e4t erkennt den Befehl nicht");
    case ERROR_DEVICE_REMOVED:
        return QStringLiteral("Das Ger\u00e4t wurde entfernt");
    case ERROR_DEVICE_NOT_CONNECTED:
        return QStringLiteral("Das Ger\u00e4t ist nicht angeschlossen");
    case ERROR_USER_MAPPED_FILE:
        return QStringLiteral("Die Datei ist von einem anderen Prozess eingeblendet");
    case ERROR_DISK_QUOTA_EXCEEDED:
        return QStringLiteral("Speicherkontingent \u00fcberschritten");
    case ERROR_PRIVILEGE_NOT_HELD:
        return QStringLiteral("Ein erforderliches Recht fehlt");
    case ERROR_CANT_RESOLVE_FILENAME:
        return QStringLiteral("Zu viele Ebenen symbolischer Verkn\u00fcpfungen");
    default:
        // The system's own text would be in the system's language, not always German.
        return QStringLiteral("Windows-Fehler %1").arg(code);
    }
}
