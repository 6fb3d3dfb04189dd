#include "DatabaseSchema.h"

#include "Database.h"
#include "ServerAddress.h"
#include "platform/Error.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

using Engine = TDataModule1::Engine;

// The same four tables, columns and order on both engines; the column types
// are each engine's own words for them. The dates keep milliseconds on the server
// as the SQLite file keeps them in its text.
const char *const SqliteTables[] = {
    "CREATE TABLE ZVRD_MAQUINAS ("
    " ID_MAQUINA INTEGER PRIMARY KEY AUTOINCREMENT,"
    " NUM_MAQUINA TEXT,"
    " DSC_MAQUINA TEXT,"
    " TIPO_TRANSFER TEXT,"
    " ID_IMAGEM INTEGER,"
    " DIR_PROGRAMAS TEXT,"
    " DATA_CRIACAO DATETIME,"
    " DATA_ALTERACAO DATETIME)",
    "CREATE TABLE ZVRD_PATH ("
    " ID_MAQUINA INTEGER,"
    " ID_PATH INTEGER PRIMARY KEY AUTOINCREMENT,"
    " PATH_DIR TEXT)",
    "CREATE TABLE ZVRD_FTP ("
    " ID_MAQUINA INTEGER,"
    " ID_FTP INTEGER PRIMARY KEY AUTOINCREMENT,"
    " FTP_DIR TEXT,"
    " FTP_HOST TEXT,"
    " FTP_USER TEXT,"
    " FTP_PASSWORD TEXT,"
    " FTP_PORT TEXT)",
    "CREATE TABLE ZVRD_SERIAL ("
    " ID_MAQUINA INTEGER,"
    " ID_SERIAL INTEGER PRIMARY KEY AUTOINCREMENT,"
    " SERIAL_VELOCIDADE INTEGER,"
    " SERIAL_BIT_DADOS INTEGER,"
    " SERIAL_PARIDADE INTEGER,"
    " SERIAL_BIT_PARADA INTEGER,"
    " SERIAL_CR_LF INTEGER,"
    " SERIAL_FLUXO INTEGER,"
    " SERIAL_PORTA TEXT)",
    "CREATE INDEX IDX_MAQUINAS_NUM ON ZVRD_MAQUINAS (NUM_MAQUINA)",
    "CREATE INDEX IDX_PATH_MAQ ON ZVRD_PATH (ID_MAQUINA)",
    "CREATE INDEX IDX_FTP_MAQ ON ZVRD_FTP (ID_MAQUINA)",
    "CREATE INDEX IDX_SERIAL_MAQ ON ZVRD_SERIAL (ID_MAQUINA)",
};
const char *const PostgresTables[] = {
    "CREATE TABLE ZVRD_MAQUINAS ("
    " ID_MAQUINA SERIAL PRIMARY KEY,"
    " NUM_MAQUINA TEXT,"
    " DSC_MAQUINA TEXT,"
    " TIPO_TRANSFER TEXT,"
    " ID_IMAGEM INTEGER,"
    " DIR_PROGRAMAS TEXT,"
    " DATA_CRIACAO TIMESTAMP(3),"
    " DATA_ALTERACAO TIMESTAMP(3))",
    "CREATE TABLE ZVRD_PATH ("
    " ID_MAQUINA INTEGER,"
    " ID_PATH SERIAL PRIMARY KEY,"
    " PATH_DIR TEXT)",
    "CREATE TABLE ZVRD_FTP ("
    " ID_MAQUINA INTEGER,"
    " ID_FTP SERIAL PRIMARY KEY,"
    " FTP_DIR TEXT,"
    " FTP_HOST TEXT,"
    " FTP_USER TEXT,"
    " FTP_PASSWORD TEXT,"
    " FTP_PORT TEXT)",
    "CREATE TABLE ZVRD_SERIAL ("
    " ID_MAQUINA INTEGER,"
    " ID_SERIAL SERIAL PRIMARY KEY,"
    " SERIAL_VELOCIDADE INTEGER,"
    " SERIAL_BIT_DADOS INTEGER,"
    " SERIAL_PARIDADE INTEGER,"
    " SERIAL_BIT_PARADA INTEGER,"
    " SERIAL_CR_LF INTEGER,"
    " SERIAL_FLUXO INTEGER,"
    " SERIAL_PORTA TEXT)",
    "CREATE INDEX IDX_MAQUINAS_NUM ON ZVRD_MAQUINAS (NUM_MAQUINA)",
    "CREATE INDEX IDX_PATH_MAQ ON ZVRD_PATH (ID_MAQUINA)",
    "CREATE INDEX IDX_FTP_MAQ ON ZVRD_FTP (ID_MAQUINA)",
    "CREATE INDEX IDX_SERIAL_MAQ ON ZVRD_SERIAL (ID_MAQUINA)",
};

