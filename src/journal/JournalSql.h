#pragma once

#include <QString>
#include <QStringList>

// Every statement of the journal, per database engine. Statements take their values
// bound ("?"), never pasted in; what differs between engines is only here.
struct JournalSql
{
    enum class Engine { Sqlite, PostgreSql };

    // The engine of a Qt SQL driver name ("QSQLITE", "QPSQL"); false for one the
    // journal has no statements for.
    static bool engineForDriver(const QString &driver, Engine *engine);
    static JournalSql forEngine(Engine engine);

    QStringList createStatements; // table and indexes, each "if not exists"
    QString insert;               // the 15 columns of an entry, in columns() order
    bool insertReturnsId = false; // the insert yields the new id as its one row
    QString select;               // all columns, before "WHERE ..."

    // Column names of insert and select (select adds ID_ENTRY first).
    static QStringList columns();
};
