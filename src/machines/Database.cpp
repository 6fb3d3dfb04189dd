#include "Database.h"

#include "lang/Texts.h"
#include "platform/Error.h"
#include "SqliteConnection.h"

#include <QDir>
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
    if (file.isEmpty())
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

QSqlQuery run(const QSqlDatabase &db, const QString &file, const QString &sql, const QList<QVariant> &values)
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

// The order of the machine lists: letter case ignored for every letter where the
// engine needs telling (the Jet engine orders text that way by itself).
QString orderByNumber(const QSqlDatabase &db)
{
    QString order = QStringLiteral("ORDER BY NUM_MAQUINA");
    if (SqliteConnection::isSqlite(db))
        order += QStringLiteral(" COLLATE ") + QLatin1String(SqliteConnection::NoCaseCollation);
    return order;
}

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

void TDataModule1::DataModuleCreate(const QString &databaseFile)
{
    m_file = databaseFile;
    openConnection(QLatin1String(MainConnection), databaseFile);
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
        QSqlQuery q = run(db, databaseFile, QStringLiteral("SELECT * FROM ZVRD_MAQUINAS WHERE 1=0"), {});
        q.finish();
    }
}

QList<MachineRecord> TDataModule1::readMachines(const QString &sql, const QList<QVariant> &values)
{
    QSqlQuery q = run(db(), m_file, sql, values);
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
            m.created = q.value(created);
        if (changed >= 0)
            m.changed = q.value(changed);
        rows.append(m);
    }
    return rows;
}

QList<MachineRecord> TDataModule1::allMachines()
{
    return readMachines(QStringLiteral("SELECT * \nFROM ZVRD_MAQUINAS\n") + orderByNumber(db()), {});
}

QList<MachineRecord> TDataModule1::filteredMachines(const QString &nameFilter, const QString &numberFilter)
{
    // The typed texts are bound as LIKE patterns: "%" and "_" stay wildcards, and a
    // double quote is an ordinary character.
    QString sql = QStringLiteral("SELECT * \nFROM ZVRD_MAQUINAS\nWHERE 1=1");
    QList<QVariant> values;
    const QString name = nameFilter.trimmed();
    const QString number = numberFilter.trimmed();
    if (!name.isEmpty()) {
        sql += QStringLiteral("\nAND DSC_MAQUINA LIKE ?");
        values << QVariant(QLatin1Char('%') + name + QLatin1Char('%'));
    }
    if (!number.isEmpty()) {
        sql += QStringLiteral("\nAND NUM_MAQUINA LIKE ?");
        values << QVariant(QLatin1Char('%') + number + QLatin1Char('%'));
    }
    sql += QLatin1Char('\n') + orderByNumber(db());
    return readMachines(sql, values);
}

QList<MachineRecord> TDataModule1::machinesMatching(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return allMachines();
    const QVariant pattern(QLatin1Char('%') + t + QLatin1Char('%'));
    return readMachines(QStringLiteral("SELECT * \nFROM ZVRD_MAQUINAS\nWHERE (DSC_MAQUINA LIKE ? OR NUM_MAQUINA LIKE ?)\n")
                            + orderByNumber(db()),
                        {pattern, pattern});
}

void TDataModule1::deleteMachine(const QString &id)
{
    run(db(), m_file, QStringLiteral("DELETE FROM ZVRD_MAQUINAS\nWHERE ID_MAQUINA=?"), {idParam(id)});
}

