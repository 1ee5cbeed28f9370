#pragma once

#include <QIcon>

// The pictures of the six protocol buttons, drawn once and kept.
enum class TProtocolGlyph { pgOpen, pgSave, pgPrint, pgWebPage, pgSpreadsheet, pgClear };

QIcon ProtocolGlyph(TProtocolGlyph glyph);
