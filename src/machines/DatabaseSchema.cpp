#include "DatabaseSchema.h"

#include "platform/Error.h"
#include "platform/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char *const Tables[] = {
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

void exec(QSqlQuery &q, const QString &sql, const QList<QVariant> &values = {})
{
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw Error(q.lastError().text());
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

} // namespace

namespace DatabaseSchema {

void createDatabase(const QString &path, bool demo, const QString &demoRoot, int extraMachines)
{
    if (QFileInfo::exists(path))
        throw Error(QStringLiteral("'%1' exists already; a machine database is never overwritten.").arg(path));
    const QString name = QStringLiteral("zavrin-newdb");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw Error(QStringLiteral("'%1': %2").arg(path, db.lastError().text()));
        QSqlQuery q(db);
        db.transaction();
        for (const char *sql : Tables)
            exec(q, QString::fromLatin1(sql));
        if (demo) {
            const QString root = Paths::withTrailingSeparator(demoRoot.isEmpty() ? QFileInfo(path).absolutePath()
                                                                                   : demoRoot);
            const QDateTime now = QDateTime::currentDateTime();
            auto insertMachine = [&](const QString &number, const QString &description, const QString &type,
                                     int picture, const QString &folder) {
                const QString programs = root + QStringLiteral("programs") + Paths::separator() + folder
                                         + Paths::separator();
                exec(q,
                     QStringLiteral("INSERT INTO ZVRD_MAQUINAS (NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,"
                                    "DIR_PROGRAMAS,DATA_CRIACAO,DATA_ALTERACAO) VALUES (?,?,?,?,?,?,?)"),
                     {number, description, type, picture, programs, now, now});
                return q.lastInsertId();
            };
            int port = 1;
            for (const DemoMachine &m : DemoMachines) {
                const QString folder = QString::fromLatin1(m.folder);
                const QString type = QString::fromLatin1(m.type);
                const QVariant id = insertMachine(QString::fromLatin1(m.number), QString::fromUtf8(m.description),
                                                  type, m.picture, folder);
                if (type.startsWith(QLatin1String("DIR"))) {
                    exec(q, QStringLiteral("INSERT INTO ZVRD_PATH (ID_MAQUINA,PATH_DIR) VALUES (?,?)"),
                         {id, root + QStringLiteral("machines") + Paths::separator() + folder + Paths::separator()});
                } else if (type == QLatin1String("FTP")) {
                    exec(q,
                         QStringLiteral("INSERT INTO ZVRD_FTP (ID_MAQUINA,FTP_DIR,FTP_HOST,FTP_USER,FTP_PASSWORD,"
                                        "FTP_PORT) VALUES (?,?,?,?,?,?)"),
                         {id, QStringLiteral("/"), QStringLiteral("127.0.0.1"), QStringLiteral("cnc"),
                          QStringLiteral("cnc"), QStringLiteral("2121")});
                } else {
                    // 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
                    exec(q,
                         QStringLiteral("INSERT INTO ZVRD_SERIAL (ID_MAQUINA,SERIAL_VELOCIDADE,SERIAL_BIT_DADOS,"
                                        "SERIAL_PARIDADE,SERIAL_BIT_PARADA,SERIAL_CR_LF,SERIAL_FLUXO,SERIAL_PORTA) "
                                        "VALUES (?,?,?,?,?,?,?,?)"),
                         {id, 7, 4, 3, 2, 0, 3, QStringLiteral("COM%1").arg(port++)});
                }
            }
            for (int i = 0; i < extraMachines; ++i) {
                const QVariant id = insertMachine(QStringLiteral("%1").arg(2000 + i, 5, 10, QLatin1Char('0')),
                                                  QStringLiteral("Machining Cell %1").arg(i + 1),
                                                  QStringLiteral("DIRLOCAL"), 1 + i % 7,
                                                  QStringLiteral("CELL-%1").arg(i + 1));
                exec(q, QStringLiteral("INSERT INTO ZVRD_PATH (ID_MAQUINA,PATH_DIR) VALUES (?,?)"),
                     {id, root + QStringLiteral("machines") + Paths::separator() + QStringLiteral("CELL-%1").arg(i + 1)
                              + Paths::separator()});
            }
        }
        if (!db.commit())
            throw Error(db.lastError().text());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace DatabaseSchema
