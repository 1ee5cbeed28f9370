/* The modem lines of the test port under Wine, in a file the test writes and the
 * preloaded library reads: what the driver of a real adapter would report. */
#ifndef TIVANO_MODEM_LINE_STATE_H
#define TIVANO_MODEM_LINE_STATE_H

#include <stdint.h>

/* The lines' bits in `lines`: Linux's TIOCM_CTS and TIOCM_DSR. */
#define MODEM_LINE_CTS 0x020u
#define MODEM_LINE_DSR 0x100u

struct ModemLineState
{
    uint32_t lines; /* MODEM_LINE_ bits */
    /* Changes of each line so far, as the driver's interrupt counters count them. */
    uint32_t cts;
    uint32_t dsr;
    uint32_t rng;
    uint32_t dcd;
    uint32_t unplugged; /* non-zero: the adapter has gone, every call fails with EIO */
};

/* The environment the test rig hands over: the state file, the tty that stands for the
 * port, and the program whose process answers for the tty. */
#define MODEM_STATE_ENV "TIVANO_MODEM_STATE"
#define MODEM_TTY_ENV "TIVANO_MODEM_TTY"
#define MODEM_PROGRAM_ENV "TIVANO_MODEM_PROGRAM"

#endif
