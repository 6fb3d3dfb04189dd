#include "platform/serial/NetworkSerialAddress.h"
#include "platform/serial/TelnetComPort.h"

#include <QtTest>

// The Telnet side of port control and the network addresses, byte by byte.
class tst_TelnetComPort : public QObject
{
    Q_OBJECT

private slots:
    void negotiationAnswers_data();
    void negotiationAnswers();
    void escapedBytesSplitAcrossReads();
    void subnegotiationsParsed();
    void commandsEscapeTheirValues();
    void addresses_data();
    void addresses();
};

namespace {

using T = TelnetComPort;

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (const int v : list)
        b.append(char(v));
    return b;
}

} // namespace

void tst_TelnetComPort::negotiationAnswers_data()
{
    QTest::addColumn<QByteArray>("fromServer");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("comPort"); // TelnetComPort::Agreement

    // After start(): we offered WILL BINARY, SGA, COM-PORT and asked DO BINARY, SGA.
    QTest::newRow("server agrees to what we asked: no answer")
        << bytes({T::IAC, T::DO, T::OptionBinary, T::IAC, T::WILL, T::OptionBinary, T::IAC, T::DO, T::OptionComPort})
        << QByteArray() << int(T::Agreement::Accepted);
    QTest::newRow("server asks for echo: refused")
        << bytes({T::IAC, T::WILL, 1}) << bytes({T::IAC, T::DONT, 1}) << int(T::Agreement::Pending);
    QTest::newRow("server wants us to do terminal type: refused")
        << bytes({T::IAC, T::DO, 24}) << bytes({T::IAC, T::WONT, 24}) << int(T::Agreement::Pending);
    QTest::newRow("server refuses port control")
        << bytes({T::IAC, T::DONT, T::OptionComPort}) << QByteArray() << int(T::Agreement::Refused);
    QTest::newRow("agreed binary switched off later: acknowledged once")
        << bytes({T::IAC, T::WILL, T::OptionBinary, T::IAC, T::WONT, T::OptionBinary, T::IAC, T::WONT, T::OptionBinary})
        << bytes({T::IAC, T::DONT, T::OptionBinary}) << int(T::Agreement::Pending);
    QTest::newRow("server says DONT echo we never did: no answer")
        << bytes({T::IAC, T::DONT, 1}) << QByteArray() << int(T::Agreement::Pending);
    QTest::newRow("repeated DO of an agreed option: answered no more")
        << bytes({T::IAC, T::DO, T::OptionSuppressGoAhead, T::IAC, T::DO, T::OptionSuppressGoAhead})
        << QByteArray() << int(T::Agreement::Pending);
}

void tst_TelnetComPort::negotiationAnswers()
{
    QFETCH(QByteArray, fromServer);
    QFETCH(QByteArray, answer);
    QFETCH(int, comPort);
    TelnetComPort t;
    const QByteArray offers = t.start();
    QCOMPARE(offers, bytes({T::IAC, T::WILL, 0, T::IAC, T::WILL, 3, T::IAC, T::WILL, 44, T::IAC, T::DO, 0, T::IAC, T::DO, 3}));
    QByteArray reply;
    QList<T::Message> messages;
    // Byte by byte, so that no command is seen whole in one read.
    QByteArray data;
    for (const char c : fromServer)
        data += t.decode(QByteArray(1, c), &reply, &messages);
    QVERIFY(data.isEmpty());
    QCOMPARE(reply, answer);
    QCOMPARE(int(t.comPort()), comPort);
}

void tst_TelnetComPort::escapedBytesSplitAcrossReads()
{
    TelnetComPort t;
    QByteArray reply;
    QList<T::Message> messages;
    // "a 0xFF b 0xFF 0xFF c" as the server sends it, cut between the two bytes of each IAC IAC.
    const QByteArray wire = bytes({'a', 0xff, 0xff, 'b', 0xff, 0xff, 0xff, 0xff, 'c', 0xff, T::NOP, 'd'});
    QByteArray data;
    for (const qsizetype cut : {2, 5, 7, 10}) {
        QByteArray d1 = t.decode(wire.left(cut), &reply, &messages);
        QByteArray d2 = t.decode(wire.mid(cut), &reply, &messages);
        QCOMPARE(d1 + d2, bytes({'a', 0xff, 'b', 0xff, 0xff, 'c', 'd'}));
    }
    QVERIFY(reply.isEmpty());
    QVERIFY(messages.isEmpty());
    QCOMPARE(T::escape(bytes({0xff, 'x', 0xff, 0xff})), bytes({0xff, 0xff, 'x', 0xff, 0xff, 0xff, 0xff}));
    QCOMPARE(T::escape("plain"), QByteArray("plain"));
}

