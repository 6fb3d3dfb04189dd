#pragma once

#include "platform/Error.h"

#include "SerialFailure.h"
#include "SerialLineMarks.h"
#include "SerialLines.h"
#include "SerialPortLock.h"
#include "SerialSettings.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <memory>

class NetworkSerialLink;

// A serial port with the full settings model of SerialSettings, living on the user-interface
// thread: its signals arrive there while events are processed. The settings stay in the
// object between openings, so a setting that a machine does not change keeps its last value.
// A port in messages: "COM7" in quotes, and the device it stands for where that differs.
inline QString describeSerialPort(const QString &port, const QString &device)
{
    if (device.isEmpty() || device == port)
        return QStringLiteral("\"%1\"").arg(port);
    return QStringLiteral("\"%1\" (%2)").arg(port, device);
}

// The port could not be opened: the port as the operator knows it (its COM name, and
// the device it stands for where that differs), and the reason the system gave, so
// that a window can say it in the operator's language.
class SerialPortOpenError : public Error
{
public:
    SerialPortOpenError(const QString &port, const QString &device, const QString &reason,
                        SerialFailure::Kind kind = SerialFailure::Kind::Other)
        : Error(QStringLiteral("Unable to open the serial port %1: %2").arg(describeSerialPort(port, device), reason)),
          m_port(device.isEmpty() || device == port ? port : QStringLiteral("%1 (%2)").arg(port, device)),
          m_device(device.isEmpty() ? port : device), m_reason(reason), m_kind(kind)
    {
    }
    // "COM7" or "COM7 (/dev/ttyUSB0)".
    const QString &port() const { return m_port; }
    // The device that was to be opened ("/dev/ttyUSB0"; the port name where it is the device).
    const QString &device() const { return m_device; }
    const QString &reason() const { return m_reason; }
    SerialFailure::Kind kind() const { return m_kind; }
    // For Kind::InUse: the program holding the port and its process number.
    SerialPortOpenError &withHolder(const QString &program, qint64 pid)
    {
        m_holderProgram = program;
        m_holderPid = pid;
        return *this;
    }
    const QString &holderProgram() const { return m_holderProgram; }
    qint64 holderPid() const { return m_holderPid; }

private:
    QString m_port;
    QString m_device;
    QString m_reason;
    SerialFailure::Kind m_kind;
    QString m_holderProgram;
    qint64 m_holderPid = 0;
};

class SerialPort : public QObject
{
    Q_OBJECT

public:
    explicit SerialPort(const SerialSettings &design = SerialSettings(), QObject *parent = nullptr);
    ~SerialPort() override;

    const SerialSettings &settings() const { return m_settings; }
    // Takes new settings; on an open port they reach the device at once (throws Error when
    // the device refuses one), except the port name, which counts from the next open().
    void setSettings(const SerialSettings &settings);

    // Opens the device that the port name stands for and applies the settings. Throws Error
    // naming the port and the device when it cannot. Opening an open port does nothing.
    // The device may be a network address (NetworkSerialAddress): "tcp://host:port" is a raw
    // socket to a device server, whose own port settings apply (our side honours XON/XOFF in
    // the data when software flow is set); "rfc2217://host:port" sets the port through the
    // server. Every Zavrin program on the computer takes the port's lock (SerialPortLock) while
    // it is open: a second opener gets SerialPortOpenError of kind InUse naming the holder.
    void open();
    // Closing a closed port does nothing.
    void close();
    bool isOpen() const;
    // Whether the open port is a network port.
    bool isNetworkPort() const { return m_netActive; }
    // The device of the port name (as of the latest open, or of the current name when closed).
    QString deviceName() const;

    // Hands bytes to the driver and returns once it has taken all of them; the driver applies
    // the flow control. While the line is held (XOFF, CTS) or the driver is full, the call
    // waits with the event loop running, so windows stay responsive. Returns false when
    // *cancel turns true during such a wait: the bytes not yet taken are dropped. Throws Error
    // when the port is not open or fails (its failed() signal has then been raised too).
    bool write(const QByteArray &bytes, const bool *cancel = nullptr);

