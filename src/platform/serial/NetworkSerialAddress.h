#pragma once

#include <QString>

#include <optional>

// A serial port reached through a device server on the network, written where a device path
// would be: "tcp://host:port" (a raw socket: the server's own port settings apply) or
// "rfc2217://host:port" (Telnet with port control: our side sets the port). An IPv6 host is
// written in brackets ("tcp://[fe80::1]:4001").
struct NetworkSerialAddress
{
    enum class Protocol { Raw, Rfc2217 };

    Protocol protocol = Protocol::Raw;
    QString host;
    quint16 port = 0;

    // Whether the text is meant as a network address at all (it begins with one of the two
    // schemes, in any letter case), valid or not.
    static bool looksLikeAddress(const QString &text);
    // The address, or nothing with the reason in *reason (English).
    static std::optional<NetworkSerialAddress> parse(const QString &text, QString *reason = nullptr);

    QString toString() const;
    // The same device server port whichever protocol reaches it: what the port lock is taken on.
    QString lockKey() const;
};
