#include "Database.h"

#include "lang/Texts.h"
#include "platform/Error.h"
#include "ServerAddress.h"
#include "SqliteConnection.h"

#include <QDir>
#include <QHash>
#include <QSqlDriver>
#include <QTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVariant>

namespace TransferType {
QString parameterTable(const QString &type)
{
    if (type == DirLocal || type == DirNet || type == DirRede)
        return QStringLiteral("ZVRD_PATH");
    if (type == Ftp)
        return QStringLiteral("ZVRD_FTP");
    if (type == Serial)
        return QStringLiteral("ZVRD_SERIAL");
    return QString();
}
} // namespace TransferType

namespace {

// The fixed password of the Access/Jet machine databases.
const QString JetPassword = QStringLiteral("MOONRIVERSKY");

bool isAccessFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mdb") || suffix == QLatin1String("accdb");
}

QString databaseText(const char *id) { return Texts::extraOrEnglish(QLatin1String(id)); }

// The engine's own words; Qt's words around them ("Unable to fetch row") say nothing more.
QString engineText(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.driverText();
    if (text.isEmpty())
        text = error.text();
    return text.trimmed();
}

Error notConnected(const QString &file)
{
    if (file.trimmed().isEmpty())
        return Error(databaseText("Extra.DatabaseNotSet"));
    return Error(databaseText("Extra.DatabaseNotConnected").arg(file));
}

// A file deleted or replaced under an open connection still answers from the old
// file (reads) or refuses as "read-only" (writes): say what really happened instead.
void checkFileInPlace(const QSqlDatabase &db, const QString &file)
{
    if (file.isEmpty() || ServerAddress::isServerUrl(file))
        return;
    if (!QFileInfo::exists(file))
        throw Error(databaseText("Extra.DatabaseGone").arg(file));
    if (SqliteConnection::fileHasMoved(db))
        throw Error(databaseText("Extra.DatabaseReplaced").arg(file));
}

// Every failed statement names the file and, where the engine's code tells it,
// the reason in the user's language with the engine's words after it.
[[noreturn]] void fail(const QSqlDatabase &db, const QString &file, const QSqlError &error)
{
    checkFileInPlace(db, file);
    const QString engine = engineText(error);
    using SqliteConnection::Failure;
    Failure failure = SqliteConnection::classify(SqliteConnection::lastErrorCode(db));
    // An empty file or a database of another program: it has none of our tables.
    if (failure == Failure::Other && SqliteConnection::isSqlite(db)
        && engine.startsWith(QLatin1String("no such table")))
        failure = Failure::Damaged;
    switch (failure) {
    case Failure::Moved:
        throw Error(databaseText("Extra.DatabaseReplaced").arg(file));
    case Failure::ReadOnly:
        throw Error(databaseText("Extra.DatabaseReadOnly").arg(file, engine));
    case Failure::Locked:
        throw Error(databaseText("Extra.DatabaseLocked").arg(file, engine));
    case Failure::Damaged:
        throw Error(databaseText("Extra.DatabaseDamaged").arg(file, engine));
    case Failure::Other:
        break;
    }
    throw Error(databaseText("Extra.DatabaseError").arg(file, engine));
}

QSqlQuery runOn(const QSqlDatabase &db, const QString &file, const QString &sql, const QList<QVariant> &values)
{
    if (!db.isOpen())
        throw notConnected(file);
    checkFileInPlace(db, file);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(db, file, query.lastError());
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec())
        fail(db, file, query.lastError());
    return query;
}

// Passwords typed in this run, by server URL; only ever in memory.
QHash<QString, QString> &typedPasswords()
{
    static QHash<QString, QString> passwords;
    return passwords;
}

TDataModule1::PasswordPrompt &passwordPrompt()
{
    static TDataModule1::PasswordPrompt prompt;
    return prompt;
}

// libpq's words when the server wants a password and none was found.
bool needsPassword(const QString &engine)
{
    return engine.contains(QLatin1String("no password supplied")) || engine.contains(QLatin1String("fe_sendauth"));
}

Error serverUnreachable(const QString &setting, const QString &engine)
{
    return Error(databaseText("Extra.ServerUnreachable").arg(setting, engine));
}

