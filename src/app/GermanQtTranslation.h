#pragma once

class QCoreApplication;

// Puts Qt's own texts (file dialogs, standard buttons, edit menus) into German, so that
// the dialogs Qt builds speak the same language as the rest of the program. Returns
// false, leaving them in English, when Qt's German translation is not installed.
bool installGermanQtTranslation(QCoreApplication &application);
