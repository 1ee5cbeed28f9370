#include "platform/ScratchFolder.h"

#include <QStandardPaths>

#include <cerrno>
#include <signal.h>

QString ScratchFolder::location()
{
    // XDG_RUNTIME_DIR: the user's own folder (mode 0700), emptied at logout. Without it
    // Qt makes such a folder of its own under the temporary folder.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

bool ScratchFolder::isRunning(qint64 processId)
{
    // A process of another user answers with EPERM: it runs all the same.
    return processId > 0 && (::kill(pid_t(processId), 0) == 0 || errno == EPERM);
}
