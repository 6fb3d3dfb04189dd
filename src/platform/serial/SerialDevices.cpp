#include "SerialDevices.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace SerialDevices {

namespace {

// Devices and links to devices: QDir lists device nodes only as "system" entries.
constexpr QDir::Filters Entries = QDir::Files | QDir::System | QDir::NoDotAndDotDot;

QFileInfoList present(const QDir &dir, const QStringList &patterns)
{
    QFileInfoList found;
    for (const QFileInfo &fi : dir.entryInfoList(patterns, Entries))
        if (fi.exists())
            found << fi;
    return found;
}

// ttyS2 before ttyS10: names compare by their text, then by the number they end in.
void sortNatural(QFileInfoList &list)
{
    const auto split = [](const QString &name) {
        qsizetype digits = name.size();
        while (digits > 0 && name.at(digits - 1).isDigit())
            --digits;
        return std::make_pair(name.left(digits), name.mid(digits).toULongLong());
    };
    std::sort(list.begin(), list.end(),
              [&](const QFileInfo &a, const QFileInfo &b) { return split(a.fileName()) < split(b.fileName()); });
}

} // namespace

QList<Device> scan(const QString &root)
{
    QList<Device> devices;
    const QDir dev(root);
    QFileInfoList byId = present(QDir(dev.filePath(QStringLiteral("serial/by-id"))), {});
    sortNatural(byId);
    for (const QFileInfo &fi : std::as_const(byId))
        devices.append({QDir::cleanPath(fi.absoluteFilePath()), QDir::cleanPath(fi.symLinkTarget())});
    for (const char *pattern : {"ttyUSB*", "ttyACM*", "ttyS*"}) {
        QFileInfoList list = present(dev, {QLatin1String(pattern)});
        sortNatural(list);
        for (const QFileInfo &fi : std::as_const(list))
            devices.append({QDir::cleanPath(fi.absoluteFilePath()), QString()});
    }
    return devices;
}

bool exists(const QString &path) { return !path.isEmpty() && QFileInfo::exists(path); }

} // namespace SerialDevices
