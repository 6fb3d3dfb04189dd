#pragma once

#include "JournalEntry.h"
#include "JournalSql.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

// Which entries to read; every part is optional.
struct JournalFilter
{
    QString machineNumber; // empty: every machine; else that number, letter case ignored
    std::optional<JournalEntry::Medium> medium;
    std::optional<JournalEntry::Outcome> outcome;
    QDateTime fromUtc; // invalid: from the first entry; else entries at or after it
    QDateTime toUtc;   // invalid: to the last entry; else entries before it
    QString fileText;  // part of the local path or the remote name, letter case ignored
    bool newestFirst = false;

    bool matches(const JournalEntry &entry) const;
};

// The journal's own database, reached through Qt SQL: a SQLite file (created with its
// table when missing: the journal is the program's own file) or, with another driver,
// a server database whose table is created the same way. One store is one connection.
class JournalStore
{
public:
    struct Location
    {
        QString driver = QStringLiteral("QSQLITE");
        QString database; // the SQLite file, or the server's database name
        QString host;
        int port = -1;
        QString user;
        QString password;
        // Server connections: libpq keyword=value pairs separated by ";" (time-outs, sslmode).
        QString connectOptions;
        // A server setting that could not be read: why (the store then refuses to open).
        QString invalid;
        // Only read: a missing SQLite file is an error, not created, and nothing is written.
        bool readOnly = false;
    };

    // How long a write waits for a journal that another program holds locked; a
    // transfer must never hang on it, and the entry is kept and written later.
    static constexpr int BusyTimeoutMs = 250;

    explicit JournalStore(Location location);
    ~JournalStore();
    JournalStore(const JournalStore &) = delete;
    JournalStore &operator=(const JournalStore &) = delete;

    const Location &location() const { return m_location; }
    // The file (or database) as the operator knows it, for messages.
    QString displayName() const;

    // Opens the connection and creates the table when it is missing; false with the
    // reason in *error. Called by the others when needed.
    bool open(QString *error);
    bool isOpen() const;
    void close();

    // Writes the entries in one transaction and gives each its id; on failure none
    // is written (their ids stay 0) and *error says why.
    bool append(QVector<JournalEntry> &entries, QString *error);
    bool append(JournalEntry &entry, QString *error);

    // The entries the filter lets through, oldest first unless it says otherwise.
    QVector<JournalEntry> entries(const JournalFilter &filter, QString *error);

    // The one text form of a time in the journal (UTC, milliseconds, fixed width).
    static QString timeText(const QDateTime &moment);
    static QDateTime timeFromText(const QString &text);

private:
    bool ensureOpen(QString *error);
    QString failure(const QString &what, const QString &reason) const;

    Location m_location;
    QString m_connectionName;
    JournalSql m_sql;
    bool m_knownEngine = false;
    bool m_open = false;
};