// Opens a server connection: the password from libpq's own sources, else the one
// typed earlier in this run, else the user is asked once.
QSqlDatabase openServer(const QString &connectionName, const QString &setting)
{
    QString why;
    const std::optional<ServerAddress> address = ServerAddress::parse(setting, &why);
    if (!address)
        throw Error(databaseText("Extra.ServerBadUrl").arg(setting, why));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw Error(databaseText("Extra.ServerNoDriver").arg(setting));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(address->host);
    if (address->port > 0)
        db.setPort(address->port);
    db.setDatabaseName(address->database);
    db.setUserName(address->user);
    db.setConnectOptions(address->connectOptions());
    const auto typed = typedPasswords().constFind(setting);
    if (typed != typedPasswords().constEnd())
        db.setPassword(*typed);
    auto failed = [&](const QString &text) {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        return serverUnreachable(setting, text);
    };
    if (db.open())
        return db;
    QString text = engineText(db.lastError());
    if (typed != typedPasswords().constEnd()) {
        // The password typed earlier no longer works: ask again next time.
        typedPasswords().remove(setting);
        throw failed(text);
    }
    if (!needsPassword(text) || !passwordPrompt())
        throw failed(text);
    const QString user = address->user.isEmpty() ? QString::fromLocal8Bit(qgetenv("USER")) : address->user;
    const std::optional<QString> password = passwordPrompt()(user, address->serverName());
    if (!password)
        throw failed(text);
    db.setPassword(*password);
    if (!db.open())
        throw failed(engineText(db.lastError()));
    typedPasswords().insert(setting, *password);
    return db;
}
using Engine = TDataModule1::Engine;

// The pieces of statement text the engines need differently, one set per engine
// side by side; everything else is the same text on all of them.
struct EngineTexts
{
    // The order of the machine lists: letter case ignored for every letter, then
    // the text as stored, so that the order is total.
    const char *orderByNumber;
    // "column <like> ?": case ignored for every letter, "%" and "_" the only
    // special characters (no escape character: a backslash is a backslash).
    const char *like;
    // After the insert of statement 6: how the new ID_MAQUINA comes back.
    const char *returningId;
    // The machine rows of statements 1, 2 and 4: the columns in their positions,
    // the two dates by name as the local time's ISO text (the form SQLite stores),
    // so that reading thousands of rows makes no date objects.
    const char *selectMachines;
};

const EngineTexts SqliteTexts{
    "ORDER BY NUM_MAQUINA COLLATE ZVRD_NOCASE", // collation and like() of SqliteConnection
    "LIKE ?",
    "",
    "SELECT * ",
};
const EngineTexts PostgresTexts{
    "ORDER BY lower(NUM_MAQUINA) COLLATE \"C\", NUM_MAQUINA COLLATE \"C\"",
    "ILIKE ? ESCAPE ''",
    " RETURNING ID_MAQUINA",
    "SELECT ID_MAQUINA,NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,DIR_PROGRAMAS,"
    "to_char(DATA_CRIACAO,'YYYY-MM-DD\"T\"HH24:MI:SS.MS') AS DATA_CRIACAO,"
    "to_char(DATA_ALTERACAO,'YYYY-MM-DD\"T\"HH24:MI:SS.MS') AS DATA_ALTERACAO ",
};
// The Jet engine orders and compares text without letter case by itself.
const EngineTexts AccessTexts{"ORDER BY NUM_MAQUINA", "LIKE ?", "", "SELECT * "};

const EngineTexts &textsOf(Engine engine)
{
    switch (engine) {
    case Engine::Postgres: return PostgresTexts;
    case Engine::Access: return AccessTexts;
    default: return SqliteTexts;
    }
}

QString orderByNumber(Engine engine) { return QLatin1String(textsOf(engine).orderByNumber); }
QString like(Engine engine) { return QLatin1String(textsOf(engine).like); }
QString selectMachines(Engine engine) { return QLatin1String(textsOf(engine).selectMachines); }

// Dates as values of a statement. SQLite keeps the driver's ISO text of the local
// time. The server's TIMESTAMP(3) columns get the local wall time as text: a
// QDateTime would be turned into UTC and back by the session's time zone, which
// is the server's, not the workstation's.
const QString ServerDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

QVariant dateParam(Engine engine, const QDateTime &moment)
{
    if (engine == Engine::Postgres)
        return moment.toString(ServerDateFormat);
    return moment;
}

