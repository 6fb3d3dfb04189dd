#include "NewFileList.h"

QString newFileMarker(const QString &caption) { return QStringLiteral("*\\") + caption + QStringLiteral("/*"); }

bool isNewFile(const QStringList &newFileList, const QString &caption)
{
    return newFileList.join(QStringLiteral("\r\n")).contains(newFileMarker(caption));
}

QString newFileCaption(const QString &newText, int counter)
{
    return newText + QLatin1Char('(') + QString::number(counter) + QLatin1Char(')');
}
