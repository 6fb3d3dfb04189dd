#include "NetworkSerialAddress.h"

#include <QHostAddress>

namespace {

const QString RawScheme = QStringLiteral("tcp://");
const QString TelnetScheme = QStringLiteral("rfc2217://");

bool fail(QString *reason, const QString &why)
{
    if (reason)
        *reason = why;
    return false;
}

// A host name as the resolver takes it: letters, digits, hyphens and dots.
bool isHostName(const QString &host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    for (const QChar c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') && c != QLatin1Char('.')
            && c != QLatin1Char('_'))
            return false;
    return !host.startsWith(QLatin1Char('.')) && !host.startsWith(QLatin1Char('-'));
}

} // namespace

bool NetworkSerialAddress::looksLikeAddress(const QString &text)
{
    const QString t = text.trimmed();
    return t.startsWith(RawScheme, Qt::CaseInsensitive) || t.startsWith(TelnetScheme, Qt::CaseInsensitive);
}

std::optional<NetworkSerialAddress> NetworkSerialAddress::parse(const QString &text, QString *reason)
{
    const QString t = text.trimmed();
    NetworkSerialAddress a;
    QString rest;
    if (t.startsWith(RawScheme, Qt::CaseInsensitive)) {
        rest = t.mid(RawScheme.size());
    } else if (t.startsWith(TelnetScheme, Qt::CaseInsensitive)) {
        a.protocol = Protocol::Rfc2217;
        rest = t.mid(TelnetScheme.size());
    } else {
        fail(reason, QStringLiteral("it does not begin with tcp:// or rfc2217://"));
        return std::nullopt;
    }
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0 || rest.mid(close + 1, 1) != QStringLiteral(":")) {
            fail(reason, QStringLiteral("an IPv6 host is written [address]:port"));
            return std::nullopt;
        }
        a.host = rest.mid(1, close - 1);
        portText = rest.mid(close + 2);
        if (QHostAddress(a.host).protocol() != QAbstractSocket::IPv6Protocol) {
            fail(reason, QStringLiteral("\"%1\" is no IPv6 address").arg(a.host));
            return std::nullopt;
        }
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0) {
            fail(reason, QStringLiteral("the port number is missing (host:port)"));
            return std::nullopt;
        }
        a.host = rest.left(colon);
        portText = rest.mid(colon + 1);
        if (!isHostName(a.host)) {
            fail(reason, a.host.isEmpty() ? QStringLiteral("the host is missing")
                                          : QStringLiteral("\"%1\" is no host name or address").arg(a.host));
            return std::nullopt;
        }
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || port < 1 || port > 65535 || portText.startsWith(QLatin1Char('+'))) {
        fail(reason, QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(portText));
        return std::nullopt;
    }
    a.port = quint16(port);
    return a;
}

QString NetworkSerialAddress::toString() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return (protocol == Protocol::Raw ? RawScheme : TelnetScheme) + h + QLatin1Char(':') + QString::number(port);
}

QString NetworkSerialAddress::lockKey() const
{
    return QStringLiteral("net-%1-%2").arg(host.toLower()).arg(port);
}
