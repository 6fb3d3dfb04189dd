#pragma once

#include <QList>
#include <QProcess>
#include <QString>

// A serial device server for the tests: ser2net started in a folder of the test's, with a
// configuration written there, one TCP port per connection on 127.0.0.1 (free ports chosen at
// start), each leading to a serial device (a socat pty end). Raw sockets or Telnet with RFC 2217.
// Started and ended by the test; UUCP locking is off so that nothing is written outside the folder.
class Ser2NetServer
{
public:
    enum class Mode { Raw, Rfc2217 };

    ~Ser2NetServer() { stop(); }

    // Adds a connection before start(): its index. `options` are ser2net's serial settings.
    int addConnection(const QString &device, Mode mode, const QString &options = QStringLiteral("9600n81,local"));
    // Writes the configuration and starts ser2net; returns once every port listens. False with
    // *error when it cannot.
    bool start(const QString &dir, QString *error);
    // Ends ser2net: terminate() as an orderly stop, kill() as a server that dies.
    void stop();
    void kill();
    bool isRunning() const { return m_process.state() == QProcess::Running; }

    quint16 port(int index) const { return m_connections.at(index).port; }
    // "tcp://127.0.0.1:PORT" or "rfc2217://127.0.0.1:PORT".
    QString url(int index) const;
    QString configPath() const { return m_config; }

    // A TCP port on 127.0.0.1 that nothing listens on (at the moment of asking).
    static quint16 freePort();

private:
    struct Connection
    {
        QString device;
        Mode mode;
        QString options;
        quint16 port = 0;
    };
    QList<Connection> m_connections;
    QProcess m_process;
    QString m_config;
};
