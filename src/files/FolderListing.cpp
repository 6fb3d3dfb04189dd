#include "FolderListing.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace FolderListing {

QList<FolderEntry> read(const QString &folder)
{
    QList<FolderEntry> entries;
    if (folder.isEmpty())
        return entries;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::NoSort);
    entries.reserve(infos.size());
    for (const QFileInfo &info : infos) {
        FolderEntry e;
        e.name = info.fileName();
        e.isDir = info.isDir();
        e.size = e.isDir ? 0 : info.size();
        e.modified = info.lastModified();
        entries.append(e);
    }
    return entries;
}

int compareNames(const QString &a, const QString &b)
{
    const QChar *p = a.constData(), *pe = p + a.size();
    const QChar *q = b.constData(), *qe = q + b.size();
    while (p < pe && q < qe) {
        if (p->isDigit() && q->isDigit()) {
            // Digit runs by value: skip leading zeros, then the longer run is larger.
            const QChar *ps = p, *qs = q;
            while (ps < pe && *ps == QLatin1Char('0'))
                ++ps;
            while (qs < qe && *qs == QLatin1Char('0'))
                ++qs;
            const QChar *pEnd = ps, *qEnd = qs;
            while (pEnd < pe && pEnd->isDigit())
                ++pEnd;
            while (qEnd < qe && qEnd->isDigit())
                ++qEnd;
            if (pEnd - ps != qEnd - qs)
                return (pEnd - ps) < (qEnd - qs) ? -1 : 1;
            for (; ps < pEnd; ++ps, ++qs) {
                if (*ps != *qs)
                    return ps->digitValue() < qs->digitValue() ? -1 : 1;
            }
            p = pEnd;
            q = qEnd;
            continue;
        }
        const char16_t cp = p->toCaseFolded().unicode();
        const char16_t cq = q->toCaseFolded().unicode();
        if (cp != cq)
            return cp < cq ? -1 : 1;
        ++p;
        ++q;
    }
    if (p < pe)
        return 1;
    if (q < qe)
        return -1;
    return 0;
}

QString typeKey(const FolderEntry &e)
{
    if (e.isDir)
        return QString();
    const int dot = e.name.lastIndexOf(QLatin1Char('.'));
    return dot <= 0 ? QString() : e.name.mid(dot + 1);
}

bool Order::operator()(const FolderEntry &a, const FolderEntry &b) const
{
    if (a.isDir != b.isDir)
        return a.isDir;
    int c = 0;
    switch (column) {
    case Size:
        c = a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
        break;
    case Type:
        c = compareNames(typeKey(a), typeKey(b));
        break;
    case Modified:
        c = a.modified < b.modified ? -1 : (b.modified < a.modified ? 1 : 0);
        break;
    default:
        break;
    }
    if (c == 0)
        c = compareNames(a.name, b.name);
    if (c == 0)
        c = a.name < b.name ? -1 : (b.name < a.name ? 1 : 0);
    return descending ? c > 0 : c < 0;
}

void sort(QList<FolderEntry> &entries, const Order &order) { std::sort(entries.begin(), entries.end(), order); }

} // namespace FolderListing
