#include "JournalStore.h"

#include "JournalWords.h"
#include "machines/SqliteConnection.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QAtomicInt g_connectionCounter;

QString sqlReason(const QSqlError &error)
{
    const QString driverText = error.driverText().trimmed();
    const QString databaseText = error.databaseText().trimmed();
    if (databaseText.isEmpty())
        return driverText.isEmpty() ? QStringLiteral("unknown database error") : driverText;
    return databaseText;
}

QVariant textOrNull(const QString &text) { return text.isNull() ? QVariant(QString()) : QVariant(text); }

} // namespace

bool JournalFilter::matches(const JournalEntry &e) const
{
    if (!machineNumber.isEmpty() && e.machineNumber.trimmed().compare(machineNumber.trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    if (medium && e.medium != *medium)
        return false;
    if (outcome && e.outcome != *outcome)
        return false;
    if (fromUtc.isValid() && e.timeUtc < fromUtc)
        return false;
    if (toUtc.isValid() && !(e.timeUtc < toUtc))
        return false;
    if (!fileText.isEmpty() && !e.localPath.contains(fileText, Qt::CaseInsensitive)
        && !e.remote.contains(fileText, Qt::CaseInsensitive))
        return false;
    return true;
}

JournalStore::JournalStore(Location location)
    : m_location(std::move(location)),
      m_connectionName(QStringLiteral("zavrin-journal-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1)))
{
    JournalSql::Engine engine;
    m_knownEngine = JournalSql::engineForDriver(m_location.driver, &engine);
    if (m_knownEngine)
        m_sql = JournalSql::forEngine(engine);
}

JournalStore::~JournalStore() { close(); }

QString JournalStore::displayName() const
{
    if (m_location.driver == QLatin1String("QSQLITE"))
        return QDir::toNativeSeparators(m_location.database);
    if (m_location.host.isEmpty())
        return QStringLiteral("\"%1\"").arg(m_location.database);
    return m_location.port > 0 ? QStringLiteral("%1:%2/%3").arg(m_location.host).arg(m_location.port).arg(m_location.database)
                               : QStringLiteral("%1/%2").arg(m_location.host, m_location.database);
}

QString JournalStore::failure(const QString &what, const QString &reason) const
{
    return QStringLiteral("%1 %2: %3").arg(what, displayName(), reason);
}

bool JournalStore::isOpen() const { return m_open; }

void JournalStore::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_open = false;
}

bool JournalStore::open(QString *error)
{
    close();
    if (!m_location.invalid.isEmpty()) {
        *error = failure(QStringLiteral("Cannot open the journal"), m_location.invalid);
        return false;
    }
    if (!m_knownEngine) {
        *error = failure(QStringLiteral("Cannot open the journal"),
                         QStringLiteral("the database driver \"%1\" is not one the journal knows").arg(m_location.driver));
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(m_location.driver)) {
        *error = failure(QStringLiteral("Cannot open the journal"),
                         QStringLiteral("the database driver \"%1\" is not installed").arg(m_location.driver));
        return false;
    }
    const bool sqlite = m_location.driver == QLatin1String("QSQLITE");
    if (sqlite) {
        const QFileInfo file(m_location.database);
        if (m_location.database.isEmpty() || file.isDir()) {
            *error = failure(QStringLiteral("Cannot open the journal"), QStringLiteral("no file is named"));
            return false;
        }
        if (m_location.readOnly && !file.exists()) {
            *error = failure(QStringLiteral("Cannot open the journal"),
                             QStringLiteral("the file does not exist (no transfer has been recorded there yet)"));
            return false;
        }
        if (!file.absoluteDir().exists()) {
            *error = failure(QStringLiteral("Cannot open the journal"),
                             QStringLiteral("the folder %1 does not exist")
                                 .arg(QDir::toNativeSeparators(file.absolutePath())));
            return false;
        }
    }
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(m_location.driver, m_connectionName);
        db.setDatabaseName(m_location.database);
        if (!m_location.host.isEmpty())
            db.setHostName(m_location.host);
        if (m_location.port > 0)
            db.setPort(m_location.port);
        if (!m_location.user.isEmpty())
            db.setUserName(m_location.user);
        if (!m_location.password.isEmpty())
            db.setPassword(m_location.password);
        if (sqlite)
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1%2")
                                     .arg(BusyTimeoutMs)
                                     .arg(m_location.readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
        else if (m_location.driver == QLatin1String("QPSQL"))
            db.setConnectOptions(m_location.connectOptions.isEmpty() ? QStringLiteral("connect_timeout=5")
                                                                     : m_location.connectOptions);
        if (!db.open()) {
            *error = failure(QStringLiteral("Cannot open the journal"), sqlReason(db.lastError()));
        } else {
            ok = true;
            QSqlQuery query(db);
            for (const QString &statement : m_location.readOnly ? QStringList() : m_sql.createStatements) {
                if (!query.exec(statement)) {
                    *error = failure(QStringLiteral("Cannot prepare the journal"), sqlReason(query.lastError()));
                    ok = false;
                    break;
                }
            }
        }
    }
    if (!ok) {
        close();
        return false;
    }
    m_open = true;
    return true;
}

bool JournalStore::ensureOpen(QString *error)
{
    if (m_open) {
        // A journal file deleted or replaced while the program runs would swallow every
        // later entry into the old, unlinked file: open the file at the path again.
        const QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (!SqliteConnection::fileHasMoved(db))
            return true;
    }
    return open(error);
}

QString JournalStore::timeText(const QDateTime &moment)
{
    return moment.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('Z');
}

QDateTime JournalStore::timeFromText(const QString &text)
{
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    return t.isValid() ? t.toUTC() : t;
}

bool JournalStore::append(JournalEntry &entry, QString *error)
{
    QVector<JournalEntry> one{entry};
    if (!append(one, error))
        return false;
    entry.id = one.first().id;
    return true;
}

bool JournalStore::append(QVector<JournalEntry> &entries, QString *error)
{
    if (entries.isEmpty())
        return true;
    if (m_location.readOnly) {
        *error = failure(QStringLiteral("Cannot write to the journal"), QStringLiteral("it was opened only to be read"));
        return false;
    }
    if (!ensureOpen(error))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.transaction()) {
        *error = failure(QStringLiteral("Cannot write to the journal"), sqlReason(db.lastError()));
        // A server that went away leaves a connection that only fails: the next try connects anew.
        db = QSqlDatabase();
        close();
        return false;
    }
    QVector<qint64> ids;
    ids.reserve(entries.size());
    bool ok = true;
    QString reason;
    {
        QSqlQuery query(db);
        if (!query.prepare(m_sql.insert)) {
            ok = false;
            reason = sqlReason(query.lastError());
        }
        for (const JournalEntry &e : entries) {
            if (!ok)
                break;
            query.addBindValue(timeText(e.timeUtc));
            query.addBindValue(textOrNull(e.workstation));
            query.addBindValue(textOrNull(e.user));
            query.addBindValue(textOrNull(e.machineId));
            query.addBindValue(textOrNull(e.machineNumber));
            query.addBindValue(textOrNull(e.machineDescription));
            query.addBindValue(JournalWords::keyword(e.medium));
            query.addBindValue(JournalWords::keyword(e.direction));
            query.addBindValue(textOrNull(e.localPath));
            query.addBindValue(textOrNull(e.remote));
            query.addBindValue(e.bytes < 0 ? QVariant(QMetaType(QMetaType::LongLong)) : QVariant(e.bytes));
            query.addBindValue(textOrNull(e.sha256));
            query.addBindValue(JournalWords::keyword(e.outcome));
            query.addBindValue(textOrNull(e.error));
            query.addBindValue(textOrNull(e.notice));
            if (!query.exec()) {
                ok = false;
                reason = sqlReason(query.lastError());
                break;
            }
            qint64 id = 0;
            if (m_sql.insertReturnsId) {
                if (query.next())
                    id = query.value(0).toLongLong();
            } else {
                id = query.lastInsertId().toLongLong();
            }
            ids.append(id);
        }
    }
    if (ok && !db.commit()) {
        ok = false;
        reason = sqlReason(db.lastError());
    }
    if (!ok) {
        db.rollback();
        *error = failure(QStringLiteral("Cannot write to the journal"), reason);
        // The next try opens the file anew: a connection that found the file
        // write-protected stays read-only even once the file is writable again.
        db = QSqlDatabase();
        close();
        return false;
    }
    for (qsizetype i = 0; i < entries.size(); ++i)
        entries[i].id = ids.value(i);
    return true;
}

QVector<JournalEntry> JournalStore::entries(const JournalFilter &filter, QString *error)
{
    QVector<JournalEntry> result;
    error->clear();
    if (!ensureOpen(error))
        return result;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QStringList conditions;
    QVariantList values;
    if (!filter.machineNumber.trimmed().isEmpty()) {
        // Upper case on both sides: the same in every engine for the letters machine
        // numbers are written with; matches() below decides for the others.
        conditions << QStringLiteral("UPPER(NUM_MAQUINA) = UPPER(?)");
        values << filter.machineNumber.trimmed();
    }
    if (filter.medium) {
        conditions << QStringLiteral("MEDIUM = ?");
        values << JournalWords::keyword(*filter.medium);
    }
    if (filter.outcome) {
        conditions << QStringLiteral("OUTCOME = ?");
        values << JournalWords::keyword(*filter.outcome);
    }
    if (filter.fromUtc.isValid()) {
        conditions << QStringLiteral("TIME_UTC >= ?");
        values << timeText(filter.fromUtc);
    }
    if (filter.toUtc.isValid()) {
        conditions << QStringLiteral("TIME_UTC < ?");
        values << timeText(filter.toUtc);
    }
    QString statement = m_sql.select;
    if (!conditions.isEmpty())
        statement += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    statement += filter.newestFirst ? QStringLiteral(" ORDER BY TIME_UTC DESC, ID_ENTRY DESC")
                                    : QStringLiteral(" ORDER BY TIME_UTC, ID_ENTRY");
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement)) {
        *error = failure(QStringLiteral("Cannot read the journal"), sqlReason(query.lastError()));
        query = QSqlQuery();
        db = QSqlDatabase();
        close();
        return result;
    }
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        *error = failure(QStringLiteral("Cannot read the journal"), sqlReason(query.lastError()));
        // The next read connects anew (a server restarted meanwhile).
        query = QSqlQuery();
        db = QSqlDatabase();
        close();
        return result;
    }
    while (query.next()) {
        JournalEntry e;
        e.id = query.value(0).toLongLong();
        e.timeUtc = timeFromText(query.value(1).toString());
        e.workstation = query.value(2).toString();
        e.user = query.value(3).toString();
        e.machineId = query.value(4).toString();
        e.machineNumber = query.value(5).toString();
        e.machineDescription = query.value(6).toString();
        e.medium = JournalWords::mediumFromKeyword(query.value(7).toString()).value_or(JournalEntry::Medium::Directory);
        e.direction =
            JournalWords::directionFromKeyword(query.value(8).toString()).value_or(JournalEntry::Direction::Send);
        e.localPath = query.value(9).toString();
        e.remote = query.value(10).toString();
        e.bytes = query.value(11).isNull() ? -1 : query.value(11).toLongLong();
        e.sha256 = query.value(12).toString();
        // An outcome written by a later version reads as a failure, never as a success.
        e.outcome = JournalWords::outcomeFromKeyword(query.value(13).toString()).value_or(JournalEntry::Outcome::Failed);
        e.error = query.value(14).toString();
        e.notice = query.value(15).toString();
        if (filter.matches(e))
            result.append(e);
    }
    if (query.lastError().isValid()) {
        *error = failure(QStringLiteral("Cannot read the journal"), sqlReason(query.lastError()));
        result.clear();
    }
    return result;
}
