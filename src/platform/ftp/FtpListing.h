#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// One entry of a remote directory listing.
struct FtpListEntry
{
    QString name;
    qint64 size = 0;
    QDateTime modified; // local time; invalid when the server gave no usable date
    bool isFile = false; // a plain file: not a directory, link, device or unknown kind
};

// Turns what an FTP server sends on the data connection for LIST or MLSD into
// entries, in the order the server sent them. Lines that fit no known style
// ("total 12", banners, blank lines) are left out rather than failing the listing.
namespace FtpListing {

// LIST output, one entry per line, each line in either style:
//   Unix `ls -l`:  "-rw-r--r--   1 owner group   900 Mar  5 14:30 name"
//                  (a year instead of the time for older files; links as "name -> target")
//   DOS/Windows:   "12-31-20  03:45PM       <DIR>          name"
//                  "02-10-2021  11:02       1234 name"
// A Unix date without a year is taken in the year that puts it no later than
// tomorrow relative to `today` (servers omit the year for the last six months).
QList<FtpListEntry> parseList(const QString &listing, const QDate &today = QDate::currentDate());
std::optional<FtpListEntry> parseListLine(const QString &line, const QDate &today = QDate::currentDate());

// MLSD output (RFC 3659): "type=file;size=900;modify=20200305143000; name".
// Times are UTC on the wire and returned as local time.
QList<FtpListEntry> parseMlsd(const QString &listing);
std::optional<FtpListEntry> parseMlsdLine(const QString &line);

} // namespace FtpListing