    // Waits, with the event loop running, until every byte handed to the driver is on the line,
    // the UART's FIFO and a USB adapter's buffer included (tcdrain, FlushFileBuffers): closing
    // the port restores the device's earlier settings, which would garble bytes still queued. Returns false when *cancel turns true first (the queued
    // bytes are then dropped). Throws Error when the port is not open or fails.
    bool waitUntilSent(const bool *cancel = nullptr);
    // Drops the bytes the driver has not sent yet, so that a cancelled send stops at once
    // and closing does not wait for a held line.
    void discardOutput();
    // Bytes handed over but not yet on the line: those Qt still holds and the driver's queue.
    qint64 outputWaiting() const { return m_port.bytesToWrite() + driverOutputQueue(); }

    // The failure of the latest opening (failed() was raised): its text naming the port and the
    // device, and what kind it was. Empty text while the port has not failed.
    const QString &failureMessage() const { return m_failure; }
    SerialFailure::Kind failureKind() const { return m_failureKind; }

    SerialLines lines() const { return m_lines; }
    // The stop bits the open device really uses, which may differ from the settings where
    // the system has no such setting (1.5 stop bits outside Windows).
    SerialSettings::StopBits deviceStopBits() const;

    // What the open device does about line errors: whether it checks the parity of received
    // bytes and marks damaged bytes and breaks in the data (Linux: INPCK, PARMRK), where the
    // port finds them.
    struct LineChecks
    {
        bool parityChecked = false;
        bool errorsMarked = false;
    };
    LineChecks deviceLineChecks() const;
#ifdef Q_OS_UNIX
    // The termios input flags that check and mark line errors, from the flags Qt left.
    static unsigned long lineCheckInputFlags(unsigned long inputFlags, SerialSettings::Parity parity);
#endif

    static constexpr int LinePollInterval = 250; // ms

signals:
    // Bytes as received, each byte one character code 0 to 255.
    void received(const QByteArray &bytes);
    // Bytes as write() hands them over (to the driver or to Qt's buffer before it), for a monitor.
    void transmitted(const QByteArray &bytes);
    // The open port failed (device gone, input/output error); the text names the port. The port
    // closes itself soon after, and write() keeps throwing this failure until the next open().
    void failed(const QString &message);
    void linesChanged(const SerialLines &lines);
    // A byte came with a parity or framing error, or the line was in break, after `position`
    // good bytes of this opening (the data before it has come through received() already).
    void lineError(SerialLineMarks::Kind kind, qint64 position);

private:
    void applyToDevice();
    void applyFlowControl();
    void applyModemLines();
    void applyLineChecks();
    void readLineErrorFlags(); // Windows: the line errors the driver noted since the last look
    void onReadyRead();
    void noteTransmit();
    void onError(QSerialPort::SerialPortError error);
    void reportFailure(QSerialPort::SerialPortError error, const QString &reason);
    void pollLines();
    void setLines(const SerialLines &lines);
    void throwIfFailed() const;
    qint64 driverOutputQueue() const;
    QString describePort() const;
    // After a wait for the output: a failure or a port closed under it (false when
    // that was the cancel), true when everything went out.
    bool endOfWait(const bool *cancel);
    bool drainLine(const bool *cancel);
    void openNetwork(const QString &address);
    bool writeNetwork(const QByteArray &bytes, const bool *cancel);
    bool waitUntilSentNetwork(const bool *cancel);
    void onNetworkReceived(const QByteArray &bytes);
    void onNetworkFailed(const QString &reason);
    void resetForOpening();

    SerialSettings m_settings;
    QSerialPort m_port;
    QString m_device;
    QString m_failure;
    SerialFailure::Kind m_failureKind = SerialFailure::Kind::Other;
    bool m_opening = false;
    bool m_draining = false;     // drainLine() waits for the device on another thread
    bool m_closePending = false; // close() was asked for meanwhile
    int m_openings = 0;
    bool m_modemLinesAvailable = true;
    bool m_rxSeen = false;
    bool m_txSeen = false;
    SerialLines m_lines;
    SerialLineMarks m_marks;
    bool m_marking = false; // the device marks line errors in the data
    qint64 m_receivedCount = 0;
    QTimer m_linesTimer;
    QTimer m_wakeTimer;
    std::unique_ptr<NetworkSerialLink> m_net;
    bool m_netActive = false; // the latest opening is a network port, not yet closed
    SerialPortLock m_lock;
};
