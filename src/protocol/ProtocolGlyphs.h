#pragma once

#include <QIcon>

// The pictures of the seven protocol buttons, drawn once and kept.
enum class ProtocolGlyph { pgOpen, pgSave, pgPrint, pgWebPage, pgSpreadsheet, pgClear, pgRestore };

QIcon protocolGlyph(ProtocolGlyph glyph);