std::optional<MachineRecord> TDataModule1::loadMachine(const QString &id)
{
    const QList<MachineRecord> rows =
        readMachines(QStringLiteral("SELECT * FROM ZVRD_MAQUINAS\nWHERE ID_MAQUINA=?"), {idParam(id)});
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

bool TDataModule1::hasParameterRow(const QString &table, const QString &id)
{
    if (table.isEmpty())
        return false;
    QSqlQuery q = run(db(), m_file, QStringLiteral("SELECT * FROM %1\nWHERE ID_MAQUINA=?").arg(table), {idParam(id)});
    return q.next();
}

PathParameters TDataModule1::loadPathParameters(const QString &id)
{
    QSqlQuery q = run(db(), m_file, QStringLiteral("SELECT * FROM ZVRD_PATH\nWHERE ID_MAQUINA=?"), {idParam(id)});
    PathParameters p;
    if (q.next())
        p.directory = textAt(q, 2);
    return p;
}

FtpParameters TDataModule1::loadFtpParameters(const QString &id)
{
    QSqlQuery q = run(db(), m_file, QStringLiteral("SELECT * FROM ZVRD_FTP\nWHERE ID_MAQUINA=?"), {idParam(id)});
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
    QSqlQuery q = run(db(), m_file, QStringLiteral("SELECT * FROM ZVRD_SERIAL\nWHERE ID_MAQUINA=?"), {idParam(id)});
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
    const QDateTime now = QDateTime::currentDateTime();
    QSqlQuery q = run(db(), m_file,
                      QStringLiteral("INSERT INTO ZVRD_MAQUINAS (NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,"
                                     "DIR_PROGRAMAS,DATA_CRIACAO,DATA_ALTERACAO) VALUES (?,?,?,?,?,?,?)"),
                      {m.number, m.description, m.transferType, m.pictureId.toInt(), m.programDirectory, now, now});
    QVariant id = q.lastInsertId();
    if (!id.isValid()) {
        QSqlQuery identity = run(db(), m_file, QStringLiteral("SELECT @@IDENTITY"), {});
        if (identity.next())
            id = identity.value(0);
    }
    return id.toString();
}

bool TDataModule1::updateMachine(const MachineRecord &m)
{
    const QSqlQuery q = run(db(), m_file,
        QStringLiteral("UPDATE ZVRD_MAQUINAS\nSET NUM_MAQUINA=?,\nDSC_MAQUINA=?,\nTIPO_TRANSFER=?,\nID_IMAGEM=?,\n"
                       "DATA_ALTERACAO=?,\nDIR_PROGRAMAS=?\nWHERE ID_MAQUINA=?"),
        {m.number, m.description, m.transferType, m.pictureId.toInt(), QDateTime::currentDateTime(),
         m.programDirectory, idParam(m.id)});
    return q.numRowsAffected() > 0;
}

void TDataModule1::insertPathParameters(const QString &id, const PathParameters &p)
{
    run(db(), m_file, QStringLiteral("INSERT INTO ZVRD_PATH\n(ID_MAQUINA,PATH_DIR)\nVALUES(?,\n?)"), {idParam(id), p.directory});
}

void TDataModule1::insertFtpParameters(const QString &id, const FtpParameters &p)
{
    run(db(), m_file,
        QStringLiteral("INSERT INTO ZVRD_FTP\n(ID_MAQUINA,FTP_DIR,FTP_HOST,FTP_USER,FTP_PASSWORD,FTP_PORT)\n"
                       "VALUES(?,\n?,\n?,\n?,\n?,\n?)"),
        {idParam(id), p.directory, p.host, p.user, p.password, p.port});
}

void TDataModule1::insertSerialParameters(const QString &id, const SerialParameters &p)
{
    run(db(), m_file,
        QStringLiteral("INSERT INTO ZVRD_SERIAL\n(ID_MAQUINA,SERIAL_VELOCIDADE,SERIAL_BIT_DADOS,SERIAL_PARIDADE,"
                       "SERIAL_BIT_PARADA,SERIAL_CR_LF,SERIAL_FLUXO,SERIAL_PORTA)\nVALUES(?,?,?,?,?,?,?,?)"),
        {idParam(id), p.speed, p.dataBits, p.parity, p.stopBits, p.crLf, p.flow, p.port});
}

void TDataModule1::updatePathParameters(const QString &id, const PathParameters &p)
{
    run(db(), m_file, QStringLiteral("UPDATE ZVRD_PATH\nSET PATH_DIR=?\nWHERE ID_MAQUINA=?"), {p.directory, idParam(id)});
}

void TDataModule1::updateFtpParameters(const QString &id, const FtpParameters &p)
{
    run(db(), m_file,
        QStringLiteral("UPDATE ZVRD_FTP\nSET FTP_DIR=?,\nFTP_HOST=?,\nFTP_USER=?,\nFTP_PASSWORD=?,\nFTP_PORT=?\n"
                       "WHERE ID_MAQUINA=?"),
        {p.directory, p.host, p.user, p.password, p.port, idParam(id)});
}

void TDataModule1::updateSerialParameters(const QString &id, const SerialParameters &p)
{
    run(db(), m_file,
        QStringLiteral("UPDATE ZVRD_SERIAL\nSET SERIAL_VELOCIDADE=?,\nSERIAL_BIT_DADOS=?,\nSERIAL_PARIDADE=?,\n"
                       "SERIAL_BIT_PARADA=?,\nSERIAL_CR_LF=?,\nSERIAL_FLUXO=?,\nSERIAL_PORTA=?\nWHERE ID_MAQUINA=?"),
        {p.speed, p.dataBits, p.parity, p.stopBits, p.crLf, p.flow, p.port, idParam(id)});
}
