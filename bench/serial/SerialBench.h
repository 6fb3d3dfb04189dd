#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <thread>

class PtyPair;
class QTemporaryDir;

// What the serial benchmarks share: their clocks, the machine's end of the pty pair and the
// port "COM3" mapped to the other end.
namespace SerialBench {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d);
// A G-code program of exactly `size` bytes, CR LF line ends.
QByteArray program(qint64 size);
// The CPU time of the calling thread.
double threadCpuSeconds();
// Opens a pty end raw, as the machine's side of the line; ends the run when it cannot.
int openRaw(const QString &path);
// Starts the pty pair in `dir` and names its first end "COM3" in the Zavrin.ini of an
// application directory there; ends the run when either fails.
void startPortPair(PtyPair &pty, const QTemporaryDir &dir);

// The machine reading `count` bytes at its end of the pair, on a thread of its own.
class Reader
{
public:
    Reader(const QString &path, qint64 count);
    ~Reader();
    // Waits for the thread; the bytes read.
    qint64 join();
    // When the last byte came.
    Clock::time_point done() const { return m_done; }

private:
    int m_fd;
    qint64 m_count;
    qint64 m_got = 0;
    Clock::time_point m_done;
    std::thread m_thread;
};

} // namespace SerialBench
