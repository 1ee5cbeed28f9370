#pragma once

#include <QIcon>

// The pictures of the seven protocol buttons, drawn once and kept.
enum class ProtocolGlyph { Open, Save, Print, WebPage, Spreadsheet, Clear, Restore };

QIcon protocolGlyph(ProtocolGlyph glyph);
