#include "SerialBench.h"

#include "../../tests/serial/PtyPair.h"

#include "app/AppState.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace SerialBench {

QByteArray program(qint64 size)
{
    QByteArray p;
    p.reserve(size + 64);
    for (int n = 1; p.size() < size; ++n)
        p += "N" + QByteArray::number(n) + " G1 X" + QByteArray::number(n % 997) + ".125 Y-" +
             QByteArray::number(n % 113) + ".5 F1200\r\n";
    p.truncate(size);
    return p;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double threadCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

int openRaw(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        qFatal("cannot open %s", qPrintable(path));
    termios tio;
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

void startPortPair(PtyPair &pty, const QTemporaryDir &dir)
{
    QString error;
    if (!pty.start(dir.path(), &error))
        qFatal("%s", qPrintable(error));
    app().AppDirectory = dir.path() + QLatin1Char('/');
    QFile ini(app().mainSettingsPath());
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[SERIALPORTS]\r\nCOM3=" + pty.endA().toLocal8Bit() + "\r\n") < 0)
        qFatal("cannot write Zavrin.ini");
}

Reader::Reader(const QString &path, qint64 count) : m_fd(openRaw(path)), m_count(count)
{
    m_thread = std::thread([this] {
        char buf[65536];
        qint64 got = 0;
        while (got < m_count) {
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got += n;
        }
        m_got = got;
        m_done = Clock::now();
    });
}

Reader::~Reader() { ::close(m_fd); }

qint64 Reader::join()
{
    m_thread.join();
    return m_got;
}

} // namespace SerialBench
