#pragma once

#include "journal/JournalEntry.h"

#include <QIODevice>
#include <QStringList>
#include <QTimeZone>
#include <QVector>

// Journal entries made up for tests, benchmarks and pictures: `count` transfers over the
// machines of a small shop, one every 7 minutes back from `newest`, in the store's order
// (oldest first), each field varied so that every filter finds something.
inline QVector<JournalEntry> sampleJournal(int count, const QDateTime &newest = QDateTime(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC))
{
    const struct { const char *id, *number, *description, *folder; JournalEntry::Medium medium; const char *remote; } machines[] = {
        {"1", "01", "VMC-850 Mill", "/srv/cnc/VMC-850", JournalEntry::Medium::Ftp, "ftp://operator@192.168.10.21/PROGRAMS/"},
        {"2", "02", "Lathe TL-2", "/srv/cnc/TL-2", JournalEntry::Medium::Serial, "COM3 (/dev/ttyUSB0)"},
        {"3", "03", "Router 3-axis", "/srv/cnc/Router", JournalEntry::Medium::Directory, "/mnt/router/in/"},
        {"4", "04", "Mill-Turn MT-40", "/srv/cnc/MT-40", JournalEntry::Medium::Ftp, "ftp://cnc@192.168.10.40/NC/"},
        {"5", "05", "Grinder G-7", "/srv/cnc/G-7", JournalEntry::Medium::Serial, "COM1 (/dev/ttyS0)"},
    };
    const JournalEntry::Outcome outcomes[] = {JournalEntry::Outcome::Verified, JournalEntry::Outcome::Done,
                                              JournalEntry::Outcome::Verified, JournalEntry::Outcome::Cancelled,
                                              JournalEntry::Outcome::Verified, JournalEntry::Outcome::Failed,
                                              JournalEntry::Outcome::Done, JournalEntry::Outcome::VerificationFailed};
    QVector<JournalEntry> out;
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto &m = machines[(i * 7 + i / 3) % 5];
        JournalEntry e;
        e.id = i + 1;
        e.timeUtc = newest.addSecs(-qint64(count - 1 - i) * 420);
        e.workstation = i % 9 ? QStringLiteral("SHOP-PC1") : QStringLiteral("SHOP-PC2");
        e.user = i % 4 ? QStringLiteral("operator") : QStringLiteral("setter");
        e.machineId = QLatin1String(m.id);
        e.machineNumber = QLatin1String(m.number);
        e.machineDescription = QLatin1String(m.description);
        e.medium = m.medium;
        e.direction = i % 5 == 4 ? JournalEntry::Direction::Receive : JournalEntry::Direction::Send;
        const QString name = QStringLiteral("O%1.nc").arg(1000 + i % 3000);
        e.localPath = QLatin1String(m.folder) + QLatin1Char('/') + name;
        e.remote = e.medium == JournalEntry::Medium::Serial ? QLatin1String(m.remote) : QLatin1String(m.remote) + name;
        e.bytes = 800 + (qint64(i) * 7919) % 250000;
        e.sha256 = QString::number(quint64(i) * 0x9E3779B97F4A7C15ULL, 16).rightJustified(64, QLatin1Char('0'));
        e.outcome = outcomes[i % 8];
        if (e.outcome == JournalEntry::Outcome::Failed)
            e.error = QStringLiteral("The serial port \"COM3\" failed while writing: Input/output error");
        if (e.outcome == JournalEntry::Outcome::VerificationFailed)
            e.error = QStringLiteral("The file read back differs from the one sent at byte 1024");
        if (e.medium == JournalEntry::Medium::Serial && e.direction == JournalEntry::Direction::Receive && i % 3 == 0)
            e.notice = QStringLiteral("no end of program received");
        out.append(e);
    }
    return out;
}

// RFC 4180 for the tests and benchmarks: every field quoted, quotes doubled, CR LF line ends,
// UTF-8, a header first. The real writer belongs to the journal's own area.
inline bool writeSampleCsv(const QVector<JournalEntry> &entries, QIODevice *device, QString *error)
{
    const auto field = [](const QString &s) { return QLatin1Char('"') + QString(s).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'); };
    QByteArray out = "\"time\",\"machine\",\"file\",\"outcome\"\r\n";
    for (const JournalEntry &e : entries)
        out += QStringList{field(e.timeUtc.toString(Qt::ISODate)), field(e.machineNumber), field(e.localPath),
                           field(QString::number(int(e.outcome)))}.join(QLatin1Char(',')).toUtf8() + "\r\n";
    if (device->write(out) != out.size()) {
        *error = device->errorString();
        return false;
    }
    return true;
}
