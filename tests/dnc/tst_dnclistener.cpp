#include "DncFixture.h"
#include "TestSupport.h"

#include "app/AppState.h"
#include "dnc/DncService.h"
#include "dnc/MachineListener.h"
#include "platform/serial/SerialPort.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

// Automatic receive and remote request in this process, against socat pty pairs: the test is the
// control on the far end of each machine's line.
class tst_DncListener : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void programsInARowWithSilences();
    void programWithoutNumberAndNulLeader();
    void secondCopyGetsNumberedName();
    void remoteRequestFoundAndNotFound();
    void requestsOffStoreTheRequest();
    void damagedProgramIsNotStored();
    void windowBorrowsThePort();
    void reloadKeepsUnchangedListeners();

private:
    void startService();
    MachineListener *listener(int i) { return m_service->listenerFor(m_fx->machine(i).id); }
    QList<JournalEntry> m_journal;
    std::unique_ptr<DncFixture> m_fx;
    std::unique_ptr<DncService> m_service;
    QStringList m_messages;
};

void tst_DncListener::init()
{
    m_fx = std::make_unique<DncFixture>();
    m_journal.clear();
    m_messages.clear();
}

void tst_DncListener::cleanup()
{
    PortHandover::setService(nullptr);
    m_service.reset();
    m_fx.reset();
}

void tst_DncListener::startService()
{
    QString error;
    QVERIFY2(m_fx->openControls(&error), qPrintable(error));
    app().AppDirectory = QDir(m_fx->path(QString())).absolutePath() + QLatin1Char('/');
    m_service = std::make_unique<DncService>(m_fx->iniPath());
    m_service->journal = [this](const JournalEntry &e) { m_journal << e; };
    connect(m_service.get(), &DncService::message, this,
            [this](MachineListener::Severity, const QString &text, const QString &) { m_messages << text; });
    QCOMPARE(m_service->reload(), m_fx->count());
    for (int i = 0; i < m_fx->count(); ++i)
        QTRY_VERIFY(listener(i) && m_messages.join(QLatin1Char('\n')).contains(listener(i)->portName()));
}

void tst_DncListener::programsInARowWithSilences()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    startService();
    const QString folder = m_fx->machine(0).folder;
    const QByteArray tape = "%\r\nO1001\r\nG0X1\r\nM30\r\n%\r\n";
    const QByteArray marked = "O1002\r\nG1X2F100\r\nM02\r\n";
    const QByteArray unmarked = "O1003\r\nG0Z50\r\n";
    m_fx->punch(0, tape);
    QTRY_COMPARE(DncFixture::files(folder), QStringList{QStringLiteral("O1001.nc")});
    QTest::qWait(2500); // the line falls silent
    m_fx->punch(0, marked);
    QTRY_COMPARE(DncFixture::files(folder).size(), 2);
    QTest::qWait(2500);
    m_fx->punch(0, unmarked);
    // The last has no end mark: only the silence ends it, one to two ticks after its last byte.
    QTest::qWait(500);
    QCOMPARE(DncFixture::files(folder).size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(DncFixture::files(folder).size(), 3, 4000);
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O1001.nc")), QByteArray("%\r\nO1001\r\nG0X1\r\nM30\r\n%"));
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O1002.nc")), marked);
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O1003.nc")), unmarked);
    QVERIFY(DncFixture::hiddenFiles(folder).isEmpty());

    QCOMPARE(m_journal.size(), 3);
    for (const JournalEntry &e : m_journal) {
        QCOMPARE(e.direction, JournalEntry::Direction::Receive);
        QCOMPARE(e.medium, JournalEntry::Medium::Serial);
        QCOMPARE(e.outcome, JournalEntry::Outcome::Done);
        QCOMPARE(e.machineId, m_fx->machine(0).id);
        QCOMPARE(e.sha256.size(), 64);
    }
    QCOMPARE(m_journal.at(1).bytes, qint64(marked.size()));
    QVERIFY(m_journal.at(1).notice.isEmpty());
    QCOMPARE(m_journal.at(2).notice, QStringLiteral("no end of program received"));
    QVERIFY(m_messages.join(QLatin1Char('\n')).contains(QDir::toNativeSeparators(folder + QStringLiteral("/O1003.nc"))));

    // Programs with no silence between them are cut apart by their marks.
    m_fx->punch(0, "%\nO2001\nM30\n%\n%\nO2002\nM30\n%\nO2003\nM30\n");
    QTRY_COMPARE(DncFixture::files(folder).size(), 6);
}

