#pragma once

#include <QIcon>

// The pictures of the six protocol buttons, drawn once and kept.
enum class ProtocolGlyph { pgOpen, pgSave, pgPrint, pgWebPage, pgSpreadsheet, pgClear };

QIcon protocolGlyph(ProtocolGlyph glyph);
