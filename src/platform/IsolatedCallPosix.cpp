#include "platform/IsolatedCall.h"

#include "platform/ErrnoText.h"

#include <QElapsedTimer>

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 111;
// How often a wait for the worker looks whether the caller cancelled.
constexpr qint64 CancelCheckMs = 100;

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The process's data size (heap and private writable mappings) in bytes, or -1.
qint64 dataSize()
{
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char text[4096];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return -1;
    text[n] = '\0';
    const char *line = std::strstr(text, "VmData:");
    return line ? std::strtoll(line + 7, nullptr, 10) * 1024 : -1;
}

[[noreturn]] void runChild(const IsolatedTask &task, const QByteArray &input, int fd, qint64 memoryHeadroom)
{
    // A crash here is an expected outcome that the parent reports: no core file, and
    // none of the parent's crash handlers.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    // Relative to what the process holds already: the address sanitizer's own mappings
    // count as data too.
    if (const qint64 held = dataSize(); held >= 0) {
        const rlim_t limit = rlim_t(held + memoryHeadroom);
        const rlimit data{limit, limit};
        ::setrlimit(RLIMIT_DATA, &data);
    }
    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, SIG_DFL);
    std::signal(SIGPIPE, SIG_IGN);
    int code = ExitFailed;
    try {
        const QByteArray output = task.run(input);
        if (writeAll(fd, output.constData(), size_t(output.size())))
            code = ExitDone;
    } catch (...) { }
    // _exit: the child must not run the parent's exit handlers or flush its buffers.
    ::_exit(code);
}

enum class ReadEnd { Closed, TimedOut, Cancelled };

// Reads until the child closes the pipe, the deadline passes or the caller cancels.
ReadEnd readUntilClosed(int fd, QByteArray &output, int timeoutMs, const std::atomic<bool> *cancelled)
{
    QElapsedTimer clock;
    clock.start();
    char buffer[65536];
    for (;;) {
        if (cancelled && cancelled->load())
            return ReadEnd::Cancelled;
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return ReadEnd::TimedOut;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(std::min<qint64>(left, CancelCheckMs)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return ReadEnd::Closed; // the exit status decides
        if (ready == 0)
            continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ReadEnd::Closed;
        output.append(buffer, n);
    }
}

int waitForChild(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    return status;
}

} // namespace

IsolatedResult runIsolated(const IsolatedTask &task, const QByteArray &input, int timeoutMs,
                           qint64 memoryHeadroom, const std::atomic<bool> *cancelled)
{
    IsolatedResult result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.detail = errnoText(errno);
        return result;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        result.detail = errnoText(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(task, input, fds[1], memoryHeadroom);
    }
    ::close(fds[1]);
    QByteArray output;
    const ReadEnd end = readUntilClosed(fds[0], output, timeoutMs, cancelled);
    ::close(fds[0]);
    if (end != ReadEnd::Closed) {
        ::kill(child, SIGKILL);
        waitForChild(child);
        result.status = end == ReadEnd::Cancelled ? IsolatedResult::Status::Cancelled
                                                  : IsolatedResult::Status::TimedOut;
        return result;
    }
    const int status = waitForChild(child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == ExitDone) {
        result.status = IsolatedResult::Status::Done;
        result.output = output;
    } else {
        result.status = IsolatedResult::Status::Crashed;
        result.detail = WIFSIGNALED(status) ? QStringLiteral("Signal %1").arg(WTERMSIG(status))
                                            : QStringLiteral("Exitcode %1").arg(WEXITSTATUS(status));
    }
    return result;
}

std::optional<int> serveIsolatedTask(int, char **, std::initializer_list<IsolatedTask>)
{
    // The work runs in a fork of the caller: no process is ever started as a worker.
    return std::nullopt;
}
