#include "protocol/DesktopShell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QTimer>
#include <QUrl>

namespace {

// xdg-mime reads a few small files; an answer that takes longer than this is a no.
constexpr int QueryTimeoutMs = 5000;

// A tool process whose streams lead nowhere: an application it starts must not write
// into a pipe of this program, which may end before it does.
QProcess *startTool(QObject *parent, const QString &program, const QStringList &arguments)
{
    auto *process = new QProcess(parent);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    return process;
}

} // namespace

DesktopShell::~DesktopShell()
{
    // Stopping the tools must not report to callers that are going away themselves. An
    // application that xdg-open started keeps running: it is not a child of this program.
    for (QProcess *process : m_pending.findChildren<QProcess *>()) {
        process->disconnect();
        process->kill();
        process->waitForFinished(1000);
    }
}

void DesktopShell::openDocument(const QString &fileName)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

void DesktopShell::findApplication(const QString &mimeType, std::function<void(bool found)> answer)
{
    QProcess *process = startTool(&m_pending, QStringLiteral("xdg-mime"),
                                  {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    QObject::connect(process, &QProcess::finished, process,
                     [process, answer](int code, QProcess::ExitStatus status) {
                         answer(status == QProcess::NormalExit && code == 0
                                && !process->readAllStandardOutput().trimmed().isEmpty());
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, answer](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return; // the end is reported by finished
                         answer(false);
                         process->deleteLater();
                     });
    QTimer::singleShot(QueryTimeoutMs, process, [process] { process->kill(); });
    process->start();
}

void DesktopShell::openDocumentOrReport(const QString &fileName,
                                        std::function<void(const QString &reason)> failed)
{
    QProcess *process = startTool(&m_pending, QStringLiteral("xdg-open"), {fileName});
    process->setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed](int code, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit)
                             failed(QStringLiteral("xdg-open brach ab"));
                         else if (code != 0)
                             failed(QStringLiteral("xdg-open endete mit Code %1").arg(code));
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         failed(QStringLiteral("xdg-open: ") + process->errorString());
                         process->deleteLater();
                     });
    process->start();
}
