#include "MachineListener.h"

#include "ProgramStore.h"
#include "ReceivedProgram.h"
#include "RemoteRequest.h"
#include "lang/Texts.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/SerialPortNames.h"
#include "transfer/SerialSend.h"
#include "transfer/SerialSendStream.h"
#include "transfer/SerialTables.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <utility>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {
QString tx(const char *id) { return Texts::extraOrEnglish(QLatin1String(id)); }

SerialSettings receiveSettings(const SerialParameters &p)
{
    SerialSettings s = SerialSettings::receiveWindowDesign();
    SerialTables::SerialFieldTexts fields;
    SerialTables::PARAM_serial_Enviar_R(SerialTables::SerialCodes::fromParameters(p), s, fields);
    return s;
}

SerialSettings sendSettings(const SerialParameters &p)
{
    SerialSettings s = SerialSettings::sendWindowDesign();
    SerialTables::SerialFieldTexts fields;
    SerialTables::PARAM_serial_Enviar(SerialTables::SerialCodes::fromParameters(p), s, fields);
    return s;
}

QString userName()
{
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
#ifdef Q_OS_UNIX
    if (user.isEmpty()) // a service started by systemd without User= has no USER
        if (const passwd *pw = ::getpwuid(::geteuid()))
            user = QString::fromLocal8Bit(pw->pw_name);
#endif
    return user;
}

QString folderOf(const MachineRecord &m)
{
    QString dir = m.programDirectory.trimmed();
    dir.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(dir);
}
} // namespace

bool MachineListener::Config::operator==(const Config &o) const
{
    const SerialParameters &a = serial, &b = o.serial;
    const MachineOptions &x = options, &y = o.options;
    return machine.id == o.machine.id && machine.number == o.machine.number
           && machine.description == o.machine.description && machine.programDirectory == o.machine.programDirectory
           && a.speed == b.speed && a.dataBits == b.dataBits && a.parity == b.parity && a.stopBits == b.stopBits
           && a.flow == b.flow && a.port == b.port && x.autoReceive == y.autoReceive
           && x.remoteRequest == y.remoteRequest && x.namePattern == y.namePattern && x.extension == y.extension
           && x.stripLeader == y.stripLeader && x.answerDelaySeconds == y.answerDelaySeconds;
}

MachineListener::MachineListener(const Config &config, QObject *parent)
    : QObject(parent), m_config(config), m_port(new SerialPort(receiveSettings(config.serial), this))
{
    m_tick.setInterval(SilenceTick);
    connect(&m_tick, &QTimer::timeout, this, &MachineListener::onTick);
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryInterval);
    connect(&m_retry, &QTimer::timeout, this, &MachineListener::openPort);
    m_grace.setSingleShot(true);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        if (m_state != State::Stopping)
            return;
        if (m_splitter.inProgram()) {
            say(Severity::Warning, tx("Extra.DncCut").arg(machineName(), QString::number(m_splitter.pending())));
            JournalEntry e = entry(JournalEntry::Direction::Receive);
            e.outcome = JournalEntry::Outcome::Cancelled;
            e.bytes = m_splitter.pending();
            record(e);
            m_splitter.clear();
        }
        m_cancelSend = true;
        finishStop();
    });
    connect(m_port, &SerialPort::received, this, &MachineListener::onReceived);
    connect(m_port, &SerialPort::failed, this, &MachineListener::onFailed, Qt::QueuedConnection);
    connect(m_port, &SerialPort::lineError, this, &MachineListener::onLineError);
}

void MachineListener::onLineError(SerialLineMarks::Kind kind, qint64 position)
{
    if (!m_damage.isEmpty())
        return; // the first damage of a program is the one told
    const QString what = tx(kind == SerialLineMarks::Kind::Break ? "Extra.SerialBreak" : "Extra.SerialParityError");
    m_damage = tx("Extra.DncLineError").arg(machineName(), what, QString::number(position + 1));
}

MachineListener::~MachineListener()
{
    m_cancelSend = true;
    m_port->close();
}