void tst_DncListener::programWithoutNumberAndNulLeader()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    startService();
    const QString folder = m_fx->machine(0).folder;
    const QByteArray nul(120, '\0');
    m_fx->punch(0, nul + "%\r\nO0042 (NUL LEADER)\r\nG0X1\r\nM30\r\n%\r\n" + nul);
    QTRY_COMPARE(DncFixture::files(folder), QStringList{QStringLiteral("O0042.nc")});
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O0042.nc")), QByteArray("%\r\nO0042 (NUL LEADER)\r\nG0X1\r\nM30\r\n%"));
    QTest::qWait(2500); // the NUL trailer is no program
    QCOMPARE(DncFixture::files(folder).size(), 1);

    m_fx->punch(0, "%\nG0X1\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(folder).size(), 2);
    const QString unnamed = DncFixture::files(folder).at(1);
    QVERIFY2(QRegularExpression(QStringLiteral("^PROGRAM-\\d{8}-\\d{6}\\.nc$")).match(unnamed).hasMatch(), qPrintable(unnamed));
    QCOMPARE(TestSupport::readBytes(folder + QLatin1Char('/') + unnamed), QByteArray("%\nG0X1\nM30\n%"));
}

void tst_DncListener::secondCopyGetsNumberedName()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    const QString folder = m_fx->machine(0).folder;
    TestSupport::writeBytes(folder + QStringLiteral("/O1234.nc"), "the operator's own program");
    startService();
    m_fx->punch(0, "%\nO1234\nG0X1\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(folder).size(), 2);
    m_fx->punch(0, "%\nO1234\nG0X2\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(folder).size(), 3);
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O1234.nc")), QByteArray("the operator's own program"));
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O1234-2.nc")), QByteArray("%\nO1234\nG0X1\nM30\n%"));
    QCOMPARE(TestSupport::readBytes(folder + QStringLiteral("/O1234-3.nc")), QByteArray("%\nO1234\nG0X2\nM30\n%"));
}

void tst_DncListener::remoteRequestFoundAndNotFound()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    const QString folder = m_fx->machine(0).folder;
    // Stored with LF line ends: the send rules make them CR LF, as the serial send window does.
    TestSupport::writeBytes(folder + QStringLiteral("/O1234.nc"), "%\nO1234\nG0X10\nM30\n%\n");
    TestSupport::writeBytes(folder + QStringLiteral("/PART-17.NC"), "%\r\nO17\r\nM30\r\n%\r\n\x1a" "after the end mark");
    startService();
    DncFixture::Machine &m = m_fx->machine(0);
    QSignalSpy answered(m_service->listenerFor(m.id), &MachineListener::answered);

    m_fx->punch(0, "%\r\nO9999\r\n(REQ O1234)\r\nM30\r\n%\r\n");
    QTRY_COMPARE(answered.size(), 1);
    QTRY_COMPARE(m.fromService, QByteArray("%\r\nO1234\r\nG0X10\r\nM30\r\n%\r\n"));

    m.fromService.clear();
    m_fx->punch(0, "o9999\n(req part-17.nc)\nm30\n");
    QTRY_COMPARE(answered.size(), 2);
    QTRY_COMPARE(m.fromService, QByteArray("%\r\nO17\r\nM30\r\n%\r\n"));

    m.fromService.clear();
    m_fx->punch(0, "%\nO9999\n(REQ O4321)\nM30\n%\n");
    QTRY_COMPARE(answered.size(), 3);
    QTRY_COMPARE(m.fromService, QByteArray("%\r\nO9999\r\n(NOT FOUND O4321)\r\nM30\r\n%\r\n"));

    m.fromService.clear();
    m_fx->punch(0, "%\nO9999\n(REQ ../m1/O1234.nc)\nM30\n%\n");
    QTRY_COMPARE(answered.size(), 4);
    QTRY_VERIFY(m.fromService.contains("NOT FOUND"));
    QCOMPARE(answered.at(3).at(1).toString(), QString());

    // Requests are no programs of the folder.
    QCOMPARE(DncFixture::files(folder), (QStringList{QStringLiteral("O1234.nc"), QStringLiteral("PART-17.NC")}));
    // Each request and each answer is journaled.
    QCOMPARE(m_journal.size(), 8);
    QCOMPARE(m_journal.at(0).direction, JournalEntry::Direction::Receive);
    QCOMPARE(m_journal.at(0).notice, QStringLiteral("request for \"O1234\""));
    QCOMPARE(m_journal.at(1).direction, JournalEntry::Direction::Send);
    QCOMPARE(m_journal.at(1).localPath, QFileInfo(folder + QStringLiteral("/O1234.nc")).absoluteFilePath());
    QCOMPARE(m_journal.at(1).outcome, JournalEntry::Outcome::Done);
    QCOMPARE(m_journal.at(5).localPath, QString());
    QVERIFY(m_journal.at(5).notice.startsWith(QLatin1String("NOT FOUND")));
    QVERIFY(m_messages.join(QLatin1Char('\n')).contains(QLatin1String("refused")));
}

