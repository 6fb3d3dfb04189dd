#include "DncFixture.h"
#include "TestSupport.h"

#include "machines/MachineOptions.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <signal.h>

// zavrin-dnc as a child process: its log, SIGHUP and SIGTERM.
class tst_DncService : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void usageAndBadSettings();
    void reloadOnHangup();
    void operatorPunchesAndRequests();
    void stopCutsReceiveAndLeavesNoFile();
    void stopLetsReceiveInProgressFinish();

private:
    bool startService();
    QString log() const { return QString::fromUtf8(m_log); }
    std::unique_ptr<DncFixture> m_fx;
    std::unique_ptr<QProcess> m_service;
    QByteArray m_log;
};

namespace {
const QString Service = QStringLiteral(ZAVRIN_RUN_DIR "/zavrin-dnc");
}

void tst_DncService::init()
{
    m_fx = std::make_unique<DncFixture>();
    m_log.clear();
}

void tst_DncService::cleanup()
{
    if (m_service && m_service->state() != QProcess::NotRunning) {
        m_service->kill();
        m_service->waitForFinished(3000);
    }
    m_service.reset();
    m_fx.reset();
}

bool tst_DncService::startService()
{
    m_service = std::make_unique<QProcess>();
    connect(m_service.get(), &QProcess::readyReadStandardError, this, [this] { m_log += m_service->readAllStandardError(); });
    m_service->start(Service, {QStringLiteral("--ini"), m_fx->iniPath()});
    return m_service->waitForStarted(5000);
}

void tst_DncService::usageAndBadSettings()
{
    QProcess p;
    p.start(Service, {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("--ini PATH"));

    p.start(Service, {QStringLiteral("--ini"), QStringLiteral("/nonexistent/Zavrin.ini")});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 1);
    QCOMPARE(p.readAllStandardError(), QByteArray("<3>The settings file /nonexistent/Zavrin.ini does not exist.\n"));

    p.start(Service, {QStringLiteral("--bogus")});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 2);
}

