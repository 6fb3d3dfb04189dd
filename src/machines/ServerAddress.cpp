#include "ServerAddress.h"

#include <QUrl>
#include <QUrlQuery>

namespace {
// Keywords that would carry a password into the settings file.
bool isPasswordKeyword(const QString &key) { return key.compare(QLatin1String("password"), Qt::CaseInsensitive) == 0; }

bool setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}
} // namespace

bool ServerAddress::isServerUrl(const QString &setting)
{
    const QString t = setting.trimmed();
    return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::optional<ServerAddress> ServerAddress::parse(const QString &setting, QString *error)
{
    const QString text = setting.trimmed();
    if (!isServerUrl(text)) {
        setError(error, QStringLiteral("not a postgresql:// URL"));
        return std::nullopt;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        setError(error, url.errorString());
        return std::nullopt;
    }
    if (!url.password().isEmpty()) {
        setError(error, QStringLiteral("the URL holds a password; put it into the pgpass file instead"));
        return std::nullopt;
    }
    ServerAddress a;
    a.text = text;
    a.host = url.host(QUrl::FullyDecoded);
    a.port = url.port(-1);
    a.user = url.userName(QUrl::FullyDecoded);
    QString path = url.path(QUrl::FullyDecoded);
    if (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    a.database = path;
    const QUrlQuery query(url);
    for (const auto &item : query.queryItems(QUrl::FullyDecoded)) {
        if (item.first.isEmpty()) {
            setError(error, QStringLiteral("a parameter without a name"));
            return std::nullopt;
        }
        if (isPasswordKeyword(item.first)) {
            setError(error, QStringLiteral("the URL holds a password; put it into the pgpass file instead"));
            return std::nullopt;
        }
        // libpq takes keyword=value; a value with blanks or separators of the
        // option list would split into others.
        if (item.second.contains(QLatin1Char(';')) || item.second.contains(QLatin1Char(' '))
            || item.second.contains(QLatin1Char('\'')) || item.second.contains(QLatin1Char('\\'))) {
            setError(error, QStringLiteral("the value of \"%1\" holds a blank, \";\", a quote or a backslash")
                                .arg(item.first));
            return std::nullopt;
        }
        if (item.first == QLatin1String("host"))
            a.host = item.second;
        else if (item.first == QLatin1String("port"))
            a.port = item.second.toInt();
        else if (item.first == QLatin1String("dbname"))
            a.database = item.second;
        else if (item.first == QLatin1String("user"))
            a.user = item.second;
        else
            a.options.append(item);
    }
    if (a.database.isEmpty()) {
        setError(error, QStringLiteral("the URL names no database (postgresql://user@host:5432/DATABASE)"));
        return std::nullopt;
    }
    return a;
}

QString ServerAddress::connectOptions() const
{
    // Without these, a connection whose network dropped without a word would keep
    // a statement waiting for minutes: TCP keep-alives and an unanswered send end it
    // in about 25 seconds with an error naming the server.
    static const QList<QPair<QString, QString>> defaults{
        {QStringLiteral("connect_timeout"), QString::number(DefaultConnectTimeout)},
        {QStringLiteral("keepalives_idle"), QStringLiteral("10")},
        {QStringLiteral("keepalives_interval"), QStringLiteral("5")},
        {QStringLiteral("keepalives_count"), QStringLiteral("3")},
        {QStringLiteral("tcp_user_timeout"), QStringLiteral("25000")},
    };
    QStringList parts;
    QStringList given;
    for (const auto &o : options) {
        parts << o.first + QLatin1Char('=') + o.second;
        given << o.first;
    }
    for (const auto &d : defaults) {
        if (!given.contains(d.first))
            parts << d.first + QLatin1Char('=') + d.second;
    }
    return parts.join(QLatin1Char(';'));
}

QString ServerAddress::serverName() const
{
    QString name = host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0)
        name += QLatin1Char(':') + QString::number(port);
    return name + QLatin1Char('/') + database;
}
