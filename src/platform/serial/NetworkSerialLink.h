#pragma once

#include "NetworkSerialAddress.h"
#include "SerialFailure.h"
#include "SerialLines.h"
#include "SerialSettings.h"
#include "TelnetComPort.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

// The connection of a network serial port to its device server, for SerialPort: a raw socket,
// or Telnet with RFC 2217 port control. Bytes to send wait in a queue of ours and go to the
// socket a chunk at a time while the line is not held, so that a hold (XOFF, or the server's
// flow-control suspend) stops the output within a few kilobytes, as a driver's buffer would.
class NetworkSerialLink : public QObject
{
    Q_OBJECT

public:
    explicit NetworkSerialLink(QObject *parent = nullptr);
    ~NetworkSerialLink() override;

    // As for FTP: 10 s to connect (and, with port control, to agree on it and set the port),
    // and 30 s without any byte taken by the server while bytes wait and the line is not held.
    static int connectTimeoutMs();
    static void setConnectTimeoutMs(int ms);
    static int stallTimeoutMs();
    static void setStallTimeoutMs(int ms);

    // Connects and sets the port, waiting with the event loop running. False with the reason
    // (English) in *reason and its kind in *kind when it cannot.
    bool open(const NetworkSerialAddress &address, const SerialSettings &settings, QString *reason,
              SerialFailure::Kind *kind);
    void close();
    bool isOpen() const { return m_open; }
    const NetworkSerialAddress &address() const { return m_address; }

    // New settings for the open link: sent to the server with port control; on a raw socket only
    // the XON/XOFF choice counts (our side honours XON/XOFF there).
    void applySettings(const SerialSettings &settings);

    void queue(const QByteArray &bytes);
    // Bytes not yet handed to the socket, and those the socket holds too.
    qint64 queued() const { return m_out.size() - m_outAt; }
    qint64 pending() const;
    // Bytes the server has not acknowledged yet (in the system's send queue).
    qint64 unacknowledged() const;
    // Hands every queued byte to the socket as far as the hold allows.
    void flush();
    bool isHeld() const { return m_heldByXoff || m_heldByServer; }
    void discardOutput();

    // The modem lines as the server last reported them; unavailable on a raw socket.
    SerialLines::State cts() const { return m_cts; }
    SerialLines::State dsr() const { return m_dsr; }
    SerialLines::State carrier() const { return m_carrier; }

signals:
    void received(const QByteArray &data);
    void failed(const QString &reason);
    void modemLinesChanged();
    // The server reported a line error: true for a break, false for parity or framing.
    void lineError(bool isBreak);
    // Output moved on, or a hold ended: a waiting write() looks again.
    void progressed();

private:
    void onReadyRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void onMessage(const TelnetComPort::Message &m);
    void fail(const QString &reason);
    void sendRaw(const QByteArray &bytes);
    void setHeld(bool byXoff, bool byServer);
    void checkStall();
    bool stallApplies() const;
    QByteArray takeFlowCharacters(const QByteArray &data);
    void sendPortSettings(const SerialSettings &settings);
    // One attempt of open(): connect, and with port control agree on it and set the port.
    bool connectAndSetUp(const SerialSettings &settings, const QDeadlineTimer &deadline, QString *reason,
                         SerialFailure::Kind *kind);
    // Waits with the event loop running until done() or the deadline; false on the deadline
    // or a failure.
    template <typename Done>
    bool waitFor(Done done, const QDeadlineTimer &deadline);

    QTcpSocket m_socket;
    NetworkSerialAddress m_address;
    SerialSettings m_settings;
    TelnetComPort m_telnet;
    bool m_telnetMode = false;
    bool m_open = false;
    bool m_opening = false;
    bool m_closeRequested = false; // close() came while open() waited
    bool m_serverClosed = false;   // the server ended the connection
    QString m_failure;
    QByteArray m_out;
    qsizetype m_outAt = 0;
    bool m_heldByXoff = false;
    bool m_heldByServer = false;
    QTimer m_flushTimer;
    QTimer m_stallTimer;
    QElapsedTimer m_sinceProgress;
    qint64 m_lastPending = 0;
    // Settings the server confirmed, by command, while open() waits for them.
    QList<TelnetComPort::Message> m_confirmed;
    QByteArray m_early; // data that came while opening, handed on once open
    SerialLines::State m_cts = SerialLines::State::Unavailable;
    SerialLines::State m_dsr = SerialLines::State::Unavailable;
    SerialLines::State m_carrier = SerialLines::State::Unavailable;
};
