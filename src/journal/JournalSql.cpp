#include "JournalSql.h"

QStringList JournalSql::columns()
{
    return {QStringLiteral("TIME_UTC"),     QStringLiteral("WORKSTATION"), QStringLiteral("OS_USER"),
            QStringLiteral("ID_MAQUINA"),   QStringLiteral("NUM_MAQUINA"), QStringLiteral("DESC_MAQUINA"),
            QStringLiteral("MEDIUM"),       QStringLiteral("DIRECTION"),   QStringLiteral("LOCAL_PATH"),
            QStringLiteral("REMOTE"),       QStringLiteral("BYTES"),       QStringLiteral("SHA256"),
            QStringLiteral("OUTCOME"),      QStringLiteral("ERROR_TEXT"),  QStringLiteral("NOTICE")};
}

bool JournalSql::engineForDriver(const QString &driver, Engine *engine)
{
    if (driver == QLatin1String("QSQLITE"))
        *engine = Engine::Sqlite;
    else if (driver == QLatin1String("QPSQL"))
        *engine = Engine::PostgreSql;
    else
        return false;
    return true;
}

JournalSql JournalSql::forEngine(Engine engine)
{
    // The time is ISO 8601 text in UTC with milliseconds, one fixed width: it sorts
    // and compares as text the same way in every engine.
    const QString textColumns = QStringLiteral(
        "TIME_UTC VARCHAR(24) NOT NULL, WORKSTATION VARCHAR(255), OS_USER VARCHAR(255), ID_MAQUINA VARCHAR(64), "
        "NUM_MAQUINA VARCHAR(255), DESC_MAQUINA VARCHAR(255), MEDIUM VARCHAR(16) NOT NULL, "
        "DIRECTION VARCHAR(16) NOT NULL, LOCAL_PATH TEXT, REMOTE TEXT, BYTES BIGINT, SHA256 VARCHAR(64), "
        "OUTCOME VARCHAR(32) NOT NULL, ERROR_TEXT TEXT, NOTICE TEXT");
    const QStringList indexes = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS ZVRD_JOURNAL_TIME ON ZVRD_JOURNAL (TIME_UTC)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ZVRD_JOURNAL_MACHINE ON ZVRD_JOURNAL (NUM_MAQUINA)")};
    const QString values = QStringLiteral("(%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                               .arg(columns().join(QStringLiteral(", ")));

    JournalSql sql;
    sql.select = QStringLiteral("SELECT ID_ENTRY, %1 FROM ZVRD_JOURNAL").arg(columns().join(QStringLiteral(", ")));
    switch (engine) {
    case Engine::Sqlite:
        sql.createStatements = QStringList{
            QStringLiteral("CREATE TABLE IF NOT EXISTS ZVRD_JOURNAL (ID_ENTRY INTEGER PRIMARY KEY AUTOINCREMENT, %1)")
                .arg(textColumns)} + indexes;
        sql.insert = QStringLiteral("INSERT INTO ZVRD_JOURNAL ") + values;
        sql.insertReturnsId = false;
        break;
    case Engine::PostgreSql:
        sql.createStatements = QStringList{
            QStringLiteral("CREATE TABLE IF NOT EXISTS ZVRD_JOURNAL (ID_ENTRY BIGSERIAL PRIMARY KEY, %1)")
                .arg(textColumns)} + indexes;
        sql.insert = QStringLiteral("INSERT INTO ZVRD_JOURNAL ") + values + QStringLiteral(" RETURNING ID_ENTRY");
        sql.insertReturnsId = true;
        break;
    }
    return sql;
}
