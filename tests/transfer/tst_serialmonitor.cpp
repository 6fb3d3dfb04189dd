#include "transfer/SerialMonitorLog.h"
#include "transfer/SerialOutputWatch.h"

#include <QtTest>

// The line monitor's log (how bytes become lines and text, what is kept) and the watch that
// tells a held output line from a slow one.
class tst_SerialMonitor : public QObject
{
    Q_OBJECT

private slots:
    void controlText_data();
    void controlText();
    void hexText();
    void linesSplit();
    void keepsNewestMegabyte();
    void manySmallLinesCapped();
    void marksBetweenData();
    void heldAndResumed();
    void slowLineNeverHeld();
    void drainedEndsHold();
};

static QString linesOf(const SerialMonitorLog &log)
{
    QStringList out;
    for (qsizetype i = 0; i < log.lineCount(); ++i) {
        const SerialMonitorLog::Line &l = log.line(i);
        const char *k = l.kind == SerialMonitorLog::Kind::Out ? "TX" : l.kind == SerialMonitorLog::Kind::In ? "RX" : "--";
        out << QLatin1String(k) + QLatin1Char(' ')
                   + (l.kind == SerialMonitorLog::Kind::Mark ? l.text : SerialMonitorLog::controlText(l.bytes));
    }
    return out.join(QLatin1Char('|'));
}

void tst_SerialMonitor::controlText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("line end") << QByteArray("G0 X1\r\n") << QStringLiteral("G0 X1<CR><LF>");
    QTest::newRow("flow characters") << QByteArray("\x11\x13") << QStringLiteral("<DC1><DC3>");
    QTest::newRow("NUL and SUB") << QByteArray("\x00\x1a", 2) << QStringLiteral("<NUL><SUB>");
    QTest::newRow("first and last control") << QByteArray("\x01\x1f\x7f") << QStringLiteral("<SOH><US><DEL>");
    QTest::newRow("blank and tilde are text") << QByteArray(" ~") << QStringLiteral(" ~");
    QTest::newRow("8-bit bytes in hex") << QByteArray("\xc3\x98\x80\xff") << QStringLiteral("<C3><98><80><FF>");
    QTest::newRow("angle brackets stay") << QByteArray("<CR>") << QStringLiteral("<CR>");
}

void tst_SerialMonitor::controlText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(SerialMonitorLog::controlText(bytes), text);
}

void tst_SerialMonitor::hexText()
{
    QCOMPARE(SerialMonitorLog::hexText(QByteArray("N1\r\n\x00\xff", 6)), QStringLiteral("4E 31 0D 0A 00 FF"));
    QCOMPARE(SerialMonitorLog::hexText(QByteArray()), QString());
}

void tst_SerialMonitor::linesSplit()
{
    SerialMonitorLog log;
    // One byte per call, as the send loop writes: lines end after each LF.
    for (const char c : QByteArray("%\r\nO1000\r\n"))
        log.append(SerialMonitorLog::Kind::Out, QByteArray(1, c), 1000);
    log.append(SerialMonitorLog::Kind::In, "\x13", 1001);      // direction changes
    log.append(SerialMonitorLog::Kind::Out, "G0", 1002);
    log.append(SerialMonitorLog::Kind::Out, " X1", 1002 + SerialMonitorLog::LineGap + 1); // a pause
    log.append(SerialMonitorLog::Kind::Out, "\n", 1600);
    log.append(SerialMonitorLog::Kind::Out, QByteArray(SerialMonitorLog::MaxLineBytes + 3, 'A'), 1700); // too long
    QCOMPARE(linesOf(log), QStringLiteral("TX %<CR><LF>|TX O1000<CR><LF>|RX <DC3>|TX G0|TX  X1<LF>|TX ")
                               + QString(SerialMonitorLog::MaxLineBytes, QLatin1Char('A'))
                               + QStringLiteral("|TX AAA"));
    QCOMPARE(log.line(0).msecs, 1000);
    QCOMPARE(log.line(4).msecs, 1002 + SerialMonitorLog::LineGap + 1);
    QCOMPARE(log.dataBytes(), 10 + 1 + 2 + 3 + 1 + SerialMonitorLog::MaxLineBytes + 3);
}

