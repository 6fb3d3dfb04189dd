#include "SqliteConnection.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <vector>

namespace {

sqlite3 *handleOf(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.isOpen() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

QString textOf(const void *utf16, int bytes)
{
    return QString::fromRawData(static_cast<const QChar *>(utf16), bytes / int(sizeof(QChar)));
}

// Texts compare by their case-folded forms first; texts equal but for case then
// compare as stored, so the order is total and repeatable.
int compareNoCase(void *, int leftBytes, const void *left, int rightBytes, const void *right)
{
    const QString a = textOf(left, leftBytes);
    const QString b = textOf(right, rightBytes);
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded;
    return a.compare(b, Qt::CaseSensitive);
}

std::vector<char32_t> foldedCodePoints(const QString &text)
{
    std::vector<char32_t> out;
    out.reserve(size_t(text.size()));
    for (const char32_t c : text.toUcs4())
        out.push_back(QChar::toCaseFolded(c));
    return out;
}

// LIKE with "%" (any run) and "_" (one character), by whole code points. A
// mismatch after a "%" restarts one character further from that "%", which
// keeps the work to pattern length times text length at most.
bool likeMatches(const std::vector<char32_t> &pattern, const std::vector<char32_t> &text)
{
    size_t p = 0, t = 0;
    size_t starP = size_t(-1), starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == U'%') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == U'_' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (starP != size_t(-1)) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'%')
        ++p;
    return p == pattern.size();
}

QString argText(sqlite3_value *value)
{
    const void *data = sqlite3_value_text16(value);
    return data ? textOf(data, sqlite3_value_bytes16(value)) : QString();
}

// like(pattern, text): the engine's form of "text LIKE pattern".
void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (argc != 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const bool match = likeMatches(foldedCodePoints(argText(argv[0])), foldedCodePoints(argText(argv[1])));
    sqlite3_result_int(context, match ? 1 : 0);
}

} // namespace

namespace SqliteConnection {

bool isSqlite(const QSqlDatabase &db) { return handleOf(db) != nullptr; }

void registerUnicodeCase(const QSqlDatabase &db)
{
    sqlite3 *h = handleOf(db);
    if (!h)
        return;
    sqlite3_create_collation_v2(h, NoCaseCollation, SQLITE_UTF16, nullptr, compareNoCase, nullptr);
    sqlite3_create_function_v2(h, "like", 2, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr, likeFunction, nullptr,
                               nullptr, nullptr);
}

bool fileHasMoved(const QSqlDatabase &db)
{
    sqlite3 *h = handleOf(db);
    if (!h)
        return false;
    int moved = 0;
    return sqlite3_file_control(h, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
}

int lastErrorCode(const QSqlDatabase &db)
{
    sqlite3 *h = handleOf(db);
    return h ? sqlite3_extended_errcode(h) : 0;
}

Failure classify(int code)
{
    if (code == SQLITE_READONLY_DBMOVED)
        return Failure::Moved;
    switch (code & 0xff) {
    case SQLITE_READONLY:
        return Failure::ReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Failure::Locked;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Failure::Damaged;
    default:
        return Failure::Other;
    }
}

} // namespace SqliteConnection
