#pragma once

#include "FuzzTarget.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

// For targets that read files: a core application and a scratch folder, made
// when the target starts and removed in order when it ends. FuzzScratchSetUp.cpp
// makes them the whole set-up of a target.
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

// Writes `bytes` into the scratch file `name` and returns its path. A `sparseSize` grows
// the file to that size without writing more, for the readers' size limits.
inline QString writeFile(const QString &name, QByteArrayView bytes, qint64 sparseSize = 0)
{
    const QString path = folder().filePath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                   && file.write(bytes.data(), bytes.size()) == bytes.size(),
               "a scratch file cannot be written");
    if (sparseSize > 0)
        FUZZ_CHECK(file.resize(sparseSize), "a scratch file cannot grow");
    return path;
}

} // namespace FuzzScratch
