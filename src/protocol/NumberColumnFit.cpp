#include "protocol/NumberColumnFit.h"

#include "protocol/ProtocolColumns.h"
#include "protocol/ProtocolTable.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <algorithm>

NumberColumnFit::NumberColumnFit(const QFont &font)
    : m_font(font)
    , m_fixedPitch(QFontInfo(font).fixedPitch())
{ }

void NumberColumnFit::widen(Fit &fit, QStringView text) const
{
    // Measuring shapes the text, which adds up over 100,000 rows; in a fixed-pitch font a
    // text no longer than one measured before cannot be wider.
    if (m_fixedPitch && text.size() <= fit.length)
        return;
    fit.length = std::max(fit.length, text.size());
    fit.width = std::max(fit.width, QFontMetrics(m_font).horizontalAdvance(text.toString()));
}

void NumberColumnFit::measure(const ProtocolTable &table)
{
    m_number = {};
    m_startNumber = {};
    for (int r = 1; r < table.rowCount(); ++r) {
        widen(m_number, table.cellView(ProtocolColumns::ColNr, r));
        widen(m_startNumber, table.cellView(ProtocolColumns::ColStartNumber, r));
    }
}

NumberColumnFit NumberColumnFit::forAnotherThread() const
{
    // A font made anew from its description shares no data with this one.
    QFont font;
    font.fromString(m_font.toString());
    NumberColumnFit fit;
    fit.m_font = font;
    fit.m_fixedPitch = m_fixedPitch;
    return fit;
}
