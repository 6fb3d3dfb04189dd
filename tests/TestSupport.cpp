#include "TestSupport.h"

#include "app/AppState.h"
#include "lang/Texts.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace TestSupport {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList corpusFiles(bool includeExtra)
{
    QStringList files;
    QStringList dirs{QStringLiteral(ZAVRIN_CORPUS_DIR)};
    if (includeExtra)
        dirs << QStringLiteral(ZAVRIN_EXTRA_CORPUS_DIR);
    QStringList seen;
    for (const QString &d : dirs) {
        QDir dir(d);
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            if (name == QLatin1String("README.md") || seen.contains(name))
                continue;
            seen << name;
            files << dir.filePath(name);
        }
    }
    return files;
}

QString folder(const QString &path) { return Paths::withTrailingSeparator(path); }

void resetAppState()
{
    app() = AppState();
    Texts::clearAll();
}

} // namespace TestSupport
