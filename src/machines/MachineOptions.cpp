#include "MachineOptions.h"

#include "platform/ProfileFile.h"

namespace {
bool readFlag(const ProfileFile &file, const QString &section, const char *key, bool def)
{
    return file.readInteger(section, QString::fromLatin1(key), def ? 1 : 0) != 0;
}
ProfileFile::Entry flag(const QString &section, const char *key, bool on)
{
    return {section, QString::fromLatin1(key), on ? QStringLiteral("1") : QStringLiteral("0")};
}
} // namespace

QString MachineOptions::sectionFor(const QString &machineId)
{
    return QStringLiteral("MACHINE%1").arg(machineId.trimmed());
}

MachineOptions MachineOptions::read(const QString &iniPath, const QString &machineId)
{
    const ProfileFile file(iniPath);
    const QString section = sectionFor(machineId);
    MachineOptions o;
    o.verifyByReadBack = readFlag(file, section, "VERIFY", o.verifyByReadBack);
    o.autoReceive = readFlag(file, section, "AUTORECEIVE", o.autoReceive);
    o.remoteRequest = readFlag(file, section, "REMOTEREQUEST", o.remoteRequest);
    o.stripLeader = readFlag(file, section, "STRIPLEADER", o.stripLeader);
    o.answerDelaySeconds = qBound(0, file.readInteger(section, QStringLiteral("ANSWERDELAY"), o.answerDelaySeconds), 600);
    const QString pattern = file.readString(section, QStringLiteral("NAMEPATTERN"), QString());
    if (pattern.contains(QLatin1String("%1")))
        o.namePattern = pattern;
    const QString ext = file.readString(section, QStringLiteral("EXTENSION"), o.extension);
    o.extension = ext.isEmpty() || ext.startsWith(QLatin1Char('.')) ? ext : QLatin1Char('.') + ext;
    return o;
}

bool MachineOptions::write(const QString &iniPath, const QString &machineId, QString *error) const
{
    const QString section = sectionFor(machineId);
    ProfileFile file(iniPath);
    return file.writeStrings({flag(section, "VERIFY", verifyByReadBack),
                              flag(section, "AUTORECEIVE", autoReceive),
                              flag(section, "REMOTEREQUEST", remoteRequest),
                              {section, QStringLiteral("NAMEPATTERN"), namePattern},
                              {section, QStringLiteral("EXTENSION"), extension},
                              flag(section, "STRIPLEADER", stripLeader),
                             {section, QStringLiteral("ANSWERDELAY"), QString::number(answerDelaySeconds)}},
                             error);
}
