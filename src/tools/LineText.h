#pragma once

#include <QString>
#include <QStringView>

// Blanks as the tools see them: every character of code 32 or less.
namespace LineText {

inline bool isBlankChar(QChar c) { return c.unicode() <= 32; }

// The text without blanks at either end.
inline QStringView trimmed(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlankChar(text[begin]))
        ++begin;
    while (end > begin && isBlankChar(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Empty or blanks only.
inline bool isBlank(QStringView text)
{
    for (QChar c : text) {
        if (!isBlankChar(c))
            return false;
    }
    return true;
}

} // namespace LineText
