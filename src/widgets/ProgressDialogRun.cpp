#include "widgets/ProgressDialogRun.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

bool runWithProgressDialog(QWidget *parent, const QString &text, BackgroundTask::Work work,
                           ProgressShown shown)
{
    BackgroundTask task;
    const int maximum = shown == ProgressShown::Permille ? 1000 : 0;
    QProgressDialog progress(text, QStringLiteral("Abbrechen"), 0, maximum, parent);
    progress.setWindowTitle(QApplication::applicationName());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(200);
    QEventLoop waiting;
    QObject::connect(&task, &BackgroundTask::finished, &waiting, &QEventLoop::quit);
    QObject::connect(&progress, &QProgressDialog::canceled, &waiting, &QEventLoop::quit);
    QTimer counting;
    if (shown == ProgressShown::Permille) {
        QObject::connect(&counting, &QTimer::timeout, &progress, [&] { progress.setValue(task.permille()); });
        counting.start(50);
    }
    task.start(std::move(work));
    waiting.exec();
    // A cancelled task is stopped by its destructor.
    return !progress.wasCanceled();
}
