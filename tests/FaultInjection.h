#pragma once

// A full disk without root: a child process with a lowered file-size limit and
// SIGXFSZ ignored gets EFBIG ("File too large") from the write that crosses it,
// as a full disk would give ENOSPC.

#include <QByteArray>
#include <QProcess>

#include <functional>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace FaultInjection {

inline void limitFileSize(rlim_t bytes)
{
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit current = {};
    ::getrlimit(RLIMIT_FSIZE, &current);
    struct rlimit limit = {bytes, current.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Runs `job` in a forked child under the limit and returns what it returned
// (its report). The parent is left as it was. An empty report with "crashed"
// means the child did not end normally.
inline QByteArray runWithFileSizeLimit(rlim_t bytes, const std::function<QByteArray()> &job)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        limitFileSize(bytes);
        const QByteArray report = job();
        qint64 done = 0;
        while (done < report.size()) {
            const ssize_t n = ::write(fds[1], report.constData() + done, size_t(report.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray report;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        report.append(buffer, int(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status))
        return "crashed";
    return report;
}

// In this process, for the life of the object: only the soft limit is lowered,
// so it can be raised again afterwards without any right.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {bytes, m_saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    struct rlimit m_saved = {};
    sighandler_t m_oldHandler = SIG_DFL;
};

// For a program started by QProcess: the limit applies to the child only.
inline void limitFileSize(QProcess &process, rlim_t bytes)
{
    process.setChildProcessModifier([bytes] { limitFileSize(bytes); });
}

} // namespace FaultInjection
