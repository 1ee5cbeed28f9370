#pragma once

#include "FuzzTarget.h"

#include <QCoreApplication>
#include <QTemporaryDir>

// For targets that read files: a core application and a scratch folder, made
// when the target starts and removed in order when it ends.
namespace FuzzScratch {

inline QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

inline QCoreApplication *&application()
{
    static QCoreApplication *application = nullptr;
    return application;
}

inline int start(int *argc, char ***argv)
{
    qInstallMessageHandler(quietQtMessages);
    application() = new QCoreApplication(*argc, *argv);
    return folder().isValid() ? 0 : 1;
}

inline void stop()
{
    folder().remove();
    delete application();
    application() = nullptr;
}

} // namespace FuzzScratch
