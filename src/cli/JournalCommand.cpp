#include "JournalCommand.h"

#include "journal/JournalCsv.h"
#include "journal/JournalSettings.h"
#include "journal/JournalStore.h"
#include "journal/JournalWords.h"
#include "platform/Paths.h"

#include <QFile>
#include <QRegularExpression>
#include "SubcommandOutput.h"

#include <cstdio>

namespace {

using SubcommandOutput::usage;
using SubcommandOutput::write;

int failure(const QString &message)
{
    write(stderr, QStringLiteral("zavrin-cnc: %1\n").arg(message).toLocal8Bit());
    return 1;
}

QString note(const JournalEntry &e)
{
    QStringList parts;
    if (!e.notice.isEmpty())
        parts << JournalWords::noticeText(e.notice);
    if (!e.error.isEmpty())
        parts << QString(e.error).replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return parts.join(QStringLiteral("; "));
}

// A table for people: the short columns aligned, the paths and the note after them.
QByteArray table(const QVector<JournalEntry> &entries)
{
    QList<QStringList> rows{{QStringLiteral("TIME"), QStringLiteral("MACHINE"), QStringLiteral("MEDIUM"),
                             QStringLiteral("DIRECTION"), QStringLiteral("OUTCOME"), QStringLiteral("BYTES"),
                             QStringLiteral("SHA-256"), QStringLiteral("LOCAL"), QStringLiteral("REMOTE"),
                             QStringLiteral("NOTE")}};
    for (const JournalEntry &e : entries)
        rows << QStringList{e.timeUtc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                            e.machineNumber,
                            JournalWords::text(e.medium),
                            JournalWords::text(e.direction),
                            JournalWords::text(e.outcome),
                            e.bytes >= 0 ? QString::number(e.bytes) : QStringLiteral("-"),
                            e.sha256.isEmpty() ? QStringLiteral("-") : e.sha256,
                            e.localPath.isEmpty() ? QStringLiteral("-") : e.localPath,
                            e.remote.isEmpty() ? QStringLiteral("-") : e.remote,
                            note(e)};
    constexpr int Aligned = 7; // up to the hash
    QList<int> widths(Aligned, 0);
    for (const QStringList &row : rows)
        for (int c = 0; c < Aligned; ++c)
            widths[c] = qMax(widths[c], int(row[c].size()));
    QByteArray out;
    for (const QStringList &row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            if (c > 0)
                line += QStringLiteral("  ");
            // Bytes right-aligned, the rest left.
            line += c < Aligned ? (c == 5 ? row[c].rightJustified(widths[c]) : row[c].leftJustified(widths[c]))
                                : row[c];
        }
        out += line.trimmed().toUtf8() + '\n';
    }
    return out;
}

} // namespace

QDateTime journalSinceMoment(const QString &text)
{
    static const QRegularExpression date(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    static const QRegularExpression dateTime(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}[T ]\\d{2}:\\d{2}(:\\d{2}(\\.\\d{1,3})?)?(Z|[+-]\\d{2}:?\\d{2})?$"));
    const QString t = text.trimmed();
    if (date.match(t).hasMatch()) {
        const QDate d = QDate::fromString(t, Qt::ISODate);
        return d.isValid() ? d.startOfDay() : QDateTime();
    }
    if (dateTime.match(t).hasMatch()) {
        QString iso = t;
        iso[10] = QLatin1Char('T');
        return QDateTime::fromString(iso, Qt::ISODateWithMs);
    }
    return QDateTime();
}

int runJournalCommand(const QStringList &arguments)
{
    JournalFilter filter;
    bool csv = false;
    QString file;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (a == QLatin1String("--csv")) {
            csv = true;
        } else if (a == QLatin1String("--machine")) {
            const std::optional<QString> v = value();
            if (!v || v->trimmed().isEmpty())
                return usage(QStringLiteral("--machine needs a machine number"));
            filter.machineNumber = v->trimmed();
        } else if (a == QLatin1String("--since")) {
            const std::optional<QString> v = value();
            if (!v)
                return usage(QStringLiteral("--since needs a date"));
            filter.fromUtc = journalSinceMoment(*v).toUTC();
            if (!filter.fromUtc.isValid())
                return usage(QStringLiteral("--since takes a date (YYYY-MM-DD) or a date and time "
                                            "(YYYY-MM-DDTHH:MM[:SS]), not \"%1\"")
                                 .arg(*v));
        } else if (a == QLatin1String("--journal")) {
            const std::optional<QString> v = value();
            if (!v || v->isEmpty())
                return usage(QStringLiteral("--journal needs a file"));
            file = *v;
        } else {
            return usage(QStringLiteral("journal has no option or argument \"%1\"").arg(a));
        }
    }

    JournalStore::Location location =
        file.isEmpty() ? JournalSettings::location(Paths::applicationDirectory() + QStringLiteral("Zavrin.ini"))
                       : JournalStore::Location();
    if (!file.isEmpty())
        location.database = file;
    location.readOnly = true;
    JournalStore store(location);
    QString error;
    const QVector<JournalEntry> entries = store.entries(filter, &error);
    if (!error.isEmpty())
        return failure(error);

    if (csv) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly))
            return failure(QStringLiteral("cannot write standard output: %1").arg(out.errorString()));
        if (!JournalCsv::write(&out, entries, &error) || !out.flush())
            return failure(QStringLiteral("cannot write standard output: %1").arg(error.isEmpty() ? out.errorString() : error));
        return 0;
    }
    const QByteArray text = table(entries);
    if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()) || std::fflush(stdout) != 0)
        return failure(QStringLiteral("cannot write standard output"));
    return 0;
}
