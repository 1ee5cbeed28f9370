#pragma once

#include <QtGlobal>

// Bit rates on Linux through the termios2 interface, which takes any rate, not
// only the ones with a B constant. Kept apart because the kernel's termios
// header cannot be included beside the C library's <termios.h>.

// Sets input and output rate of the tty `fd` to `rate` bit/s. Returns 0 or errno.
int setPosixBaudRate(int fd, quint32 rate);

// The output rate of the tty `fd` in bit/s, 0 when it cannot be read.
quint32 readPosixBaudRate(int fd);
