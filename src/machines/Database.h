#pragma once

#include "MachineRecord.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <functional>
#include <optional>

// The machine database: the connection ADOConnection1 and the statements the
// application issues, each with bound values. Every failure throws Error naming the
// file, with the reason in the user's language and the engine's own text. The application never creates or alters tables.
//
// The database is a SQLite file, or a PostgreSQL server named by a postgresql://
// URL (ServerAddress.h) that several workstations share. On a server a lost
// connection fails the statement at hand with a message naming the server, and the
// next statement connects again by itself; every change is announced to the other
// workstations (changeListener).
class TDataModule1
{
public:
    enum class Engine { None, Sqlite, Postgres, Access };

    static TDataModule1 &instance();

    static constexpr const char *MainConnection = "ADOConnection1";
    static constexpr const char *TrialConnection = "ADOConnection2";

    // Builds the connection from DatabaseFile and opens it (DataModuleCreate and
    // every later change of database). Throws on failure; the connection then stays closed.
    void DataModuleCreate(const QString &databaseFile);
    void reconnect(const QString &databaseFile) { DataModuleCreate(databaseFile); }
    bool isOpen() const;
    QString databaseFile() const { return m_file; }
    Engine engine() const { return m_engine; }
    static Engine engineOf(const QSqlDatabase &db);

    // Asks for the password of a server user when libpq found none (pgpass file,
    // PGPASSFILE): user and server name in, the password or nothing (cancelled)
    // out. It is kept in memory for the run, never written anywhere.
    using PasswordPrompt = std::function<std::optional<QString>(const QString &user, const QString &server)>;
    static void setPasswordPrompt(PasswordPrompt prompt);
    // Forgets the passwords typed in this run.
    static void forgetPasswords();

    // Called with the machine id when another workstation changed, added or
    // deleted a machine on the same server (never for this connection's own changes).
    void setChangeListener(std::function<void(const QString &machineId)> listener);

    // The trial of a picked file on ADOConnection2: opens it and reads ZVRD_MAQUINAS.
    // Throws on failure; the trial connection is closed again in every case.
    static void trialConnection(const QString &databaseFile);

    // 1: all machines ordered by number.
    QList<MachineRecord> allMachines();
    // 2: the filtered list; blank filters are left out; "%" and "_" act as wildcards.
    QList<MachineRecord> filteredMachines(const QString &nameFilter, const QString &numberFilter);
    // The selection window's filter: machines whose name or number contains the
    // text, with the same LIKE as the filtered list; a blank text gives them all.
    QList<MachineRecord> machinesMatching(const QString &text);
    // 3: deletes the machine row only. False when no row had that id (deleted meanwhile).
    bool deleteMachine(const QString &id);
    // 4: one machine, or nothing.
    std::optional<MachineRecord> loadMachine(const QString &id);
    // 5 and 8: the parameter row of a machine in the table of a transfer type.
    bool hasParameterRow(const QString &table, const QString &id);
    PathParameters loadPathParameters(const QString &id);
    FtpParameters loadFtpParameters(const QString &id);
    SerialParameters loadSerialParameters(const QString &id);
    // 6: inserts a machine with both dates set to now; returns the new ID_MAQUINA as text.
    QString insertMachine(const MachineRecord &machine);
    // 7: updates a machine; DATA_ALTERACAO becomes now. False when no row has
    // that id (the machine was deleted meanwhile): nothing was written.
    [[nodiscard]] bool updateMachine(const MachineRecord &machine);
    // 7 with the modification date the machine had when it was loaded
    // (machine.changed) checked in the same statement: a machine changed by
    // another workstation since then is left as it is.
    enum class UpdateOutcome { Updated, Gone, ChangedElsewhere };
    [[nodiscard]] UpdateOutcome updateMachineIfUnchanged(const MachineRecord &machine);
    // 9 to 14.
    void insertPathParameters(const QString &id, const PathParameters &p);
    void insertFtpParameters(const QString &id, const FtpParameters &p);
    void insertSerialParameters(const QString &id, const SerialParameters &p);
    void updatePathParameters(const QString &id, const PathParameters &p);
    void updateFtpParameters(const QString &id, const FtpParameters &p);
    void updateSerialParameters(const QString &id, const SerialParameters &p);

    // A date as a value of a statement on that engine, and a date as read back
    // from it (the local wall time it was written as).
    static QVariant dateValue(Engine engine, const QDateTime &moment);
    static QVariant dateRead(Engine engine, const QVariant &stored);

    // Opens a database file on a named connection without creating it.
    static QSqlDatabase openConnection(const QString &connectionName, const QString &databaseFile);

private:
    enum class Kind { Read, Write };
    TDataModule1() = default;
    QSqlDatabase db() const;
    QSqlQuery run(const QString &sql, const QList<QVariant> &values, Kind kind);
    QSqlQuery runOnServer(const QString &sql, const QList<QVariant> &values, Kind kind);
    void reconnectServer(const QString &reason);
    void listen();
    void announce(const QVariant &machineId);
    QList<MachineRecord> readMachines(const QString &sql, const QList<QVariant> &values);
    QString m_file;
    Engine m_engine = Engine::None;
    std::function<void(const QString &)> m_listener;
    // A server that could not be reached is not tried again before control is back
    // in the event loop: one action waits for one connection time-out at most.
    bool m_connectFailedThisTurn = false;
    QString m_connectError;
};