void tst_TelnetComPort::subnegotiationsParsed()
{
    TelnetComPort t;
    QByteArray reply;
    QList<T::Message> messages;
    // Baud 0x0000FFFF confirmed (its 0xFF bytes doubled), a modem state, an unknown option's
    // sub-negotiation, then data; fed in pieces of three bytes.
    const QByteArray wire = bytes({T::IAC, T::SB, 44, 101, 0, 0, 0xff, 0xff, 0xff, 0xff, T::IAC, T::SE,
                                   'x', T::IAC, T::SB, 44, 107, 0x30, T::IAC, T::SE,
                                   T::IAC, T::SB, 24, 0, 'v', 't', T::IAC, T::SE, 'y'});
    QByteArray data;
    for (qsizetype at = 0; at < wire.size(); at += 3)
        data += t.decode(wire.mid(at, 3), &reply, &messages);
    QCOMPARE(data, QByteArray("xy"));
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages.at(0).command, quint8(T::SetBaudRate));
    QCOMPARE(T::baudRateOf(messages.at(0).value), quint32(0xffff));
    QCOMPARE(messages.at(1).command, quint8(T::NotifyModemState));
    QCOMPARE(messages.at(1).value, bytes({0x30}));

    // A sub-negotiation cut off by another command: the command counts, data goes on.
    messages.clear();
    data = t.decode(bytes({T::IAC, T::SB, 44, 107, T::IAC, T::WILL, 1, 'z'}), &reply, &messages);
    QCOMPARE(data, QByteArray("z"));
    QVERIFY(messages.isEmpty());
    QCOMPARE(reply, bytes({T::IAC, T::DONT, 1}));
}

void tst_TelnetComPort::commandsEscapeTheirValues()
{
    QCOMPARE(T::command(T::SetBaudRate, T::baudRateValue(115200)),
             bytes({T::IAC, T::SB, 44, 1, 0, 1, 0xc2, 0, T::IAC, T::SE}));
    QCOMPARE(T::command(T::SetBaudRate, T::baudRateValue(0xff00)),
             bytes({T::IAC, T::SB, 44, 1, 0, 0, 0xff, 0xff, 0, T::IAC, T::SE}));
    QCOMPARE(T::command(T::SetParity, quint8(2)), bytes({T::IAC, T::SB, 44, 3, 2, T::IAC, T::SE}));
}

void tst_TelnetComPort::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("canonical"); // or a piece of the reason

    QTest::newRow("raw") << "tcp://192.168.1.20:4001" << true << "tcp://192.168.1.20:4001";
    QTest::newRow("rfc2217, upper-case scheme, blanks") << "  RFC2217://devserver-3.shop:2217/ " << true
                                                         << "rfc2217://devserver-3.shop:2217";
    QTest::newRow("IPv6") << "tcp://[fe80::1]:7000" << true << "tcp://[fe80::1]:7000";
    QTest::newRow("port 65535") << "tcp://h:65535" << true << "tcp://h:65535";
    QTest::newRow("port 0") << "tcp://h:0" << false << "1 to 65535";
    QTest::newRow("port 65536") << "tcp://h:65536" << false << "1 to 65535";
    QTest::newRow("port not a number") << "tcp://h:40x1" << false << "1 to 65535";
    QTest::newRow("no port") << "tcp://h" << false << "port number is missing";
    QTest::newRow("no host") << "tcp://:4001" << false << "host is missing";
    QTest::newRow("blank in the host") << "tcp://my host:4001" << false << "no host name";
    QTest::newRow("IPv6 without brackets") << "tcp://fe80::1:7000" << false << "no host name";
    QTest::newRow("another scheme") << "udp://h:1" << false << "tcp://";
}

void tst_TelnetComPort::addresses()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, canonical);
    QString reason;
    const auto a = NetworkSerialAddress::parse(text, &reason);
    QCOMPARE(bool(a), valid);
    if (valid)
        QCOMPARE(a->toString(), canonical);
    else
        QVERIFY2(reason.contains(canonical), qPrintable(reason));
}

QTEST_APPLESS_MAIN(tst_TelnetComPort)
#include "tst_telnetcomport.moc"
