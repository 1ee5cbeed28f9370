#include "platform/StandardStreams.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

bool hasStream(DWORD which)
{
    const HANDLE handle = ::GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

void prepareStandardStreams()
{
    // A window program has no console; started from one without redirection, it writes
    // to its caller's.
    if (!hasStream(STD_OUTPUT_HANDLE) && !hasStream(STD_ERROR_HANDLE)
        && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    // The protocol text already ends its lines with CR LF; text mode would double the CR.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}
