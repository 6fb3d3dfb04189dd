#include "JournalRecorder.h"

#include "lang/Texts.h"

#include <QSysInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {
JournalRecorder *g_current = nullptr;
constexpr int DefaultRetryMs = 30000;
} // namespace

JournalRecorder::JournalRecorder(JournalStore::Location location, QObject *parent)
    : QObject(parent), m_store(std::make_unique<JournalStore>(std::move(location)))
{
    m_retry.setInterval(DefaultRetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] { flush(); });
}

JournalRecorder::~JournalRecorder()
{
    if (g_current == this)
        g_current = nullptr;
    QString error;
    if (!m_pending.isEmpty())
        m_store->append(m_pending, &error);
}

JournalRecorder *JournalRecorder::current() { return g_current; }
void JournalRecorder::setCurrent(JournalRecorder *recorder) { g_current = recorder; }

void JournalRecorder::setRetryInterval(int ms)
{
    if (ms <= 0) {
        m_retry.stop();
        m_retry.setInterval(DefaultRetryMs);
        m_retryOff = true;
        return;
    }
    m_retryOff = false;
    m_retry.setInterval(ms);
}

QString JournalRecorder::workstationName() { return QSysInfo::machineHostName(); }

QString JournalRecorder::userName()
{
#ifdef Q_OS_UNIX
    if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

QString JournalRecorder::failureMessage(const QString &reason) const
{
    return Texts::extraOrEnglish(QStringLiteral("Extra.JournalNotWritten")).arg(m_store->displayName(), reason);
}

bool JournalRecorder::record(JournalEntry entry)
{
    if (!entry.timeUtc.isValid())
        entry.timeUtc = QDateTime::currentDateTimeUtc();
    entry.timeUtc = entry.timeUtc.toUTC();
    if (entry.workstation.isEmpty())
        entry.workstation = workstationName();
    if (entry.user.isEmpty())
        entry.user = userName();
    entry.id = 0;
    m_pending.append(entry);
    const bool written = flush();
    emit recorded(written ? m_lastWritten : entry);
    return written;
}

bool JournalRecorder::flush()
{
    if (m_pending.isEmpty()) {
        m_retry.stop();
        return true;
    }
    QVector<JournalEntry> batch = m_pending;
    QString error;
    if (m_store->append(batch, &error)) {
        m_pending.clear();
        m_lastWritten = batch.constLast();
        m_retry.stop();
        m_failing = false;
        m_lastError.clear();
        return true;
    }
    m_lastError = error;
    if (!m_retryOff && !m_retry.isActive())
        m_retry.start();
    if (!m_failing) {
        m_failing = true;
        if (m_report)
            m_report(failureMessage(error));
    }
    return false;
}

QVector<JournalEntry> JournalRecorder::entries(const JournalFilter &filter, QString *error)
{
    QVector<JournalEntry> result = m_store->entries(filter, error);
    bool added = false;
    for (const JournalEntry &e : m_pending) {
        if (filter.matches(e)) {
            result.append(e);
            added = true;
        }
    }
    if (added) {
        const bool newestFirst = filter.newestFirst;
        std::stable_sort(result.begin(), result.end(), [newestFirst](const JournalEntry &a, const JournalEntry &b) {
            return newestFirst ? b.timeUtc < a.timeUtc : a.timeUtc < b.timeUtc;
        });
    }
    return result;
}