QString MachineListener::machineName() const
{
    return QStringLiteral("\"%1 %2\"").arg(m_config.machine.number.trimmed(), m_config.machine.description.trimmed());
}

QString MachineListener::deviceName() const { return SerialPortNames::deviceFor(m_config.serial.port); }

QString MachineListener::portName() const
{
    const QString device = deviceName();
    return device.isEmpty() || device == m_config.serial.port ? m_config.serial.port
                                                               : QStringLiteral("%1 (%2)").arg(m_config.serial.port, device);
}

bool MachineListener::busy() const { return m_splitter.inProgram() || m_sending || m_pendingAnswers > 0; }

void MachineListener::say(Severity severity, const QString &text, const QString &subject)
{
    emit message(severity, text,
                 subject.isEmpty() ? QStringLiteral("%1 %2").arg(m_config.machine.number.trimmed(), m_config.machine.description.trimmed())
                                   : subject);
}

void MachineListener::start()
{
    if (m_state == State::Listening || m_state == State::Stopping)
        return;
    m_state = State::Closed;
    openPort();
}

void MachineListener::openPort()
{
    if (m_state != State::Closed)
        return;
    try {
        m_port->setSettings(receiveSettings(m_config.serial));
        m_port->open();
    } catch (const Error &e) {
        if (e.message() != m_lastOpenFailure)
            say(Severity::Error, tx("Extra.DncPortBusy").arg(machineName(), portName(),
                                                             QString::number(RetryInterval / 1000), e.message()));
        m_lastOpenFailure = e.message();
        m_retry.start();
        return;
    }
    m_lastOpenFailure.clear();
    m_state = State::Listening;
    m_splitter.clear();
    m_damage.clear();
    m_watch.reset();
    m_tick.start();
    say(Severity::Info, tx("Extra.DncListening").arg(machineName(), portName(), QDir::toNativeSeparators(folderOf(m_config.machine))));
}

void MachineListener::closePort()
{
    m_tick.stop();
    m_retry.stop();
    m_port->close();
}

void MachineListener::onFailed(const QString &text)
{
    if (m_state != State::Listening && m_state != State::Stopping)
        return;
    say(Severity::Error, tx("Extra.DncPortFailed").arg(machineName(), portName(), text));
    if (m_splitter.inProgram()) {
        JournalEntry e = entry(JournalEntry::Direction::Receive);
        e.outcome = JournalEntry::Outcome::Failed;
        e.bytes = m_splitter.pending();
        e.error = text;
        record(e);
    }
    m_splitter.clear();
    closePort();
    if (m_state == State::Stopping) {
        finishStop();
        return;
    }
    m_state = State::Closed;
    m_lastOpenFailure = text;
    m_retry.start();
}

void MachineListener::onReceived(const QByteArray &bytes)
{
    if (m_state != State::Listening && m_state != State::Stopping)
        return;
    const QList<ProgramSplitter::Program> done = m_splitter.feed(bytes);
    for (const ProgramSplitter::Program &p : done) {
        m_watch.reset();
        handle(p);
    }
}

void MachineListener::onTick()
{
    if (!m_watch.tick(m_splitter.pending()))
        return;
    m_watch.reset();
    for (const ProgramSplitter::Program &p : m_splitter.silence())
        handle(p);
    if (m_state == State::Stopping && !busy())
        finishStop();
}

void MachineListener::handle(const ProgramSplitter::Program &program)
{
    const QByteArray bytes = ReceivedProgram::storedBytes(program, m_config.options.stripLeader);
    const QString damage = std::exchange(m_damage, QString());
    if (!damage.isEmpty()) {
        say(Severity::Error, damage);
        JournalEntry e = entry(JournalEntry::Direction::Receive);
        e.outcome = JournalEntry::Outcome::Failed;
        e.bytes = bytes.size();
        e.error = damage;
        record(e);
        return;
    }
    if (!ReceivedProgram::hasContent(bytes))
        return; // a lone "%" or leader: nothing was punched
    if (m_config.options.remoteRequest) {
        const RemoteRequest::Request r = RemoteRequest::parse(bytes);
        if (r.isRequest) {
            say(Severity::Notice, tx("Extra.DncRequest").arg(machineName(), r.wanted));
            JournalEntry e = entry(JournalEntry::Direction::Receive);
            e.bytes = bytes.size();
            e.sha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
            e.notice = QStringLiteral("request for \"%1\"").arg(r.wanted);
            record(e);
            const QString file = r.refusal.isEmpty()
                                     ? RemoteRequest::findProgram(folderOf(m_config.machine), r.wanted, m_config.options.extension)
                                     : QString();
            answer(r.wanted, file, r.refusal);
            return;
        }
    }
    storeProgram(bytes, program.endMark);
}

