#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// UTF-8 bytes as text. QString::fromUtf8 drops a leading U+FEFF as if it were a
// byte-order mark; inside a line, a name or what is left of a file after its own
// mark it is a character and must survive a read and write.
inline QString utf8Text(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}
