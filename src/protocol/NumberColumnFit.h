#pragma once

#include <QFont>
#include <QString>

class ProtocolTable;

// What the protocol's number columns need to show their texts uncut: the pixel widths of
// the widest result number and start number below the title, in the grid's font. A copy
// measures a whole table on a worker, so that a loaded million rows do not hold the
// window's thread; it works on a font of its own, shared with no other thread.
class NumberColumnFit
{
public:
    NumberColumnFit() = default;
    explicit NumberColumnFit(const QFont &font);

    int numberWidth() const { return m_number.width; }
    int startNumberWidth() const { return m_startNumber.width; }
    void widenNumber(const QString &text) { widen(m_number, text); }
    void widenStartNumber(const QString &text) { widen(m_startNumber, text); }
    // Forgets what was measured and measures every row of `table` below the title.
    void measure(const ProtocolTable &table);
    // An empty fit with a font of its own, for another thread.
    NumberColumnFit forAnotherThread() const;

private:
    struct Fit
    {
        int width = 0;
        qsizetype length = 0; // of the longest text measured
    };
    void widen(Fit &fit, QStringView text) const;

    QFont m_font;
    bool m_fixedPitch = false;
    Fit m_number;
    Fit m_startNumber;
};
