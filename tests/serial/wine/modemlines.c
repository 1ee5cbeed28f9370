/* Preloaded into Wine for the serial tests: answers the modem-status calls
 * (TIOCMGET, TIOCMIWAIT, TIOCGICOUNT and the output lines) on the one
 * pseudo-terminal that stands for the test's COM port, from the state file the
 * test writes. A pseudo-terminal has no modem lines of its own.
 *
 * Wine starts several processes and re-executes itself; only the process whose
 * command line names the program under test answers, every other passes each
 * call on unchanged. */
#define _GNU_SOURCE
#include "ModemLineState.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

_Static_assert(MODEM_LINE_CTS == TIOCM_CTS && MODEM_LINE_DSR == TIOCM_DSR, "the state file's line bits");

typedef int (*IoctlFunction)(int, unsigned long, ...);

static IoctlFunction realIoctl;
static int active;
static dev_t ttyDevice;
static int stateFile = -1;
static int outputs = TIOCM_DTR | TIOCM_RTS;

static int namesProgram(const char *program)
{
    char line[4096];
    const int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const ssize_t length = read(fd, line, sizeof line - 1);
    close(fd);
    if (length <= 0)
        return 0;
    line[length] = '\0';
    for (const char *argument = line; argument < line + length; argument += strlen(argument) + 1) {
        if (strstr(argument, program))
            return 1;
    }
    return 0;
}

__attribute__((constructor)) static void setUp(void)
{
    realIoctl = (IoctlFunction)dlsym(RTLD_NEXT, "ioctl");
    const char *program = getenv(MODEM_PROGRAM_ENV);
    const char *tty = getenv(MODEM_TTY_ENV);
    const char *state = getenv(MODEM_STATE_ENV);
    struct stat info;
    if (!program || !tty || !state || !namesProgram(program) || stat(tty, &info) != 0)
        return;
    ttyDevice = info.st_rdev;
    stateFile = open(state, O_RDONLY | O_CLOEXEC);
    active = stateFile >= 0;
}

static int isTestTty(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == ttyDevice;
}

/* Two equal reads in a row: the test writes the whole state at once, but a read
 * may still overlap a write. */
static int readState(struct ModemLineState *state)
{
    struct ModemLineState again;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (pread(stateFile, state, sizeof *state, 0) != (ssize_t)sizeof *state
            || pread(stateFile, &again, sizeof again, 0) != (ssize_t)sizeof again)
            return -1;
        if (memcmp(state, &again, sizeof again) == 0)
            return 0;
    }
    return -1;
}

static int fail(int error)
{
    errno = error;
    return -1;
}

static int waitForChange(int watched)
{
    struct ModemLineState start, now;
    if (readState(&start) != 0 || start.unplugged)
        return fail(EIO);
    const struct timespec pause = {0, 200000};
    for (;;) {
        nanosleep(&pause, NULL);
        if (readState(&now) != 0 || now.unplugged)
            return fail(EIO);
        if (((watched & TIOCM_CTS) && now.cts != start.cts) || ((watched & TIOCM_DSR) && now.dsr != start.dsr)
            || ((watched & TIOCM_RNG) && now.rng != start.rng) || ((watched & TIOCM_CD) && now.dcd != start.dcd))
            return 0;
    }
}

static int answer(unsigned long request, void *argument)
{
    struct ModemLineState state;
    if (readState(&state) != 0 || state.unplugged)
        return fail(EIO);
    switch (request) {
    case TIOCMGET:
        *(int *)argument = (int)state.lines | outputs;
        return 0;
    case TIOCMSET:
        outputs = *(const int *)argument & (TIOCM_DTR | TIOCM_RTS);
        return 0;
    case TIOCMBIS:
        outputs |= *(const int *)argument & (TIOCM_DTR | TIOCM_RTS);
        return 0;
    case TIOCMBIC:
        outputs &= ~(*(const int *)argument & (TIOCM_DTR | TIOCM_RTS));
        return 0;
    case TIOCGICOUNT: {
        struct serial_icounter_struct *counters = argument;
        memset(counters, 0, sizeof *counters);
        counters->cts = (int)state.cts;
        counters->dsr = (int)state.dsr;
        counters->rng = (int)state.rng;
        counters->dcd = (int)state.dcd;
        return 0;
    }
    case TIOCMIWAIT:
        return waitForChange((int)(long)argument);
    }
    return fail(EINVAL);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);
    if (active
        && (request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC
            || request == TIOCGICOUNT || request == TIOCMIWAIT)
        && isTestTty(fd))
        return answer(request, argument);
    return realIoctl(fd, request, argument);
}