void MachineListener::storeProgram(const QByteArray &bytes, bool endMark)
{
    const ReceivedProgram::Naming naming = ReceivedProgram::nameFor(
        ReceivedProgram::programNumber(bytes), m_config.options.namePattern, m_config.options.extension,
        QDateTime::currentDateTime());
    if (!naming.problem.isEmpty())
        say(Severity::Warning, tx("Extra.DncNameProblem").arg(machineName(), naming.problem, naming.fileName));
    const QString folder = folderOf(m_config.machine);
    QString error;
    const QString path = ProgramStore::storeNew(folder, naming.fileName, bytes, &error);
    JournalEntry e = entry(JournalEntry::Direction::Receive);
    e.bytes = bytes.size();
    e.sha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    if (!endMark)
        e.notice = QStringLiteral("no end of program received");
    if (path.isEmpty()) {
        e.outcome = JournalEntry::Outcome::Failed;
        e.error = error;
        e.localPath = QDir(folder).filePath(naming.fileName);
        say(Severity::Error, tx("Extra.DncStoreFailed").arg(machineName(), QString::number(bytes.size()),
                                                            QDir::toNativeSeparators(folder), error));
        record(e);
        return;
    }
    e.localPath = path;
    say(Severity::Notice, tx(endMark ? "Extra.DncStored" : "Extra.DncStoredNoEnd")
                              .arg(machineName(), QDir::toNativeSeparators(path), QString::number(bytes.size())),
        QDir::toNativeSeparators(path));
    record(e);
    emit stored(path);
}

void MachineListener::answer(const QString &wanted, const QString &file, const QString &refusal)
{
    QByteArray bytes;
    if (!file.isEmpty()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            say(Severity::Error, tx("Extra.DncAnswerFailed").arg(machineName(), QDir::toNativeSeparators(file) + QStringLiteral(": ") + f.errorString()));
            JournalEntry e = entry(JournalEntry::Direction::Send);
            e.localPath = file;
            e.outcome = JournalEntry::Outcome::Failed;
            e.error = f.errorString();
            e.notice = QStringLiteral("answer to the request for \"%1\"").arg(wanted);
            record(e);
            return;
        }
        bytes = f.readAll();
    } else {
        if (!refusal.isEmpty())
            say(Severity::Warning, tx("Extra.DncRefused").arg(machineName(), wanted, refusal));
        else
            say(Severity::Warning, tx("Extra.DncNotFound").arg(machineName(), wanted,
                                                               QDir::toNativeSeparators(folderOf(m_config.machine))));
        bytes = RemoteRequest::notFoundAnswer(wanted);
    }
    // The control needs a moment to be switched from punching to reading.
    ++m_pendingAnswers;
    QTimer::singleShot(qMax(0, m_config.options.answerDelaySeconds) * 1000, this, [this, wanted, file, bytes] {
        --m_pendingAnswers;
        sendAnswer(wanted, file, bytes);
    });
}