// The tables with their columns in order, the key first.
struct TableColumns
{
    const char *table;
    const char *key;
    QStringList columns;
};

const QList<TableColumns> &registerTables()
{
    static const QList<TableColumns> tables{
        {"ZVRD_MAQUINAS", "ID_MAQUINA",
         {QStringLiteral("ID_MAQUINA"), QStringLiteral("NUM_MAQUINA"), QStringLiteral("DSC_MAQUINA"),
          QStringLiteral("TIPO_TRANSFER"), QStringLiteral("ID_IMAGEM"), QStringLiteral("DIR_PROGRAMAS"),
          QStringLiteral("DATA_CRIACAO"), QStringLiteral("DATA_ALTERACAO")}},
        {"ZVRD_PATH", "ID_PATH", {QStringLiteral("ID_PATH"), QStringLiteral("ID_MAQUINA"), QStringLiteral("PATH_DIR")}},
        {"ZVRD_FTP", "ID_FTP",
         {QStringLiteral("ID_FTP"), QStringLiteral("ID_MAQUINA"), QStringLiteral("FTP_DIR"), QStringLiteral("FTP_HOST"),
          QStringLiteral("FTP_USER"), QStringLiteral("FTP_PASSWORD"), QStringLiteral("FTP_PORT")}},
        {"ZVRD_SERIAL", "ID_SERIAL",
         {QStringLiteral("ID_SERIAL"), QStringLiteral("ID_MAQUINA"), QStringLiteral("SERIAL_VELOCIDADE"),
          QStringLiteral("SERIAL_BIT_DADOS"), QStringLiteral("SERIAL_PARIDADE"), QStringLiteral("SERIAL_BIT_PARADA"),
          QStringLiteral("SERIAL_CR_LF"), QStringLiteral("SERIAL_FLUXO"), QStringLiteral("SERIAL_PORTA")}},
    };
    return tables;
}

bool isDateColumn(const QString &column) { return column.startsWith(QLatin1String("DATA_")); }

[[noreturn]] void failOn(const QString &location, const QString &what)
{
    throw Error(QStringLiteral("%1: %2").arg(location, what));
}

void exec(QSqlQuery &q, const QString &location, const QString &sql, const QList<QVariant> &values = {})
{
    // Statements without values run as they are: the server prepares no CREATE.
    if (values.isEmpty()) {
        if (!q.exec(sql))
            failOn(location, q.lastError().text());
        return;
    }
    bool ok = q.prepare(sql);
    if (ok) {
        for (const QVariant &v : values)
            q.addBindValue(v);
        ok = q.exec();
    }
    if (!ok)
        failOn(location, q.lastError().text());
}

// One named connection for the length of a job, closed and removed however it ends.
class Connection
{
public:
    Connection(const QString &name, const QString &location, bool createFile) : m_name(name), m_location(location)
    {
        if (!ServerAddress::isServerUrl(location) && createFile) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(location);
            if (!db.open()) {
                const QString text = db.lastError().text();
                db = QSqlDatabase();
                QSqlDatabase::removeDatabase(name);
                failOn(location, text);
            }
        } else {
            TDataModule1::openConnection(name, location);
        }
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    Engine engine() const { return TDataModule1::engineOf(db()); }
    const QString &location() const { return m_location; }

