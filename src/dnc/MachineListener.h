#pragma once

#include "ProgramSplitter.h"
#include "journal/JournalEntry.h"
#include "machines/MachineOptions.h"
#include "machines/MachineRecord.h"
#include "platform/serial/SerialLineMarks.h"
#include "transfer/ReceptionWatch.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class SerialPort;

// Automatic receive on one serial machine: keeps the machine's port open, stores every program
// the control punches out in the machine's program folder, and answers request programs with
// the program asked for, sent with the machine's send settings as the serial send window sends.
class MachineListener : public QObject
{
    Q_OBJECT

public:
    struct Config
    {
        MachineRecord machine;
        SerialParameters serial;
        MachineOptions options;
        bool operator==(const Config &o) const;
        bool operator!=(const Config &o) const { return !(*this == o); }
    };

    // The levels of the system journal (sd-daemon priorities).
    enum class Severity { Error = 3, Warning = 4, Notice = 5, Info = 6 };

    // How long the line stays silent before a program in progress is taken as ended: the tick
    // of the serial receive window's end-of-transmission check.
    static constexpr int SilenceTick = ReceptionWatch::TickInterval;
    // A port that cannot be opened is tried again after this long.
    static constexpr int RetryInterval = 5000; // ms

    explicit MachineListener(const Config &config, QObject *parent = nullptr);
    ~MachineListener() override;

    const Config &config() const { return m_config; }
    // "12 Lathe Mazak": the machine as the messages name it.
    QString machineName() const;
    // The port as the operator knows it, with its device where that differs.
    QString portName() const;
    QString deviceName() const;

    // Opens the port and listens; a port that cannot be opened is tried again every
    // RetryInterval, with one message per new reason.
    void start();
    // Ends listening: a program being received may end (by its mark or by silence) within
    // `graceMs`, after which it is cut and nothing of it is stored; an answer being sent is
    // cancelled. stopped() is raised once the port is closed.
    void stop(int graceMs);
    bool isStopped() const { return m_state == State::Stopped; }

    // Lets go of the port for a transfer window of this application (a program in progress is
    // stored as received so far), and takes it back afterwards.
    void release();
    void takeBack();
    bool isReleased() const { return m_state == State::Released; }

    // True while a program is being received or an answer is being sent.
    bool busy() const;

    // Called with every finished transfer: a receive, a request, an answer.
    std::function<void(const JournalEntry &)> journal;

signals:
    // `subject` is what the message is about, for the messages panel's entry: the stored file,
    // else the machine ("12 Lathe Mazak").
    void message(MachineListener::Severity severity, const QString &text, const QString &subject);
    // A program was stored at `path`.
    void stored(const QString &path);
    // A request was answered: `path` the program sent, empty when answered NOT FOUND.
    void answered(const QString &wanted, const QString &path);
    void stopped();

private:
    enum class State { Closed, Listening, Released, Stopping, Stopped };

    void openPort();
    void closePort();
    void onReceived(const QByteArray &bytes);
    void onFailed(const QString &text);
    void onTick();
    void onLineError(SerialLineMarks::Kind kind, qint64 position);
    void handle(const ProgramSplitter::Program &program);
    void storeProgram(const QByteArray &bytes, bool endMark);
    void answer(const QString &wanted, const QString &file, const QString &refusal);
    void sendAnswer(const QString &wanted, const QString &file, const QByteArray &bytes);
    void finishStop();
    JournalEntry entry(JournalEntry::Direction direction) const;
    void record(const JournalEntry &e) const;
    void say(Severity severity, const QString &text, const QString &subject = QString());

    Config m_config;
    SerialPort *m_port;
    QTimer m_tick;
    QTimer m_retry;
    QTimer m_grace;
    ProgramSplitter m_splitter;
    ReceptionWatch m_watch;
    State m_state = State::Closed;
    QString m_lastOpenFailure;
    // A byte of the program in progress came damaged (parity, framing, break): the program is
    // not stored, as the receive window does not save one.
    QString m_damage;
    bool m_sending = false;
    bool m_cancelSend = false;
    int m_pendingAnswers = 0;
};