void MachineListener::sendAnswer(const QString &wanted, const QString &file, const QByteArray &bytes)
{
    JournalEntry e = entry(JournalEntry::Direction::Send);
    e.localPath = file;
    e.notice = file.isEmpty() ? QStringLiteral("NOT FOUND answer to the request for \"%1\"").arg(wanted)
                              : QStringLiteral("answer to the request for \"%1\"").arg(wanted);
    if (m_state != State::Listening || m_cancelSend) {
        e.outcome = JournalEntry::Outcome::Cancelled;
        record(e);
        if (m_state == State::Stopping && !busy())
            finishStop();
        return;
    }
    const SerialSettings listening = m_port->settings();
    SerialSendStream stream(bytes);
    m_sending = true;
    m_cancelSend = false;
    try {
        m_port->setSettings(sendSettings(m_config.serial));
        const SerialSend::Outcome outcome = SerialSend::run(*m_port, stream, m_cancelSend, {});
        e.outcome = outcome == SerialSend::Outcome::Completed ? JournalEntry::Outcome::Done : JournalEntry::Outcome::Cancelled;
    } catch (const Error &error) {
        e.outcome = JournalEntry::Outcome::Failed;
        e.error = error.message();
    }
    m_sending = false;
    e.bytes = stream.position();
    e.sha256 = QString::fromLatin1(QCryptographicHash::hash(bytes.left(int(stream.position())), QCryptographicHash::Sha256).toHex());
    if (m_port->isOpen()) {
        try {
            m_port->setSettings(listening);
        } catch (const Error &) {
            // the failure has reached onFailed() through the port's signal
        }
    }
    switch (e.outcome) {
    case JournalEntry::Outcome::Done:
        say(Severity::Notice, file.isEmpty()
                                  ? tx("Extra.DncNotFoundSent").arg(machineName(), wanted)
                                  : tx("Extra.DncAnswerSent").arg(machineName(), QDir::toNativeSeparators(file),
                                                                  QString::number(stream.position())),
              file.isEmpty() ? QString() : QDir::toNativeSeparators(file));
        emit answered(wanted, file);
        break;
    case JournalEntry::Outcome::Cancelled:
        say(Severity::Warning, tx("Extra.DncAnswerCancelled").arg(machineName(), wanted));
        break;
    default:
        say(Severity::Error, tx("Extra.DncAnswerFailed").arg(machineName(), e.error));
        break;
    }
    record(e);
    if (m_state == State::Stopping && !busy())
        finishStop();
}

void MachineListener::stop(int graceMs)
{
    if (m_state == State::Stopped || m_state == State::Stopping)
        return;
    if (m_state != State::Listening) {
        closePort();
        m_state = State::Stopped;
        emit stopped();
        return;
    }
    m_state = State::Stopping;
    if (!busy()) {
        finishStop();
        return;
    }
    if (m_pendingAnswers > 0 || m_sending)
        m_cancelSend = true;
    m_grace.start(qMax(0, graceMs));
}

void MachineListener::finishStop()
{
    if (m_state == State::Stopped)
        return;
    if (m_sending)
        return; // the send loop sees the cancel and comes back here
    m_grace.stop();
    closePort();
    m_state = State::Stopped;
    emit stopped();
}

void MachineListener::release()
{
    if (m_state == State::Listening) {
        for (const ProgramSplitter::Program &p : m_splitter.silence())
            handle(p);
        m_cancelSend = true;
        closePort();
        say(Severity::Info, tx("Extra.DncReleased").arg(machineName(), portName()));
    } else {
        m_retry.stop();
    }
    if (m_state != State::Stopping && m_state != State::Stopped)
        m_state = State::Released;
}

void MachineListener::takeBack()
{
    if (m_state != State::Released)
        return;
    m_cancelSend = false;
    m_state = State::Closed;
    m_lastOpenFailure.clear();
    openPort();
}

JournalEntry MachineListener::entry(JournalEntry::Direction direction) const
{
    JournalEntry e;
    e.timeUtc = QDateTime::currentDateTimeUtc();
    e.workstation = QSysInfo::machineHostName();
    e.user = userName();
    e.machineId = m_config.machine.id;
    e.machineNumber = m_config.machine.number;
    e.machineDescription = m_config.machine.description;
    e.medium = JournalEntry::Medium::Serial;
    e.direction = direction;
    e.remote = portName();
    return e;
}

void MachineListener::record(const JournalEntry &e) const
{
    if (journal)
        journal(e);
}
