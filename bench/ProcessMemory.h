#pragma once

#include <QtGlobal>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(Q_OS_LINUX)
#include <QFile>
#include <QList>
#include <unistd.h>
#endif

// Bytes the heap hands out, counted by the allocator where it tells (glibc), else -1.
inline qint64 heapInUse()
{
#if defined(__GLIBC__)
    return qint64(mallinfo2().uordblks);
#else
    return -1;
#endif
}

// The process's resident memory in MiB, where the system tells (Linux), else 0.
inline double residentMiB()
{
#if defined(Q_OS_LINUX)
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0.0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0)
                             : 0.0;
#else
    return 0.0;
#endif
}