    bool hasRegister() const
    {
        QSqlQuery q(db());
        return q.exec(QStringLiteral("SELECT * FROM ZVRD_MAQUINAS WHERE 1=0"));
    }

private:
    QString m_name;
    QString m_location;
};

void createTables(QSqlQuery &q, const Connection &c)
{
    if (c.engine() == Engine::Postgres) {
        for (const char *sql : PostgresTables)
            exec(q, c.location(), QString::fromLatin1(sql));
    } else {
        for (const char *sql : SqliteTables)
            exec(q, c.location(), QString::fromLatin1(sql));
    }
}

struct DemoMachine
{
    const char *number;
    const char *description;
    const char *type;
    int picture;
    const char *folder;
};

const DemoMachine DemoMachines[] = {
    {"1001", "Vertical Machining Centre VMC-850", "DIRLOCAL", 1, "VMC-850"},
    {"1002", "Horizontal Machining Centre HMC-500", "DIRNET", 2, "HMC-500"},
    {"1003", "Gantry Milling Machine GM-3000", "FTP", 3, "GM-3000"},
    {"1004", "CNC Lathe TL-20", "SERIAL232", 4, "TL-20"},
    {"1005", "Turning Centre TC-65", "DIRREDE", 5, "TC-65"},
    {"1006", "Welding Robot RW-6", "DIRLOCAL", 6, "RW-6"},
    {"1007", "3D Printer AM-250", "FTP", 7, "AM-250"},
};

void insertDemo(QSqlQuery &q, const Connection &c, const QString &demoRoot, int extraMachines)
{
    const QString &location = c.location();
    const QString root = Paths::withTrailingSeparator(
        demoRoot.isEmpty() ? (ServerAddress::isServerUrl(location) ? QDir::currentPath() : QFileInfo(location).absolutePath())
                           : demoRoot);
    const QVariant now = TDataModule1::dateValue(c.engine(), QDateTime::currentDateTime());
    auto insertMachine = [&](const QString &number, const QString &description, const QString &type, int picture,
                             const QString &folder) {
        const QString programs = root + QStringLiteral("programs") + Paths::separator() + folder + Paths::separator();
        exec(q, location,
             QStringLiteral("INSERT INTO ZVRD_MAQUINAS (NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,"
                            "DIR_PROGRAMAS,DATA_CRIACAO,DATA_ALTERACAO) VALUES (?,?,?,?,?,?,?)"),
             {number, description, type, picture, programs, now, now});
        return q.lastInsertId();
    };
    int port = 1;
    for (const DemoMachine &m : DemoMachines) {
        const QString folder = QString::fromLatin1(m.folder);
        const QString type = QString::fromLatin1(m.type);
        const QVariant id =
            insertMachine(QString::fromLatin1(m.number), QString::fromUtf8(m.description), type, m.picture, folder);
        if (type.startsWith(QLatin1String("DIR"))) {
            exec(q, location, QStringLiteral("INSERT INTO ZVRD_PATH (ID_MAQUINA,PATH_DIR) VALUES (?,?)"),
                 {id, root + QStringLiteral("machines") + Paths::separator() + folder + Paths::separator()});
        } else if (type == QLatin1String("FTP")) {
            exec(q, location,
                 QStringLiteral("INSERT INTO ZVRD_FTP (ID_MAQUINA,FTP_DIR,FTP_HOST,FTP_USER,FTP_PASSWORD,"
                                "FTP_PORT) VALUES (?,?,?,?,?,?)"),
                 {id, QStringLiteral("/"), QStringLiteral("127.0.0.1"), QStringLiteral("cnc"), QStringLiteral("cnc"),
                  QStringLiteral("2121")});
        } else {
            // 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
            exec(q, location,
                 QStringLiteral("INSERT INTO ZVRD_SERIAL (ID_MAQUINA,SERIAL_VELOCIDADE,SERIAL_BIT_DADOS,"
                                "SERIAL_PARIDADE,SERIAL_BIT_PARADA,SERIAL_CR_LF,SERIAL_FLUXO,SERIAL_PORTA) "
                                "VALUES (?,?,?,?,?,?,?,?)"),
                 {id, 7, 4, 3, 2, 0, 3, QStringLiteral("COM%1").arg(port++)});
        }
    }
    for (int i = 0; i < extraMachines; ++i) {
        const QVariant id = insertMachine(QStringLiteral("%1").arg(2000 + i, 5, 10, QLatin1Char('0')),
                                          QStringLiteral("Machining Cell %1").arg(i + 1), QStringLiteral("DIRLOCAL"),
                                          1 + i % 7, QStringLiteral("CELL-%1").arg(i + 1));
        exec(q, location, QStringLiteral("INSERT INTO ZVRD_PATH (ID_MAQUINA,PATH_DIR) VALUES (?,?)"),
             {id, root + QStringLiteral("machines") + Paths::separator() + QStringLiteral("CELL-%1").arg(i + 1)
                      + Paths::separator()});
    }
}

