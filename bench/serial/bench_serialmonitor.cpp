// The line monitor's cost to a serial send: the real send window, shown, sends the same program
// over a socat pty pair (no flow control, the fastest speed of the tables, 256000 baud; a pty
// is not paced by it) with the monitor closed and open, in alternating rounds. Not a test:
// prints the figures and their ratio. `--screenshots DIR LANG` saves the window with the monitor
// open during a send held by the machine's XOFF.

#include "../../tests/serial/PtyPair.h"
#include "SerialBench.h"

#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"
#include "platform/WindowRules.h"
#include "platform/serial/SerialPort.h"
#include "transfer/SerialMonitorPanel.h"
#include "transfer/SerialSendStream.h"
#include "transfer/SerialSendWindow.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace SerialBench;

SerialTables::SerialCodes codes(const char *flow)
{
    SerialTables::SerialCodes c;
    c.portName = QStringLiteral("COM3");
    c.speed = QStringLiteral("15"); // 256000
    c.dataBits = QStringLiteral("4");
    c.parity = QStringLiteral("3");
    c.stopBits = QStringLiteral("2");
    c.flow = QLatin1String(flow);
    return c;
}

// KB/s of one send by the window, to the last byte read at the machine's end; *cpuUs gets the
// sending thread's CPU time per byte, which the load of the machine disturbs less.
double sendOnce(TForm_Transfer_SERIAL232 &window, const PtyPair &pty, qint64 size, qint64 arrives, double *cpuUs = nullptr)
{
    Reader reader(pty.endB(), arrives);
    const double cpu0 = threadCpuSeconds();
    const Clock::time_point start = Clock::now();
    window.BitBtn1Click();
    if (cpuUs)
        *cpuUs = (threadCpuSeconds() - cpu0) * 1e6 / double(size);
    if (reader.join() != arrives)
        qFatal("the machine end got too few bytes");
    window.prepareSend(window.findChild<QLineEdit *>(QStringLiteral("Edit7"))->text(), codes("3"));
    window.show();
    return double(size) / 1024.0 / seconds(reader.done() - start);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void screenshots(const PtyPair &pty, const QString &file, const QString &folder, const QString &language)
{
    Texts::runLanguageProcedure(language);
    QByteArray bytes = program(48 * 1024);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file));
    f.close();
    QSerialPort machine(pty.endB());
    if (!machine.open(QIODevice::ReadWrite))
        qFatal("%s", qPrintable(machine.errorString()));
    bool xoff = false;
    QObject::connect(&machine, &QSerialPort::readyRead, &machine, [&] {
        machine.readAll();
        if (xoff)
            return;
        xoff = true;
        machine.write("\x13");
        QTimer::singleShot(900, &machine, [&] { machine.write("\x11"); });
    });
    TForm_Transfer_SERIAL232 send;
    FUNC_Aplicar_Idioma(QList<QWidget *>{&send});
    send.prepareSend(file, codes("4")); // SOFTWARE
    WindowRules::setRibbonCaption(&send, T("Form_Transfer_SERIAL232.Ribbon1"));
    send.show();
    send.resize(720, send.height());
    send.findChild<QPushButton *>(QStringLiteral("MonitorButton"))->click();
    // Taken after the XON, while the rest of the program goes out.
    QTimer::singleShot(1250, &send, [&] {
        send.findChild<SerialMonitorPanel *>(QStringLiteral("MonitorPanel"))->look();
        send.grab().save(folder + QStringLiteral("/form-transfer-serial232-monitor-%1.png").arg(language.toLower()));
        send.BitBtn3Click();
    });
    send.BitBtn1Click();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QTemporaryDir dir;
    PtyPair pty;
    startPortPair(pty, dir);
    Texts::FUNC_Textos_EN();
    ScriptedDialogs dialogs;
    if (argc > 3 && QByteArray(argv[1]) == "--screenshots") {
        screenshots(pty, dir.filePath(QStringLiteral("O1000.nc")), QString::fromLocal8Bit(argv[2]),
                    QString::fromLocal8Bit(argv[3]));
        return 0;
    }
    const qint64 size = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 512) * 1024;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 5;
    const QByteArray bytes = program(size);
    const QString file = dir.filePath(QStringLiteral("P.nc"));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file));
    f.close();
    const qint64 arrives = SerialSendStream::wholeTransmission(bytes).size();

    TForm_Transfer_SERIAL232 window;
    window.prepareSend(file, codes("3"));
    window.show();
    QCoreApplication::processEvents();
    auto *toggle = window.findChild<QPushButton *>(QStringLiteral("MonitorButton"));
    auto *monitor = window.findChild<SerialMonitorPanel *>(QStringLiteral("MonitorPanel"));
    std::printf("Platform %s. Sending a %lld KB program %d times each way, no flow control\n",
                qPrintable(QApplication::platformName()), size / 1024, rounds);
    std::vector<double> closed, open, closedCpu, openCpu;
    double cpu = 0;
    sendOnce(window, pty, size, arrives); // warm-up
    for (int r = 0; r < rounds; ++r) {
        if (toggle->isChecked())
            toggle->click();
        closed.push_back(sendOnce(window, pty, size, arrives, &cpu));
        closedCpu.push_back(cpu);
        toggle->click();
        open.push_back(sendOnce(window, pty, size, arrives, &cpu));
        openCpu.push_back(cpu);
        std::printf("  round %d: closed %7.1f KB/s %.2f us CPU/byte, open %7.1f KB/s %.2f us CPU/byte (log %lld lines, %lld bytes)\n",
                    r + 1, closed.back(), closedCpu.back(), open.back(), openCpu.back(),
                    qint64(monitor->log().lineCount()), monitor->log().dataBytes());
    }
    const double c = median(closed), o = median(open);
    std::printf("%-34s %8.1f KB/s  %.2f us CPU/byte (baseline)\n%-34s %8.1f KB/s  %.2f us CPU/byte  %.1f%% of the baseline's throughput\n",
                "monitor closed, median", c, median(closedCpu), "monitor open, median", o, median(openCpu), 100.0 * o / c);
    return 0;
}
