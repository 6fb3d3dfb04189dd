#include "PgTestServer.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QUuid>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

const char *const RuntimeUser = "postgres";

// The newest server of the distribution's package (/usr/lib/postgresql/N/bin).
QString findBinaries()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : versions) {
        const QString bin = root.filePath(v + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return QString();
}

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool chownTree(const QString &path, uid_t uid, gid_t gid)
{
    if (::chown(QFile::encodeName(path).constData(), uid, gid) != 0)
        return false;
    QDir dir(path);
    for (const QFileInfo &f : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (f.isDir() && !f.isSymLink()) {
            if (!chownTree(f.filePath(), uid, gid))
                return false;
        } else if (::chown(QFile::encodeName(f.filePath()).constData(), uid, gid) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

PgTestServer::PgTestServer()
    : m_dir(QDir::tempPath() + QStringLiteral("/zvrd-pg-XXXXXX")), m_bin(findBinaries()), m_asRoot(::geteuid() == 0)
{
}

PgTestServer::~PgTestServer()
{
    if (m_running)
        stop();
}

QString PgTestServer::binary(const QString &name) const { return m_bin + QLatin1Char('/') + name; }

bool PgTestServer::run(const QString &program, const QStringList &args, QString *error, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir.path());
    if (m_asRoot)
        p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QLatin1String(RuntimeUser),
                                                       QStringLiteral("--"), program} + args);
    else
        p.start(program, args);
    if (!p.waitForStarted(10000) || !p.waitForFinished(timeoutMs)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(program, p.errorString());
        p.kill();
        p.waitForFinished(2000);
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("%1 failed (%2): %3").arg(program).arg(p.exitCode())
                         .arg(QString::fromLocal8Bit(p.readAll()).trimmed());
        return false;
    }
    return true;
}

bool PgTestServer::start(QString *error)
{
    QString scratch;
    QString &why = error ? *error : scratch;
    if (!m_dir.isValid()) {
        why = QStringLiteral("no temporary folder: %1").arg(m_dir.errorString());
        return false;
    }
    if (m_bin.isEmpty()) {
        why = QStringLiteral("no PostgreSQL server under /usr/lib/postgresql (install the package \"postgresql\")");
        return false;
    }
    if (!m_initialised) {
        const QString pwfile = m_dir.filePath(QStringLiteral("pwfile"));
        {
            QFile f(pwfile);
            if (!f.open(QIODevice::WriteOnly)) {
                why = f.errorString();
                return false;
            }
            f.write(superuserPassword().toUtf8() + '\n');
        }
        if (m_asRoot) {
            const passwd *pw = ::getpwnam(RuntimeUser);
            if (!pw) {
                why = QStringLiteral("running as root, but there is no user \"postgres\" to run the server as");
                return false;
            }
            if (!chownTree(m_dir.path(), pw->pw_uid, pw->pw_gid)) {
                why = QStringLiteral("cannot hand %1 to the user \"postgres\"").arg(m_dir.path());
                return false;
            }
        }
        if (!run(binary(QStringLiteral("initdb")),
                 {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"), superuser(),
                  QStringLiteral("--pwfile=") + pwfile, QStringLiteral("--auth-local=trust"),
                  QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("--encoding=UTF8"),
                  QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")},
                 &why))
            return false;
        QFile::remove(pwfile);
        // The superuser's password where libpq looks for it.
        const QString pgpass = m_dir.filePath(QStringLiteral("pgpass"));
        QFile f(pgpass);
        if (!f.open(QIODevice::WriteOnly)) {
            why = f.errorString();
            return false;
        }
        f.write("*:*:*:" + superuser().toUtf8() + ':' + superuserPassword().toUtf8() + '\n');
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        qputenv("PGPASSFILE", QFile::encodeName(pgpass));
        m_port = freePort();
        if (m_port == 0) {
            why = QStringLiteral("no free port on 127.0.0.1");
            return false;
        }
        m_initialised = true;
    }
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off "
                                           "-c max_connections=40 -c shared_buffers=16MB")
                                .arg(m_port)
                                .arg(m_dir.path());
    if (!run(binary(QStringLiteral("pg_ctl")),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
              m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options, QStringLiteral("-w"),
              QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
             &why, 90000)) {
        why += QStringLiteral("\n") + log();
        return false;
    }
    m_running = true;
    return true;
}

bool PgTestServer::stop(QString *error)
{
    if (!m_running)
        return true;
    const bool ok = run(binary(QStringLiteral("pg_ctl")),
                        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                         QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
                        error);
    m_running = !ok;
    return ok;
}

QString PgTestServer::url(const QString &database, const QString &user, const QString &options) const
{
    QString u = QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user).arg(m_port).arg(database);
    if (!options.isEmpty())
        u += QLatin1Char('?') + options;
    return u;
}

bool PgTestServer::exec(const QString &database, const QString &sql, QString *error)
{
    const QString name = QStringLiteral("pgtest-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(QStringLiteral("127.0.0.1"));
        db.setPort(m_port);
        db.setUserName(superuser());
        db.setPassword(superuserPassword());
        db.setDatabaseName(database);
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.exec(sql);
            if (!ok && error)
                *error = q.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool PgTestServer::createDatabase(const QString &name, QString *error)
{
    return exec(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name), error);
}

bool PgTestServer::createRole(const QString &name, const QString &password, const QString &database, QString *error)
{
    return exec(QStringLiteral("postgres"),
                QStringLiteral("CREATE ROLE \"%1\" LOGIN PASSWORD '%2'").arg(name, password), error)
           && exec(database, QStringLiteral("GRANT ALL ON SCHEMA public TO \"%1\"").arg(name), error)
           && exec(QStringLiteral("postgres"),
                   QStringLiteral("GRANT ALL ON DATABASE \"%1\" TO \"%2\"").arg(database, name), error);
}

QString PgTestServer::log() const
{
    QFile f(m_dir.filePath(QStringLiteral("server.log")));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(f.readAll());
}
