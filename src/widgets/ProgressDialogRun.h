#pragma once

#include "widgets/BackgroundTask.h"

class QString;
class QWidget;

// Runs `work` on a thread of its own behind a window-modal progress dialog with
// "Abbrechen". The window's thread goes on meanwhile, so the race keeps its keys and
// barriers. The dialog shows the work's permille, or only that it is busy when the work
// does not count. True when the work ended, false when the operator cancelled it (the
// work has then stopped).
enum class ProgressShown { Permille, Busy };
bool runWithProgressDialog(QWidget *parent, const QString &text, BackgroundTask::Work work,
                           ProgressShown shown = ProgressShown::Permille);
