#include "platform/IsolatedCall.h"
#include "platform/WindowsError.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <cstring>
#include <thread>

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

// Windows has no fork: the worker is this program started again with the task's name,
// inside a job object that limits its memory and ends it with the job.

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 111;
constexpr const char *WorkerOption = "--isolated-task";
// What a freshly started worker holds before the work begins; the headroom comes on top.
constexpr qint64 WorkerBaseMemory = qint64(64) << 20;
// How often the worker's memory is looked at while it runs.
constexpr qint64 WatchIntervalMs = 20;

struct Handle
{
    HANDLE h = nullptr;
    Handle() = default;
    explicit Handle(HANDLE handle)
        : h(handle == INVALID_HANDLE_VALUE ? nullptr : handle)
    { }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() { reset(); }
    void reset()
    {
        if (h)
            ::CloseHandle(h);
        h = nullptr;
    }
};

bool writeAll(HANDLE pipe, const char *data, qint64 size)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qint64>(size, 1 << 20));
        if (!::WriteFile(pipe, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

QByteArray readAll(HANDLE pipe)
{
    QByteArray out;
    char buffer[65536];
    DWORD n = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        out.append(buffer, n);
    return out;
}

// The command line that starts this program as the worker of `task`.
std::wstring workerCommandLine(const wchar_t *program, const char *task)
{
    std::wstring line = L"\"";
    line += program;
    line += L"\" ";
    line += QString::fromLatin1(WorkerOption).toStdWString();
    line += L' ';
    line += QString::fromLatin1(task).toStdWString();
    return line;
}

QString exitDetail(DWORD code)
{
    // Exceptions end a process with their NTSTATUS (0xC0000005 and the like).
    if (code >= 0xC0000000u)
        return QStringLiteral("Exitcode 0x") + QString::number(code, 16).toUpper();
    return QStringLiteral("Exitcode %1").arg(code);
}

// The memory the process holds for itself: its commitment, or what it has touched.
qint64 memoryInUse(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                                sizeof counters))
        return 0;
    return qint64(std::max<SIZE_T>(counters.PrivateUsage, counters.PagefileUsage));
}

