#include "JournalCsv.h"

#include "JournalStore.h"
#include "JournalWords.h"

#include <QIODevice>
#include <QStringList>

namespace JournalCsv {

namespace {

QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
        bytes.replace('"', "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QByteArray record(const QStringList &fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += field(fields[i]);
    }
    return line + "\r\n";
}

} // namespace

QByteArray headerRow()
{
    return record({QStringLiteral("id"), QStringLiteral("time_utc"), QStringLiteral("time_local"),
                   QStringLiteral("workstation"), QStringLiteral("user"), QStringLiteral("machine_id"),
                   QStringLiteral("machine_number"), QStringLiteral("machine_description"), QStringLiteral("medium"),
                   QStringLiteral("direction"), QStringLiteral("local_path"), QStringLiteral("remote"),
                   QStringLiteral("bytes"), QStringLiteral("sha256"), QStringLiteral("outcome"),
                   QStringLiteral("error"), QStringLiteral("notice")});
}

QByteArray row(const JournalEntry &e)
{
    return record({e.id > 0 ? QString::number(e.id) : QString(), JournalStore::timeText(e.timeUtc),
                   e.timeUtc.isValid() ? e.timeUtc.toLocalTime().toString(Qt::ISODate) : QString(), e.workstation,
                   e.user, e.machineId, e.machineNumber, e.machineDescription, JournalWords::keyword(e.medium),
                   JournalWords::keyword(e.direction), e.localPath, e.remote,
                   e.bytes >= 0 ? QString::number(e.bytes) : QString(), e.sha256, JournalWords::keyword(e.outcome),
                   e.error, e.notice});
}

bool write(QIODevice *device, const QVector<JournalEntry> &entries, QString *error)
{
    QByteArray block = headerRow();
    const auto flush = [&]() {
        if (device->write(block) != block.size()) {
            *error = device->errorString();
            return false;
        }
        block.clear();
        return true;
    };
    for (const JournalEntry &e : entries) {
        block += row(e);
        if (block.size() >= (1 << 16) && !flush())
            return false;
    }
    return flush();
}

} // namespace JournalCsv