// A date as the target engine takes it, from what the source engine stored: the
// SQLite text itself between two files, the same wall time otherwise.
QVariant copiedDate(const QVariant &stored, Engine from, Engine to, const QString &where)
{
    if (stored.isNull())
        return QVariant();
    if (from == to && from != Engine::Postgres)
        return stored;
    QDateTime moment = TDataModule1::dateRead(from, stored).toDateTime();
    if (!moment.isValid()) {
        // Texts another program wrote ("2024-03-01 08:30:00").
        const QString text = stored.toString().trimmed();
        for (const char *format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
            moment = QDateTime::fromString(text, QLatin1String(format));
            if (moment.isValid())
                break;
        }
    }
    if (!moment.isValid())
        throw Error(QStringLiteral("%1: \"%2\" is not a date").arg(where, stored.toString()));
    if (to == Engine::Postgres)
        return TDataModule1::dateValue(to, moment);
    // The text the application's own SQLite writes have.
    return moment.toString(Qt::ISODateWithMs);
}

// New rows of the target are numbered after every id copied, the ids of
// parameter rows whose machine is gone included: a new machine never inherits them.
void continueNumbering(QSqlQuery &q, const Connection &c, const TableColumns &t, qlonglong highest)
{
    const QString table = QLatin1String(t.table);
    if (c.engine() == Engine::Postgres) {
        if (highest > 0)
            exec(q, c.location(),
                 QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), ?, true)"),
                 {table.toLower(), QString::fromLatin1(t.key).toLower(), highest});
        else
            exec(q, c.location(), QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), 1, false)"),
                 {table.toLower(), QString::fromLatin1(t.key).toLower()});
    } else if (c.engine() == Engine::Sqlite) {
        exec(q, c.location(), QStringLiteral("DELETE FROM sqlite_sequence WHERE name=?"), {table});
        if (highest > 0)
            exec(q, c.location(), QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"),
                 {table, highest});
    }
}

} // namespace

