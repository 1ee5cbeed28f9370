#pragma once

#include "protocol/ProtocolTable.h"

#include <QByteArray>
#include <QString>

// The protocol as a single HTML page (Windows-1252, CR LF).
class ProtocolPage
{
public:
    // The largest page read back for printing: each protocol text byte becomes a few.
    static constexpr qint64 MaxFileSize = qint64(2) << 30;

    // The page's bytes for the table; `title` is the application title.
    static QByteArray build(const ProtocolTable &table, const QString &title);

    // The page as text, for rendering (printing) without a file.
    static QString buildText(const ProtocolTable &table, const QString &title);

    // Writes the page to the file. Returns false and sets *error when it cannot be written;
    // a previous file of that name is then left as it was.
    static bool writeProtocolPage(const ProtocolTable &table, const QString &title, const QString &fileName,
                                  QString *error = nullptr);

    // Replaces &, <, > and " by their character references.
    static QString escape(const QString &text);

    // The first "," of a cell text becomes ".".
    static QString cellText(const QString &text);
};