// A date as read back, the same local wall time it was written as.
QVariant dateRead(Engine engine, const QVariant &stored)
{
    if (engine == Engine::Postgres && stored.typeId() == QMetaType::QDateTime && !stored.isNull()) {
        const QDateTime d = stored.toDateTime();
        return QDateTime(d.date(), d.time());
    }
    return stored;
}

// The modification date read with a machine, as the value that matches it in a
// WHERE: the text it was read as (the server reads its ISO text as a timestamp).
QVariant versionParam(Engine engine, const QVariant &stored)
{
    if (engine == Engine::Postgres && stored.typeId() == QMetaType::QDateTime)
        return stored.toDateTime().toString(ServerDateFormat);
    return stored;
}

// Every change on a server is announced on this channel with the machine id.
const QString ChangeChannel = QStringLiteral("zavrin_machines");

QString idValue(const QString &id) { return id.trimmed(); }

QVariant idParam(const QString &id)
{
    bool ok = false;
    const qlonglong n = idValue(id).toLongLong(&ok);
    if (!ok)
        throw Error(QStringLiteral("Invalid machine id \"%1\".").arg(id));
    return n;
}

QString textAt(const QSqlQuery &q, int position)
{
    const QVariant v = q.value(position);
    return v.isNull() ? QString() : v.toString();
}

} // namespace

TDataModule1 &TDataModule1::instance()
{
    static TDataModule1 module;
    return module;
}