namespace DatabaseSchema {

void createDatabase(const QString &location, bool demo, const QString &demoRoot, int extraMachines)
{
    const bool server = ServerAddress::isServerUrl(location);
    if (!server && QFileInfo::exists(location))
        throw Error(QStringLiteral("'%1' exists already; a machine database is never overwritten.").arg(location));
    Connection c(QStringLiteral("zavrin-newdb"), location, true);
    if (server && c.hasRegister())
        throw Error(QStringLiteral("'%1' holds a machine register already; it is never overwritten.").arg(location));
    QSqlDatabase db = c.db();
    QSqlQuery q(db);
    if (!db.transaction())
        failOn(location, db.lastError().text());
    try {
        createTables(q, c);
        if (demo)
            insertDemo(q, c, demoRoot, extraMachines);
    } catch (...) {
        q.finish();
        db.rollback();
        throw;
    }
    if (!db.commit())
        failOn(location, db.lastError().text());
}

namespace {
CopyCount copyInto(const QString &from, const QString &to, bool replace, bool newFile)
{
    Connection source(QStringLiteral("zavrin-copy-from"), from, false);
    if (!source.hasRegister())
        throw Error(QStringLiteral("'%1' holds no machine register (no table ZVRD_MAQUINAS).").arg(from));
    Connection target(QStringLiteral("zavrin-copy-to"), to, newFile);
    QSqlDatabase out = target.db();
    QSqlQuery w(out);
    const bool hasTables = target.hasRegister();
    if (hasTables) {
        exec(w, to, QStringLiteral("SELECT COUNT(*) FROM ZVRD_MAQUINAS"));
        const qlonglong machines = w.next() ? w.value(0).toLongLong() : 0;
        w.finish();
        if (machines > 0 && !replace)
            throw Error(QStringLiteral("'%1' holds %2 machines already; give --replace to replace them.")
                            .arg(to)
                            .arg(machines));
    }
    if (!out.transaction())
        failOn(to, out.lastError().text());
    CopyCount count;
    try {
        if (!hasTables)
            createTables(w, target);
        for (const TableColumns &t : registerTables())
            exec(w, to, QStringLiteral("DELETE FROM %1").arg(QLatin1String(t.table)));
        qlonglong highestMachine = 0;
        for (const TableColumns &t : registerTables()) {
            const QString table = QLatin1String(t.table);
            QSqlQuery r(source.db());
            r.setForwardOnly(true);
            exec(r, from, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                              .arg(t.columns.join(QLatin1Char(',')), table, QLatin1String(t.key)));
            QStringList marks;
            for (int i = 0; i < t.columns.size(); ++i)
                marks << QStringLiteral("?");
            const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                       .arg(table, t.columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
            qlonglong highestKey = 0;
            int rows = 0;
            while (r.next()) {
                QList<QVariant> values;
                for (int i = 0; i < t.columns.size(); ++i) {
                    const QVariant v = r.value(i);
                    if (isDateColumn(t.columns.at(i)))
                        values << copiedDate(v, source.engine(), target.engine(),
                                             QStringLiteral("%1 %2 %3").arg(table, r.value(0).toString(), t.columns.at(i)));
                    else
                        values << v;
                }
                highestKey = qMax(highestKey, r.value(0).toLongLong());
                const int machineColumn = int(t.columns.indexOf(QStringLiteral("ID_MAQUINA")));
                highestMachine = qMax(highestMachine, r.value(machineColumn).toLongLong());
                exec(w, to, insert, values);
                ++rows;
            }
            if (QLatin1String(t.key) == QLatin1String("ID_MAQUINA"))
                count.machines = rows;
            else if (table == QLatin1String("ZVRD_PATH"))
                count.pathRows = rows;
            else if (table == QLatin1String("ZVRD_FTP"))
                count.ftpRows = rows;
            else
                count.serialRows = rows;
            if (QLatin1String(t.key) != QLatin1String("ID_MAQUINA"))
                continueNumbering(w, target, t, highestKey);
        }
        continueNumbering(w, target, registerTables().first(), highestMachine);
    } catch (...) {
        w.finish();
        out.rollback();
        throw;
    }
    if (!out.commit())
        failOn(to, out.lastError().text());
    return count;
}
} // namespace

CopyCount copyDatabase(const QString &from, const QString &to, bool replace)
{
    const bool fromServer = ServerAddress::isServerUrl(from);
    const bool toServer = ServerAddress::isServerUrl(to);
    if (fromServer == toServer
        && (fromServer ? from.trimmed() == to.trimmed()
                       : QFileInfo(from).absoluteFilePath() == QFileInfo(to).absoluteFilePath()))
        throw Error(QStringLiteral("'%1': a register cannot be copied onto itself.").arg(from));
    const bool newFile = !toServer && !QFileInfo::exists(to);
    try {
        return copyInto(from, to, replace, newFile);
    } catch (...) {
        if (newFile)
            QFile::remove(to); // the file this copy created, never one that was there
        throw;
    }
}

} // namespace DatabaseSchema
