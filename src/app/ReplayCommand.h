#pragma once

#include <QStringList>

#include <cstdio>

// "tivano --replay JOURNAL [--until N] [-o FILE]": the protocol rebuilt from a journal,
// as it stood before event N (after the last event without --until), written as
// protocol text to FILE or, without -o or with "-o -", to `out`. FILE must be a regular
// file or a new one. Runs without a window. `arguments` are those after "--replay"; the
// exit code: 0 done, 1 the journal or the file failed or was refused, 2 a wrong call.
int runReplayCommand(const QStringList &arguments, std::FILE *out, std::FILE *err);