void tst_DncListener::requestsOffStoreTheRequest()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error, false), qPrintable(error));
    startService();
    m_fx->punch(0, "%\nO9999\n(REQ O1)\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(m_fx->machine(0).folder), QStringList{QStringLiteral("O9999.nc")});
    QTest::qWait(300);
    QVERIFY(m_fx->machine(0).fromService.isEmpty());
}

void tst_DncListener::damagedProgramIsNotStored()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    startService();
    const QString folder = m_fx->machine(0).folder;
    // A pty carries no parity: the port reports the damaged byte as a real line would.
    auto *port = listener(0)->findChild<SerialPort *>();
    QVERIFY(port);
    m_fx->punch(0, "%\nO71\nG0X1\n");
    QTRY_VERIFY(listener(0)->busy());
    emit port->lineError(SerialLineMarks::Kind::ParityOrFraming, 9);
    m_fx->punch(0, "M30\n%\n");
    QTRY_COMPARE(m_journal.size(), 1);
    QCOMPARE(m_journal.at(0).outcome, JournalEntry::Outcome::Failed);
    QVERIFY(m_journal.at(0).error.contains(QLatin1String("(received byte 10)")));
    QVERIFY(DncFixture::files(folder).isEmpty());
    // The next program is whole again.
    m_fx->punch(0, "%\nO72\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(folder), QStringList{QStringLiteral("O72.nc")});
}

void tst_DncListener::windowBorrowsThePort()
{
    QString error;
    QVERIFY2(m_fx->make(1, &error), qPrintable(error));
    startService();
    PortHandover::setService(m_service.get());
    MachineListener *l = listener(0);
    const QString folder = m_fx->machine(0).folder;
    {
        PortHandover::Scope scope(m_fx->machine(0).pty->endA());
        QVERIFY(l->isReleased());
        // The window's own port opens the device the listener let go of.
        SerialPort window;
        SerialSettings s = window.settings();
        s.portName = m_fx->machine(0).pty->endA();
        window.setSettings(s);
        window.open();
        QVERIFY(window.isOpen());
        QSignalSpy got(&window, &SerialPort::received);
        m_fx->punch(0, "%\nO5\nM30\n%\n");
        QTRY_VERIFY(!got.isEmpty());
        window.close();
    }
    QVERIFY(!l->isReleased()); // listening again
    m_fx->punch(0, "%\nO6\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(folder), QStringList{QStringLiteral("O6.nc")});
}

void tst_DncListener::reloadKeepsUnchangedListeners()
{
    QString error;
    QVERIFY2(m_fx->make(2, &error), qPrintable(error));
    startService();
    QPointer<MachineListener> first = listener(0), second = listener(1);
    // Machine 2 gets a name pattern; machine 1 stays as it was.
    MachineOptions o = MachineOptions::read(m_fx->iniPath(), m_fx->machine(1).id);
    o.namePattern = QStringLiteral("L2-%1");
    QVERIFY(o.write(m_fx->iniPath(), m_fx->machine(1).id, &error));
    QCOMPARE(m_service->reload(), 2);
    QTRY_VERIFY(!second);
    QCOMPARE(listener(0), first.data());
    QTRY_VERIFY(listener(1) && !listener(1)->isStopped());
    QTRY_VERIFY(m_messages.filter(listener(1)->portName()).size() >= 2);
    m_fx->punch(1, "%\nO8\nM30\n%\n");
    QTRY_COMPARE(DncFixture::files(m_fx->machine(1).folder), QStringList{QStringLiteral("L2-O8.nc")});
    // Automatic receive off: the listener goes.
    o.autoReceive = false;
    QVERIFY(o.write(m_fx->iniPath(), m_fx->machine(1).id, &error));
    QCOMPARE(m_service->reload(), 1);
    QTRY_COMPARE(m_service->listeners().size(), 1);
}

QTEST_GUILESS_MAIN(tst_DncListener)
#include "tst_dnclistener.moc"
