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

// Appends text as UTF-8; plain ASCII is copied unit by unit without a
// conversion buffer.
inline void appendUtf8Text(QByteArray &out, const QString &text)
{
    const qsizetype size = text.size();
    const char16_t *units = reinterpret_cast<const char16_t *>(text.constData());
    for (qsizetype i = 0; i < size; ++i) {
        if (units[i] >= 0x80) {
            out += text.toUtf8();
            return;
        }
    }
    const qsizetype at = out.size();
    out.resize(at + size);
    char *target = out.data() + at;
    for (qsizetype i = 0; i < size; ++i)
        target[i] = char(units[i]);
}
