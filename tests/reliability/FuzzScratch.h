#pragma once

#include "FuzzTarget.h"

#include <QCoreApplication>
#include <QTemporaryDir>

// For targets that read files: a core application and a scratch folder, made
// when the target starts and removed in order when it ends.
namespace FuzzScratch {

inline QTemporaryDir &Folder()
{
    static QTemporaryDir dir;
    return dir;
}

inline QCoreApplication *&Application()
{
    static QCoreApplication *application = nullptr;
    return application;
}

inline int Start(int *argc, char ***argv)
{
    qInstallMessageHandler(QuietQtMessages);
    Application() = new QCoreApplication(*argc, *argv);
    return Folder().isValid() ? 0 : 1;
}

inline void Stop()
{
    Folder().remove();
    delete Application();
    Application() = nullptr;
}

} // namespace FuzzScratch