// The worker ends itself on a crash: no debugger, no error box, no waiting for anyone.
LONG WINAPI endOnCrash(EXCEPTION_POINTERS *exception)
{
    ::TerminateProcess(::GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

IsolatedResult runIsolated(const IsolatedTask &task, const QByteArray &input, int timeoutMs,
                           qint64 memoryHeadroom, const std::atomic<bool> *cancelled)
{
    IsolatedResult result;
    auto notRun = [&result](DWORD code) {
        result.status = IsolatedResult::Status::NotRun;
        result.detail = windowsErrorText(code);
        return result;
    };

    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE rawChildIn = nullptr, rawToChild = nullptr, rawFromChild = nullptr, rawChildOut = nullptr;
    if (!::CreatePipe(&rawChildIn, &rawToChild, &inheritable, 0))
        return notRun(::GetLastError());
    Handle childIn(rawChildIn), toChild(rawToChild);
    if (!::CreatePipe(&rawFromChild, &rawChildOut, &inheritable, 0))
        return notRun(::GetLastError());
    Handle fromChild(rawFromChild), childOut(rawChildOut);
    // Only the child's ends are inherited.
    ::SetHandleInformation(toChild.h, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(fromChild.h, HANDLE_FLAG_INHERIT, 0);
    Handle nul(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, 0, nullptr));

    Handle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job.h)
        return notRun(::GetLastError());
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY
        | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.ProcessMemoryLimit = SIZE_T(WorkerBaseMemory + memoryHeadroom);
    if (!::SetInformationJobObject(job.h, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        return notRun(::GetLastError());

    wchar_t program[32768];
    const DWORD programLength = ::GetModuleFileNameW(nullptr, program, DWORD(std::size(program)));
    if (programLength == 0 || programLength >= std::size(program))
        return notRun(::GetLastError());
    std::wstring commandLine = workerCommandLine(program, task.name);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn.h;
    startup.hStdOutput = childOut.h;
    startup.hStdError = nul.h ? nul.h : childOut.h;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program, commandLine.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
        return notRun(::GetLastError());
    Handle processHandle(process.hProcess), thread(process.hThread);
    // In the job before it runs a single instruction.
    if (!::AssignProcessToJobObject(job.h, processHandle.h)) {
        const DWORD error = ::GetLastError();
        ::TerminateProcess(processHandle.h, ExitFailed);
        return notRun(error);
    }
    ::ResumeThread(thread.h);
    childIn.reset();
    childOut.reset();
    nul.reset();

    // The pipes are drained and fed beside the wait, so that neither side blocks the
    // other and the deadline holds whatever the worker does.
    QByteArray output;
    std::thread reader([&output, pipe = fromChild.h] { output = readAll(pipe); });
    std::thread writer([&input, &toChild] {
        writeAll(toChild.h, input.constData(), input.size());
        toChild.reset();
    });

    // The job refuses commitments beyond the limit; the memory the worker actually uses is
    // watched as well, for systems that do not enforce a job's limit (Wine).
    const qint64 memoryLimit = WorkerBaseMemory + memoryHeadroom;
    QDeadlineTimer deadline(std::max(timeoutMs, 0));
    DWORD waited = WAIT_TIMEOUT;
    bool overLimit = false;
    auto isCancelled = [cancelled] { return cancelled && cancelled->load(); };
    while (waited == WAIT_TIMEOUT && !deadline.hasExpired() && !overLimit && !isCancelled()) {
        waited = ::WaitForSingleObject(processHandle.h,
                                       DWORD(std::min<qint64>(deadline.remainingTime(), WatchIntervalMs)));
        overLimit = waited == WAIT_TIMEOUT && memoryInUse(processHandle.h) > memoryLimit;
    }
    if (waited != WAIT_OBJECT_0) {
        ::TerminateJobObject(job.h, ExitFailed);
        ::WaitForSingleObject(processHandle.h, INFINITE);
    }
    // With the worker gone its pipe ends are closed, so both threads finish.
    writer.join();
    reader.join();

    if (overLimit) {
        result.status = IsolatedResult::Status::Crashed;
        result.detail = QStringLiteral("Speichergrenze von %1 MB \u00fcberschritten").arg(memoryLimit >> 20);
        return result;
    }
    if (waited != WAIT_OBJECT_0) {
        result.status = isCancelled() ? IsolatedResult::Status::Cancelled : IsolatedResult::Status::TimedOut;
        return result;
    }
    DWORD code = ExitFailed;
    ::GetExitCodeProcess(processHandle.h, &code);
    if (code == ExitDone) {
        result.status = IsolatedResult::Status::Done;
        result.output = output;
    } else {
        result.status = IsolatedResult::Status::Crashed;
        result.detail = exitDetail(code);
    }
    return result;
}

std::optional<int> serveIsolatedTask(int argc, char **argv, std::initializer_list<IsolatedTask> tasks)
{
    if (argc != 3 || std::strcmp(argv[1], WorkerOption) != 0)
        return std::nullopt;
    const IsolatedTask *task = nullptr;
    for (const IsolatedTask &candidate : tasks)
        if (std::strcmp(candidate.name, argv[2]) == 0)
            task = &candidate;
    if (!task)
        return ExitFailed;

    // A crash here is an expected outcome that the parent reports.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(endOnCrash);
    _set_error_mode(_OUT_TO_STDERR);

    const QByteArray input = readAll(::GetStdHandle(STD_INPUT_HANDLE));
    try {
        const QByteArray output = task->run(input);
        if (writeAll(::GetStdHandle(STD_OUTPUT_HANDLE), output.constData(), output.size()))
            return ExitDone;
    } catch (...) { }
    return ExitFailed;
}
