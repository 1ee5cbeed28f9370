#pragma once

#include "platform/TaskProgress.h"
#include "protocol/ProtocolTable.h"

#include <QByteArray>
#include <QString>

// The protocol's tab-separated text file (Windows-1252, CR LF).
class ProtocolText
{
public:
    // The largest protocol file read: ten million results and more.
    static constexpr qint64 MaxFileSize = qint64(512) << 20;

    // The file's bytes: one line per row whose "Nr." cell holds text, each cell (a single
    // blank when empty) followed by a TAB. Empty when cell (0, 1) is empty.
    static QByteArray encode(const ProtocolTable &table);
    // Appends row `row`'s line to text encoded from the rows above it.
    static void appendLine(QByteArray &text, const ProtocolTable &table, int row);

    // Writes the table to the file through a temporary file, so the previous file survives
    // any failure. Returns false and sets *error when the file could not be written.
    static bool saveProtocolText(const ProtocolTable &table, const QString &fileName,
                                 QString *error = nullptr);

    // Replaces the table with the bytes of a protocol file: each line into the row of its
    // number (runs of TABs collapse; ";" separates when the line has no TAB), as many rows
    // as lines but at least the title row and one data row, then empty title cells
    // repaired from the column titles. With `control`, counts its progress there and
    // stops, returning false with the table half filled, once it is cancelled.
    static bool decode(ProtocolTable &table, QByteArrayView bytes, TaskProgress *control = nullptr);

    // Reads a protocol file into the table. Returns false without touching the table and
    // sets *error when the file cannot be opened or read, is no regular file or is larger
    // than MaxFileSize; returns false with no error when `control` was cancelled.
    static bool loadProtocolText(ProtocolTable &table, const QString &fileName, QString *error = nullptr,
                                 TaskProgress *control = nullptr);

    // Fills empty (after trimming) title cells from the column titles.
    static void repairTitles(ProtocolTable &table);
};
