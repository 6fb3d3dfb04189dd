#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// One item of a folder as the browser's list shows it.
struct FolderEntry
{
    QString name;
    bool isDir = false;
    qint64 size = 0;
    QDateTime modified;

    bool sameData(const FolderEntry &o) const { return isDir == o.isDir && size == o.size && modified == o.modified; }
};

// Reading a folder for the list and the list's order.
namespace FolderListing {

// The list's columns, which are also its sort keys.
enum Column { Name = 0, Size = 1, Type = 2, Modified = 3 };

// The folders and files of a folder (no hidden ones), unsorted. An unreadable
// or missing folder gives an empty list.
QList<FolderEntry> read(const QString &folder);

// The order of a file manager: folders before files, then by the column, names
// compared in any letter case with digit runs by value ("O2" before "O10"), and
// ties broken by the exact name so that the order is total.
struct Order
{
    int column = Name;
    bool descending = false;
    bool operator()(const FolderEntry &a, const FolderEntry &b) const;
};

void sort(QList<FolderEntry> &entries, const Order &order);

// Negative, zero or positive, like strcmp, by the natural rule above.
int compareNames(const QString &a, const QString &b);
// The part of the name the type column is ordered by (its extension).
QString typeKey(const FolderEntry &e);

} // namespace FolderListing