QSqlDatabase TDataModule1::openConnection(const QString &connectionName, const QString &databaseFile)
{
    if (QSqlDatabase::contains(connectionName)) {
        QSqlDatabase::database(connectionName, false).close();
        QSqlDatabase::removeDatabase(connectionName);
    }
    if (databaseFile.trimmed().isEmpty())
        throw notConnected(databaseFile);
    if (ServerAddress::isServerUrl(databaseFile))
        return openServer(connectionName, databaseFile.trimmed());
    if (!QFileInfo(databaseFile).isFile())
        throw Error(databaseText("Extra.DatabaseNotFound").arg(databaseFile));
    QSqlDatabase db;
    if (isAccessFile(databaseFile)) {
#ifdef Q_OS_WIN
        // Jet/Access files through the ODBC Access driver, shared, with the fixed password.
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName);
        db.setDatabaseName(QStringLiteral("Driver={Microsoft Access Driver (*.mdb, *.accdb)};DBQ=%1;PWD=%2;")
                               .arg(QDir::toNativeSeparators(databaseFile), JetPassword));
#else
        QSqlDatabase::removeDatabase(connectionName);
        throw Error(QStringLiteral("'%1': Access databases can only be opened on Windows.").arg(databaseFile));
#endif
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        // mode=rw: a missing file is an error, never created.
        db.setDatabaseName(QUrl::fromLocalFile(QFileInfo(databaseFile).absoluteFilePath()).toString(QUrl::FullyEncoded)
                           + QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
    }
    if (!db.open()) {
        const QString text = engineText(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw Error(databaseText("Extra.DatabaseError").arg(databaseFile, text));
    }
    SqliteConnection::registerUnicodeCase(db);
    return db;
}

QVariant TDataModule1::dateValue(Engine engine, const QDateTime &moment) { return dateParam(engine, moment); }

QVariant TDataModule1::dateRead(Engine engine, const QVariant &stored) { return ::dateRead(engine, stored); }

TDataModule1::Engine TDataModule1::engineOf(const QSqlDatabase &db)
{
    if (!db.isValid())
        return Engine::None;
    const QString driver = db.driverName();
    if (driver == QLatin1String("QPSQL"))
        return Engine::Postgres;
    if (driver == QLatin1String("QODBC"))
        return Engine::Access;
    return Engine::Sqlite;
}

void TDataModule1::setPasswordPrompt(PasswordPrompt prompt) { passwordPrompt() = std::move(prompt); }

void TDataModule1::forgetPasswords() { typedPasswords().clear(); }

void TDataModule1::setChangeListener(std::function<void(const QString &)> listener)
{
    m_listener = std::move(listener);
}

void TDataModule1::DataModuleCreate(const QString &databaseFile)
{
    m_file = databaseFile.trimmed().isEmpty() || !ServerAddress::isServerUrl(databaseFile) ? databaseFile
                                                                                          : databaseFile.trimmed();
    // A server that cannot be reached now is tried again by every later action.
    m_connectFailedThisTurn = false;
    m_engine = ServerAddress::isServerUrl(m_file) ? Engine::Postgres : Engine::None;
    QSqlDatabase opened;
    try {
        opened = openConnection(QLatin1String(MainConnection), m_file);
    } catch (const Error &e) {
        if (m_engine == Engine::Postgres) {
            // The lists that start-up opens next fail at once with this error.
            m_connectFailedThisTurn = true;
            m_connectError = e.message();
            QTimer::singleShot(0, [this] { m_connectFailedThisTurn = false; });
        }
        throw;
    }
    m_engine = engineOf(opened);
    listen();
}

// Other workstations' changes arrive as notifications on the main connection;
// the subscription ends with the connection, so every connect renews it.
void TDataModule1::listen()
{
    if (m_engine != Engine::Postgres)
        return;
    QSqlDriver *driver = db().driver();
    if (!driver || driver->subscribedToNotifications().contains(ChangeChannel))
        return;
    if (!driver->subscribeToNotification(ChangeChannel))
        return; // the lists then refresh only on this workstation's own actions
    QObject::disconnect(driver, &QSqlDriver::notification, nullptr, nullptr);
    QObject::connect(driver, &QSqlDriver::notification, driver,
                     [this](const QString &name, QSqlDriver::NotificationSource source, const QVariant &payload) {
                         if (name == ChangeChannel && source != QSqlDriver::SelfSource && m_listener)
                             m_listener(payload.toString());
                     });
}

// Tells the other workstations; a change already made stays made when this fails.
void TDataModule1::announce(const QVariant &machineId)
{
    if (m_engine != Engine::Postgres)
        return;
    QSqlQuery q(db());
    if (q.prepare(QStringLiteral("SELECT pg_notify(?, ?)"))) {
        q.addBindValue(ChangeChannel);
        q.addBindValue(machineId.toString());
        q.exec();
    }
}

void TDataModule1::reconnectServer(const QString &reason)
{
    auto lost = [&](const QString &connectError) {
        return reason.isEmpty() ? Error(connectError)
                                : Error(databaseText("Extra.ServerConnectionLost").arg(m_file, reason));
    };
    if (m_connectFailedThisTurn)
        throw lost(m_connectError);
    {
        // The same connection again first: it keeps the password it was given.
        QSqlDatabase d = db();
        if (d.isValid()) {
            d.close();
            if (d.open()) {
                listen();
                return;
            }
        }
    }
    try {
        openConnection(QLatin1String(MainConnection), m_file);
    } catch (const Error &e) {
        m_connectFailedThisTurn = true;
        m_connectError = e.message();
        QTimer::singleShot(0, [this] { m_connectFailedThisTurn = false; });
        throw lost(e.message());
    }
    listen();
}

QSqlQuery TDataModule1::run(const QString &sql, const QList<QVariant> &values, Kind kind)
{
    if (m_engine == Engine::Postgres)
        return runOnServer(sql, values, kind);
    return runOn(db(), m_file, sql, values);
}

// A server connection can break between two actions (the server restarted, the
// network dropped): a read is run again on a new connection; a change is preceded
// by a trial read, so that it never runs on a connection that may already be gone.
QSqlQuery TDataModule1::runOnServer(const QString &sql, const QList<QVariant> &values, Kind kind)
{
    if (!QSqlDatabase::contains(QLatin1String(MainConnection)) || !db().isOpen())
        reconnectServer(QString());
    if (kind == Kind::Write) {
        QString lost;
        {
            QSqlQuery probe(db());
            if (!probe.exec(QStringLiteral("SELECT 1")) && !db().isOpen())
                lost = engineText(probe.lastError());
        }
        if (!lost.isEmpty())
            reconnectServer(lost);
    }
    for (int attempt = 0;; ++attempt) {
        QString text;
        {
            QSqlDatabase d = db();
            QSqlQuery query(d);
            query.setForwardOnly(true);
            bool ok = query.prepare(sql);
            if (ok) {
                for (const QVariant &v : values)
                    query.addBindValue(v);
                ok = query.exec();
            }
            if (ok)
                return query;
            text = engineText(query.lastError());
            // libpq tells a broken connection by its state; anything else is the statement's own failure.
            if (d.isOpen())
                throw Error(databaseText("Extra.DatabaseError").arg(m_file, text));
        }
        if (kind == Kind::Write || attempt > 0) {
            reconnectServer(text); // for the next action; throws when the server is still away
            throw Error(databaseText("Extra.ServerConnectionLost").arg(m_file, text));
        }
        reconnectServer(text);
    }
}

bool TDataModule1::isOpen() const
{
    return QSqlDatabase::contains(QLatin1String(MainConnection)) && db().isOpen();
}

QSqlDatabase TDataModule1::db() const { return QSqlDatabase::database(QLatin1String(MainConnection), false); }

void TDataModule1::trialConnection(const QString &databaseFile)
{
    const QString name = QLatin1String(TrialConnection);
    struct Closer
    {
        QString name;
        ~Closer()
        {
            if (QSqlDatabase::contains(name)) {
                QSqlDatabase::database(name, false).close();
                QSqlDatabase::removeDatabase(name);
            }
        }
    } closer{name};
    {
        QSqlDatabase db = openConnection(name, databaseFile);
        // Query30: any read of the machine table proves the file is a machine database.
        QSqlQuery q = runOn(db, databaseFile, QStringLiteral("SELECT * FROM ZVRD_MAQUINAS WHERE 1=0"), {});
        q.finish();
    }
}

QList<MachineRecord> TDataModule1::readMachines(const QString &sql, const QList<QVariant> &values)
{
    QSqlQuery q = run(sql, values, Kind::Read);
    QList<MachineRecord> rows;
    const QSqlRecord rec = q.record();
    const int created = rec.indexOf(QStringLiteral("DATA_CRIACAO"));
    const int changed = rec.indexOf(QStringLiteral("DATA_ALTERACAO"));
    while (q.next()) {
        MachineRecord m;
        m.id = textAt(q, 0);
        m.number = textAt(q, 1);
        m.description = textAt(q, 2);
        m.transferType = textAt(q, 3);
        m.pictureId = textAt(q, 4);
        m.programDirectory = textAt(q, 5);
        if (created >= 0)
            m.created = ::dateRead(m_engine, q.value(created));
        if (changed >= 0)
            m.changed = ::dateRead(m_engine, q.value(changed));
        rows.append(m);
    }
    return rows;
}

QList<MachineRecord> TDataModule1::allMachines()
{
    return readMachines(selectMachines(m_engine) + QStringLiteral("\nFROM ZVRD_MAQUINAS\n") + orderByNumber(m_engine), {});
}

QList<MachineRecord> TDataModule1::filteredMachines(const QString &nameFilter, const QString &numberFilter)
{
    // The typed texts are bound as LIKE patterns: "%" and "_" stay wildcards, and a
    // double quote is an ordinary character.
    QString sql = selectMachines(m_engine) + QStringLiteral("\nFROM ZVRD_MAQUINAS\nWHERE 1=1");
    QList<QVariant> values;
    const QString name = nameFilter.trimmed();
    const QString number = numberFilter.trimmed();
    if (!name.isEmpty()) {
        sql += QStringLiteral("\nAND DSC_MAQUINA ") + like(m_engine);
        values << QVariant(QLatin1Char('%') + name + QLatin1Char('%'));
    }
    if (!number.isEmpty()) {
        sql += QStringLiteral("\nAND NUM_MAQUINA ") + like(m_engine);
        values << QVariant(QLatin1Char('%') + number + QLatin1Char('%'));
    }
    sql += QLatin1Char('\n') + orderByNumber(m_engine);
    return readMachines(sql, values);
}

QList<MachineRecord> TDataModule1::machinesMatching(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return allMachines();
    const QVariant pattern(QLatin1Char('%') + t + QLatin1Char('%'));
    return readMachines(selectMachines(m_engine) + QStringLiteral("\nFROM ZVRD_MAQUINAS\nWHERE (DSC_MAQUINA %1 OR NUM_MAQUINA %1)\n")
                                .arg(like(m_engine))
                            + orderByNumber(m_engine),
                        {pattern, pattern});
}

bool TDataModule1::deleteMachine(const QString &id)
{
    const QVariant key = idParam(id);
    const QSqlQuery q = run(QStringLiteral("DELETE FROM ZVRD_MAQUINAS\nWHERE ID_MAQUINA=?"), {key}, Kind::Write);
    const bool deleted = q.numRowsAffected() > 0;
    if (deleted)
        announce(key);
    return deleted;
}

std::optional<MachineRecord> TDataModule1::loadMachine(const QString &id)
{
    const QList<MachineRecord> rows =
        readMachines(selectMachines(m_engine) + QStringLiteral("FROM ZVRD_MAQUINAS\nWHERE ID_MAQUINA=?"), {idParam(id)});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

bool TDataModule1::hasParameterRow(const QString &table, const QString &id)
{
    if (table.isEmpty())
        return false;
    QSqlQuery q = run(QStringLiteral("SELECT * FROM %1\nWHERE ID_MAQUINA=?").arg(table), {idParam(id)}, Kind::Read);
    return q.next();
}

PathParameters TDataModule1::loadPathParameters(const QString &id)
{
    QSqlQuery q = run(QStringLiteral("SELECT * FROM ZVRD_PATH\nWHERE ID_MAQUINA=?"), {idParam(id)}, Kind::Read);
    PathParameters p;
    if (q.next())
        p.directory = textAt(q, 2);
    return p;
}

FtpParameters TDataModule1::loadFtpParameters(const QString &id)
{
    QSqlQuery q = run(QStringLiteral("SELECT * FROM ZVRD_FTP\nWHERE ID_MAQUINA=?"), {idParam(id)}, Kind::Read);
    FtpParameters p;
    if (q.next()) {
        p.directory = textAt(q, 2);
        p.host = textAt(q, 3);
        p.user = textAt(q, 4);
        p.password = textAt(q, 5);
        p.port = textAt(q, 6);
    }
    return p;
}

SerialParameters TDataModule1::loadSerialParameters(const QString &id)
{
    QSqlQuery q = run(QStringLiteral("SELECT * FROM ZVRD_SERIAL\nWHERE ID_MAQUINA=?"), {idParam(id)}, Kind::Read);
    SerialParameters p;
    if (q.next()) {
        p.speed = q.value(2).toInt();
        p.dataBits = q.value(3).toInt();
        p.parity = q.value(4).toInt();
        p.stopBits = q.value(5).toInt();
        p.crLf = q.value(6).toInt();
        p.flow = q.value(7).toInt();
        p.port = textAt(q, 8);
    }
    return p;
}

QString TDataModule1::insertMachine(const MachineRecord &m)
{
    const QVariant now = dateParam(m_engine, QDateTime::currentDateTime());
    QSqlQuery q = run(QStringLiteral("INSERT INTO ZVRD_MAQUINAS (NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,"
                                     "DIR_PROGRAMAS,DATA_CRIACAO,DATA_ALTERACAO) VALUES (?,?,?,?,?,?,?)")
                          + QLatin1String(textsOf(m_engine).returningId),
                      {m.number, m.description, m.transferType, m.pictureId.toInt(), m.programDirectory, now, now},
                      Kind::Write);
    QVariant id;
    if (m_engine == Engine::Postgres && q.next())
        id = q.value(0);
    else
        id = q.lastInsertId();
    if (!id.isValid()) {
        QSqlQuery identity = run(QStringLiteral("SELECT @@IDENTITY"), {}, Kind::Read);
        if (identity.next())
            id = identity.value(0);
    }
    announce(id);
    return id.toString();
}

bool TDataModule1::updateMachine(const MachineRecord &m)
{
    const QVariant key = idParam(m.id);
    const QSqlQuery q = run(
        QStringLiteral("UPDATE ZVRD_MAQUINAS\nSET NUM_MAQUINA=?,\nDSC_MAQUINA=?,\nTIPO_TRANSFER=?,\nID_IMAGEM=?,\n"
                       "DATA_ALTERACAO=?,\nDIR_PROGRAMAS=?\nWHERE ID_MAQUINA=?"),
        {m.number, m.description, m.transferType, m.pictureId.toInt(),
         dateParam(m_engine, QDateTime::currentDateTime()), m.programDirectory, key},
        Kind::Write);
    const bool updated = q.numRowsAffected() > 0;
    if (updated)
        announce(key);
    return updated;
}

TDataModule1::UpdateOutcome TDataModule1::updateMachineIfUnchanged(const MachineRecord &m)
{
    const QVariant key = idParam(m.id);
    // The new date always differs from the one checked, even within one
    // millisecond or with clocks apart, so that the next check sees this change.
    QDateTime now = QDateTime::currentDateTime();
    const QDateTime loaded = m.changed.toDateTime();
    if (loaded.isValid() && now.toString(ServerDateFormat) == loaded.toString(ServerDateFormat))
        now = now.addMSecs(1);
    const bool noDate = m.changed.isNull() || (m.changed.typeId() == QMetaType::QString && m.changed.toString().isEmpty());
    QString sql = QStringLiteral("UPDATE ZVRD_MAQUINAS\nSET NUM_MAQUINA=?,\nDSC_MAQUINA=?,\nTIPO_TRANSFER=?,\nID_IMAGEM=?,\n"
                                 "DATA_ALTERACAO=?,\nDIR_PROGRAMAS=?\nWHERE ID_MAQUINA=?");
    QList<QVariant> values{m.number, m.description, m.transferType, m.pictureId.toInt(), dateParam(m_engine, now),
                           m.programDirectory, key};
    if (noDate) {
        sql += QStringLiteral("\nAND DATA_ALTERACAO IS NULL");
    } else {
        sql += QStringLiteral("\nAND DATA_ALTERACAO=?");
        values << versionParam(m_engine, m.changed);
    }
    const QSqlQuery q = run(sql, values, Kind::Write);
    if (q.numRowsAffected() > 0) {
        announce(key);
        return UpdateOutcome::Updated;
    }
    return loadMachine(m.id) ? UpdateOutcome::ChangedElsewhere : UpdateOutcome::Gone;
}

void TDataModule1::insertPathParameters(const QString &id, const PathParameters &p)
{
    run(QStringLiteral("INSERT INTO ZVRD_PATH\n(ID_MAQUINA,PATH_DIR)\nVALUES(?,\n?)"), {idParam(id), p.directory}, Kind::Write);
    announce(idParam(id));
}

void TDataModule1::insertFtpParameters(const QString &id, const FtpParameters &p)
{
    run(QStringLiteral("INSERT INTO ZVRD_FTP\n(ID_MAQUINA,FTP_DIR,FTP_HOST,FTP_USER,FTP_PASSWORD,FTP_PORT)\n"
                       "VALUES(?,\n?,\n?,\n?,\n?,\n?)"),
        {idParam(id), p.directory, p.host, p.user, p.password, p.port}, Kind::Write);
    announce(idParam(id));
}

void TDataModule1::insertSerialParameters(const QString &id, const SerialParameters &p)
{
    run(QStringLiteral("INSERT INTO ZVRD_SERIAL\n(ID_MAQUINA,SERIAL_VELOCIDADE,SERIAL_BIT_DADOS,SERIAL_PARIDADE,"
                       "SERIAL_BIT_PARADA,SERIAL_CR_LF,SERIAL_FLUXO,SERIAL_PORTA)\nVALUES(?,?,?,?,?,?,?,?)"),
        {idParam(id), p.speed, p.dataBits, p.parity, p.stopBits, p.crLf, p.flow, p.port}, Kind::Write);
    announce(idParam(id));
}

void TDataModule1::updatePathParameters(const QString &id, const PathParameters &p)
{
    run(QStringLiteral("UPDATE ZVRD_PATH\nSET PATH_DIR=?\nWHERE ID_MAQUINA=?"), {p.directory, idParam(id)}, Kind::Write);
    announce(idParam(id));
}

void TDataModule1::updateFtpParameters(const QString &id, const FtpParameters &p)
{
    run(QStringLiteral("UPDATE ZVRD_FTP\nSET FTP_DIR=?,\nFTP_HOST=?,\nFTP_USER=?,\nFTP_PASSWORD=?,\nFTP_PORT=?\n"
                       "WHERE ID_MAQUINA=?"),
        {p.directory, p.host, p.user, p.password, p.port, idParam(id)}, Kind::Write);
    announce(idParam(id));
}

void TDataModule1::updateSerialParameters(const QString &id, const SerialParameters &p)
{
    run(QStringLiteral("UPDATE ZVRD_SERIAL\nSET SERIAL_VELOCIDADE=?,\nSERIAL_BIT_DADOS=?,\nSERIAL_PARIDADE=?,\n"
                       "SERIAL_BIT_PARADA=?,\nSERIAL_CR_LF=?,\nSERIAL_FLUXO=?,\nSERIAL_PORTA=?\nWHERE ID_MAQUINA=?"),
        {p.speed, p.dataBits, p.parity, p.stopBits, p.crLf, p.flow, p.port, idParam(id)}, Kind::Write);
    announce(idParam(id));
}