void tst_SerialMonitor::keepsNewestMegabyte()
{
    SerialMonitorLog log;
    QByteArray all;
    for (int n = 0; all.size() < 3 * SerialMonitorLog::DataBudget; ++n) {
        const QByteArray line = "N" + QByteArray::number(n) + " G1 X" + QByteArray::number(n % 977) + "\r\n";
        all += line;
        log.append(n % 7 ? SerialMonitorLog::Kind::Out : SerialMonitorLog::Kind::In, line, n);
    }
    QCOMPARE(log.dataBytes(), SerialMonitorLog::DataBudget);
    QByteArray kept;
    for (qsizetype i = 0; i < log.lineCount(); ++i)
        kept += log.line(i).bytes;
    // Exactly the newest bytes, nothing lost in between, no empty line at the front.
    QCOMPARE(kept, all.right(SerialMonitorLog::DataBudget));
    QVERIFY(!log.line(0).bytes.isEmpty());
    QCOMPARE(log.dropped() + log.lineCount(), qint64(all.count('\n')));
}

void tst_SerialMonitor::manySmallLinesCapped()
{
    SerialMonitorLog log;
    // Alternating directions make a line of every byte: the line count is what bounds memory.
    for (int i = 0; i < SerialMonitorLog::MaxLines + 100; ++i)
        log.append(i % 2 ? SerialMonitorLog::Kind::In : SerialMonitorLog::Kind::Out, "x", i);
    QCOMPARE(log.lineCount(), qsizetype(SerialMonitorLog::MaxLines));
    QCOMPARE(log.dataBytes(), qint64(SerialMonitorLog::MaxLines));
    QCOMPARE(log.dropped(), 100);
    QCOMPARE(log.line(0).msecs, 100);
    log.clear();
    QCOMPARE(log.lineCount(), 0);
    QCOMPARE(log.dataBytes(), 0);
    log.append(SerialMonitorLog::Kind::Out, "y", 1);
    QCOMPARE(linesOf(log), QStringLiteral("TX y"));
}

void tst_SerialMonitor::marksBetweenData()
{
    SerialMonitorLog log;
    log.append(SerialMonitorLog::Kind::Out, "N1 G0", 1);
    log.addMark(QStringLiteral("held"), 2);
    log.append(SerialMonitorLog::Kind::Out, " X1\n", 3); // the line after a mark is a new one
    log.append(SerialMonitorLog::Kind::Mark, "ignored", 4); // data is never a mark
    QCOMPARE(linesOf(log), QStringLiteral("TX N1 G0|-- held|TX  X1<LF>"));
    QCOMPARE(log.dataBytes(), 9);
}

void tst_SerialMonitor::heldAndResumed()
{
    using E = SerialOutputWatch::Event;
    SerialOutputWatch w;
    QCOMPARE(w.look(0, 10, 0), E::None); // all gone
    QCOMPARE(w.look(100, 11, 1), E::None); // one byte waits
    QCOMPARE(w.look(300, 11, 1), E::None);
    QCOMPARE(w.look(100 + SerialOutputWatch::HoldAfter, 11, 1), E::Held);
    QVERIFY(w.isHeld());
    QCOMPARE(w.heldSince(), 100);
    QCOMPARE(w.look(900, 11, 1), E::None); // reported once
    // More handed over, but no more gone out (40 - 30 = 11 - 1): still held.
    QCOMPARE(w.look(950, 40, 30), E::None);
    QCOMPARE(w.look(1000, 40, 25), E::Resumed); // bytes went out
    QVERIFY(!w.isHeld());
    QCOMPARE(w.heldSince(), 100); // still tells when the hold began
    QCOMPARE(w.look(1100, 40, 25), E::None);
    QCOMPARE(w.look(1000 + SerialOutputWatch::HoldAfter, 40, 25), E::Held);
    QCOMPARE(w.heldSince(), 1000);
}

void tst_SerialMonitor::slowLineNeverHeld()
{
    SerialOutputWatch w;
    // A line of 110 baud: the driver's queue stays full (4 KB) while a byte goes out every
    // 91 ms and the writer refills it at once.
    qint64 handed = 4096;
    for (qint64 t = 0; t < 20000; t += 100) {
        handed += 1;
        QCOMPARE(w.look(t, handed, 4096), SerialOutputWatch::Event::None);
    }
}

void tst_SerialMonitor::drainedEndsHold()
{
    SerialOutputWatch w;
    QCOMPARE(w.look(0, 5, 5), SerialOutputWatch::Event::None);
    QCOMPARE(w.look(SerialOutputWatch::HoldAfter, 5, 5), SerialOutputWatch::Event::Held);
    // Dropped by a cancel: nothing waits any more, the hold is over.
    QCOMPARE(w.look(SerialOutputWatch::HoldAfter + 50, 5, 0), SerialOutputWatch::Event::Resumed);
    QCOMPARE(w.look(SerialOutputWatch::HoldAfter + 60, 5, 0), SerialOutputWatch::Event::None);
}

QTEST_GUILESS_MAIN(tst_SerialMonitor)
#include "tst_serialmonitor.moc"
