/* Runs one serial test under Wine with a COM port whose modem lines the test drives:
 *
 *   modemrig <modemlines.so> <comN> <program name> -- wine-run <test.exe> [arguments...]
 *
 * A pseudo-terminal stands for the port; wine-run links Wine's comN to it. The test
 * writes the lines into a state file, and the preloaded library answers the
 * modem-status calls on the pseudo-terminal from that file in the process that
 * names <program name>. The rig holds the pseudo-terminal open until the test ends. */
#define _GNU_SOURCE
#include "ModemLineState.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 6 || strcmp(argv[4], "--") != 0 || strncmp(argv[2], "com", 3) != 0) {
        fprintf(stderr, "usage: modemrig <modemlines.so> <comN> <program name> -- command...\n");
        return 2;
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        perror("modemrig: pseudo-terminal");
        return 1;
    }
    const char *tty = ptsname(master);
    char state[] = "/tmp/tivano-modem.XXXXXX";
    const int stateFile = mkstemp(state);
    const struct ModemLineState idle = {0};
    if (stateFile < 0 || write(stateFile, &idle, sizeof idle) != (ssize_t)sizeof idle) {
        perror("modemrig: state file");
        return 1;
    }
    close(stateFile);

    char links[256];
    snprintf(links, sizeof links, "%s=%s", argv[2], tty);
    setenv("TIVANO_WINE_PORT_LINKS", links, 1);
    setenv(MODEM_TTY_ENV, tty, 1);
    setenv(MODEM_STATE_ENV, state, 1);
    setenv(MODEM_PROGRAM_ENV, argv[3], 1);
    setenv("LD_PRELOAD", argv[1], 1);

    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[5], argv + 5);
        perror("modemrig: command");
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) < 0)
        status = 1 << 8;
    unlink(state);
    close(master);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
