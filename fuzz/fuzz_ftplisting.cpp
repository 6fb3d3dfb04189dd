// The FTP listing parser on arbitrary server output, read as UTF-8 and as
// Latin-1, against a few "today" dates (a leap day among them).
#include "FuzzSupport.h"

#include "platform/ftp/FtpListing.h"

namespace {

void checkEntries(const QList<FtpListEntry> &entries, const QString &listing, bool fromList)
{
    const qsizetype lines = listing.count(QLatin1Char('\n')) + 1;
    FUZZ_CHECK(entries.size() <= lines, escaped(listing));
    for (const FtpListEntry &entry : entries) {
        FUZZ_CHECK(!entry.name.isEmpty(), escaped(listing));
        FUZZ_CHECK(!entry.name.contains(QLatin1Char('\n')), escaped(entry.name));
        // Sizes are digit columns or facts; anything else is unknown (0).
        FUZZ_CHECK(entry.size >= 0, escaped(listing));
        if (fromList) {
            FUZZ_CHECK(!entry.name.startsWith(QLatin1Char(' ')), escaped(entry.name));
        }
    }
}

void parse(const QString &listing)
{
    static const QDate todays[] = {QDate(2024, 6, 15), QDate(2000, 2, 29), QDate(2021, 1, 1)};
    for (const QDate &today : todays)
        checkEntries(FtpListing::parseList(listing, today), listing, true);
    checkEntries(FtpListing::parseMlsd(listing), listing, false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    parse(QString::fromUtf8(bytes));
    parse(QString::fromLatin1(bytes));
    return 0;
}