void tst_DncService::reloadOnHangup()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    QVERIFY2(m_fx->openControls(&error), qPrintable(error));
    MachineOptions o = MachineOptions::read(m_fx->iniPath(), m_fx->machine(0).id);
    o.autoReceive = false;
    QVERIFY(o.write(m_fx->iniPath(), m_fx->machine(0).id, &error));
    QVERIFY(startService());
    QTRY_VERIFY(log().contains(QLatin1String("<5>No serial machine has automatic receive on")));

    o.autoReceive = true;
    QVERIFY(o.write(m_fx->iniPath(), m_fx->machine(0).id, &error));
    ::kill(pid_t(m_service->processId()), SIGHUP);
    QTRY_VERIFY(log().contains(QLatin1String("<6>1 machine(s) on automatic receive.")));
    QTRY_VERIFY(log().contains(m_fx->machine(0).pty->endA()));
    m_fx->punch(0, "%\nO31\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(m_fx->machine(0).folder), QStringList{QStringLiteral("O31.nc")});
    QTRY_VERIFY(log().contains(QLatin1String("program received and stored as")));
    // Every line carries a priority prefix.
    for (const QString &line : log().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(QRegularExpression(QStringLiteral("^<[0-7]>")).match(line).hasMatch(), qPrintable(line));

    ::kill(pid_t(m_service->processId()), SIGTERM);
    QVERIFY(m_service->waitForFinished(5000));
    QCOMPARE(m_service->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_service->exitCode(), 0);
}

void tst_DncService::operatorPunchesAndRequests()
{
    // Two machines; the operator at the second control punches out two programs (the second a
    // copy of the first), then asks for one and for a program that is not there.
    QString error;
    QVERIFY2(m_fx->make(2, &error), qPrintable(error));
    QVERIFY2(m_fx->openControls(&error), qPrintable(error));
    QVERIFY(startService());
    QTRY_VERIFY(log().contains(m_fx->machine(1).pty->endA()));
    DncFixture::Machine &m = m_fx->machine(1);
    m_fx->punch(1, QByteArray(50, '\0') + "%\r\nO2001 (FLANGE)\r\nG0X0Y0\r\nM30\r\n%\r\n" + QByteArray(50, '\0'));
    m_fx->punch(1, "%\r\nO2001 (FLANGE REV B)\r\nG0X1Y0\r\nM30\r\n%\r\n");
    QTRY_COMPARE(DncFixture::files(m.folder), (QStringList{QStringLiteral("O2001-2.nc"), QStringLiteral("O2001.nc")}));
    m_fx->punch(1, "%\r\nO9999\r\n(REQ O2001)\r\nM30\r\n%\r\n");
    QTRY_COMPARE(m.fromService, QByteArray("%\r\nO2001 (FLANGE)\r\nG0X0Y0\r\nM30\r\n%"));
    m.fromService.clear();
    m_fx->punch(1, "%\r\nO9999\r\n(REQ O2002)\r\nM30\r\n%\r\n");
    QTRY_COMPARE(m.fromService, QByteArray("%\r\nO9999\r\n(NOT FOUND O2002)\r\nM30\r\n%\r\n"));
    QTRY_VERIFY(log().contains(QLatin1String("answered NOT FOUND")));
    // The other machine heard nothing of it.
    QVERIFY(DncFixture::files(m_fx->machine(0).folder).isEmpty());
    QVERIFY(m_fx->machine(0).fromService.isEmpty());
    ::kill(pid_t(m_service->processId()), SIGTERM);
    QVERIFY(m_service->waitForFinished(5000));
    QCOMPARE(m_service->exitCode(), 0);
}

void tst_DncService::stopCutsReceiveAndLeavesNoFile()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    QVERIFY2(m_fx->openControls(&error), qPrintable(error));
    QVERIFY(startService());
    QTRY_VERIFY(log().contains(m_fx->machine(0).pty->endA()));
    const QString folder = m_fx->machine(0).folder;

    // The control punches a long program slowly; the stop comes in the middle of it and the
    // program is still running when the grace time is over.
    m_fx->punch(0, "%\nO555\n");
    QElapsedTimer clock;
    clock.start();
    bool signalled = false;
    qint64 stoppedAt = 0;
    int line = 0;
    while (m_service->state() == QProcess::Running && clock.elapsed() < 15000) {
        m_fx->punch(0, QByteArray("G1X") + QByteArray::number(++line) + "F100\n");
        QTest::qWait(200);
        if (!signalled && clock.elapsed() > 1000) {
            ::kill(pid_t(m_service->processId()), SIGTERM);
            signalled = true;
            stoppedAt = clock.elapsed();
        }
    }
    QVERIFY2(m_service->state() == QProcess::NotRunning || m_service->waitForFinished(3000), qPrintable(log()));
    QCOMPARE(m_service->exitCode(), 0);
    QVERIFY2(clock.elapsed() - stoppedAt < 8000, "the stop waits for its grace time, not for the program");
    QVERIFY2(log().contains(QLatin1String("<4>")) && log().contains(QLatin1String("cut")), qPrintable(log()));
    QCOMPARE(DncFixture::files(folder), QStringList());
    QCOMPARE(DncFixture::hiddenFiles(folder), QStringList());
}

void tst_DncService::stopLetsReceiveInProgressFinish()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    QVERIFY2(m_fx->openControls(&error), qPrintable(error));
    QVERIFY(startService());
    QTRY_VERIFY(log().contains(m_fx->machine(0).pty->endA()));
    const QString folder = m_fx->machine(0).folder;
    m_fx->punch(0, "%\nO556\nG0X1\n");
    QTest::qWait(300);
    ::kill(pid_t(m_service->processId()), SIGTERM);
    QTest::qWait(300);
    m_fx->punch(0, "G0X2\nM30\n%\n");
    QVERIFY(m_service->waitForFinished(8000));
    QCOMPARE(m_service->exitCode(), 0);
    QCOMPARE(DncFixture::files(folder), QStringList{QStringLiteral("O556.nc")});
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O556.nc")), QByteArray("%\nO556\nG0X1\nG0X2\nM30\n%"));
    QCOMPARE(DncFixture::hiddenFiles(folder), QStringList());
}

QTEST_GUILESS_MAIN(tst_DncService)
#include "tst_dncservice.moc"
