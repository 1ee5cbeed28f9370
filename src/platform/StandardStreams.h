#pragma once

// Readies stdout and stderr for a command-line answer of the program (--version, --help,
// --replay): bytes go out as they are (no line-end translation), and a window program
// started from a console writes to that console.
void prepareStandardStreams();
