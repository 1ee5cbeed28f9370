#include "protocol/WorkbookLibraryErrors.h"

#include <xlsxwriter.h>
#include <zip.h>

#ifndef Q_OS_WIN
#include "platform/ErrnoText.h"
#endif

namespace WorkbookLibraryErrors {

namespace {

// The system's reason behind a failed file operation, when it gave one.
QString withSystemReason(const QString &text, int systemCode)
{
#ifndef Q_OS_WIN
    if (systemCode != 0)
        return text + QStringLiteral(": ") + errnoText(systemCode);
#else
    Q_UNUSED(systemCode);
#endif
    return text;
}

} // namespace

QString zipText(int zipCode, int systemCode)
{
    switch (zipCode) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("kein Zip-Archiv");
    case ZIP_ER_INCONS:
        return QStringLiteral("das Inhaltsverzeichnis des Archivs widerspricht sich");
    case ZIP_ER_EOF:
        return QStringLiteral("das Archiv endet vorzeitig");
    case ZIP_ER_CRC:
        return QStringLiteral("Pr\u00fcfsummenfehler");
    case ZIP_ER_ZLIB:
        return QStringLiteral("die gepackten Daten sind besch\u00e4digt");
    case ZIP_ER_COMPNOTSUPP:
        return QStringLiteral("das Packverfahren wird nicht unterst\u00fctzt");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return QStringLiteral("das Archiv ist verschl\u00fcsselt");
    case ZIP_ER_MULTIDISK:
        return QStringLiteral("mehrteilige Archive werden nicht unterst\u00fctzt");
    case ZIP_ER_MEMORY:
        return QStringLiteral("zu wenig Arbeitsspeicher");
    case ZIP_ER_NOENT:
        return QStringLiteral("ein Teil fehlt");
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL:
        return withSystemReason(QStringLiteral("Lesefehler"), systemCode);
    default:
        return QStringLiteral("Fehler %1 beim Entpacken").arg(zipCode);
    }
}

QString writerText(int writerCode)
{
    switch (writerCode) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("Zu wenig Arbeitsspeicher.");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("Die Arbeitsmappe kann im Arbeitsordner nicht geschrieben werden.");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        return QStringLiteral("Eine Zelle ist l\u00e4nger als die 32.767 Zeichen, die eine Arbeitsmappe fasst.");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("Das Protokoll hat mehr Zeilen, als ein Tabellenblatt fasst (1.048.576).");
    default:
        return QStringLiteral("Fehler %1 beim Schreiben der Arbeitsmappe.").arg(writerCode);
    }
}

} // namespace WorkbookLibraryErrors
