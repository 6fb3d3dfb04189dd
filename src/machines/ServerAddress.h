#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// A machine database on a PostgreSQL server, written in [DIRBD] VALUE= as libpq's
// URL: postgresql://user@host:5432/dbname?sslmode=require&connect_timeout=5. The
// parameters after "?" go to libpq as they are. A password never belongs in it:
// libpq finds it in the user's pgpass file (PGPASSFILE), or the user is asked.
struct ServerAddress
{
    QString host;
    int port = -1; // -1: libpq's default
    QString database;
    QString user;
    QList<QPair<QString, QString>> options; // libpq keywords and values, in the order written
    QString text;                           // as written, for messages

    // Seconds libpq waits for the server to answer a connection when the URL does
    // not say (an unreachable host fails after this long, never longer).
    static constexpr int DefaultConnectTimeout = 5;

    // Whether a database setting names a server rather than a file.
    static bool isServerUrl(const QString &setting);
    // Parses a server URL. Nothing (with the reason in *error, in English words of
    // its own) when it is not one, when it holds a password, or when a parameter
    // is malformed.
    static std::optional<ServerAddress> parse(const QString &setting, QString *error);

    // The options for QSqlDatabase::setConnectOptions: libpq keyword=value pairs
    // separated by ";", with a connect time-out and TCP keep-alives added when missing.
    QString connectOptions() const;
    // "host:port/database" for messages that name the server.
    QString serverName() const;
};
