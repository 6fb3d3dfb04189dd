#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

// What the subcommands (stats, journal) write: bytes straight to a stream, flushed at once so
// that output and messages keep their order, and a usage error with the hint to --help.
namespace SubcommandOutput {

inline void write(FILE *to, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

// Exit status 2, as for every other usage error of zavrin-cnc.
inline int usage(const QString &message)
{
    write(stderr, QStringLiteral("zavrin-cnc: %1\nzavrin-cnc: try \"zavrin-cnc --help\"\n").arg(message).toLocal8Bit());
    return 2;
}

} // namespace SubcommandOutput
