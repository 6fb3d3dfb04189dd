#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of the distribution's package, started by the test or
// benchmark itself: initdb and pg_ctl in a temporary folder, on a free port of
// 127.0.0.1, its socket in that folder. When the process runs as root (which the
// server refuses), both run as the unprivileged user "postgres".
//
// Host connections need a password (scram-sha-256). The superuser's password is
// in a pgpass file of the folder, which start() names in PGPASSFILE, the way a
// workstation's own pgpass file would hold it.
class PgTestServer
{
public:
    static QString superuser() { return QStringLiteral("zavrin_admin"); }
    static QString superuserPassword() { return QStringLiteral("adm1n-s3cret"); }

    PgTestServer();
    ~PgTestServer();

    // initdb (first time only) and start; false with the reason when it failed.
    bool start(QString *error);
    // Stops the server (fast shutdown: sessions are ended).
    bool stop(QString *error = nullptr);
    bool isRunning() const { return m_running; }
    quint16 port() const { return m_port; }
    QString folder() const { return m_dir.path(); }

    // postgresql://USER@127.0.0.1:PORT/DATABASE plus options ("connect_timeout=3").
    QString url(const QString &database, const QString &user = superuser(), const QString &options = QString()) const;
    // A new empty database owned by the superuser; false with the reason.
    bool createDatabase(const QString &name, QString *error);
    // A login role with a password (not in the pgpass file), allowed everything on
    // the database.
    bool createRole(const QString &name, const QString &password, const QString &database, QString *error);
    // Runs SQL as the superuser on a database; false with the engine's text.
    bool exec(const QString &database, const QString &sql, QString *error);

    // The server's log so far (for failure messages).
    QString log() const;

private:
    bool run(const QString &program, const QStringList &args, QString *error, int timeoutMs = 60000);
    QString binary(const QString &name) const;
    QTemporaryDir m_dir;
    QString m_bin;
    quint16 m_port = 0;
    bool m_initialised = false;
    bool m_running = false;
    bool m_asRoot = false;
};
