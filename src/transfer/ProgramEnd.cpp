#include "ProgramEnd.h"

#include <QByteArrayList>

namespace ProgramEnd {

namespace {

// Blank: nothing but blanks, control characters and tape leader bytes.
bool isBlank(const QByteArray &line)
{
    for (char c : line)
        if (uchar(c) > 32 && uchar(c) != 127)
            return false;
    return true;
}

// The line without its comments: "( ... )" and everything after ";".
QByteArray withoutComments(const QByteArray &line)
{
    QByteArray out;
    int depth = 0;
    for (char c : line) {
        if (c == ';' && depth == 0)
            break;
        if (c == '(') {
            ++depth;
            continue;
        }
        if (c == ')' && depth > 0) {
            --depth;
            continue;
        }
        if (depth == 0)
            out += c;
    }
    return out;
}

bool endsProgram(const QByteArray &rawLine)
{
    const QByteArray line = withoutComments(rawLine).trimmed().toUpper();
    if (line.startsWith('%'))
        return true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != 'M')
            continue;
        // A word's letter: not the end of another word's letters ("NUM30" is no M30).
        if (i > 0 && line[i - 1] >= 'A' && line[i - 1] <= 'Z')
            continue;
        qsizetype j = i + 1;
        while (j < line.size() && line[j] == ' ')
            ++j;
        qsizetype k = j;
        while (k < line.size() && line[k] >= '0' && line[k] <= '9')
            ++k;
        if (k == j || (k < line.size() && line[k] == '.'))
            continue;
        const int value = line.mid(j, k - j).toInt();
        if (value == 2 || value == 30 || value == 99)
            return true;
    }
    return false;
}

} // namespace

bool hasEndMark(const QByteArray &text)
{
    QByteArray normal = text;
    normal.replace('\r', '\n');
    const QByteArrayList lines = normal.split('\n');
    int seen = 0;
    for (qsizetype i = lines.size() - 1; i >= 0 && seen < LinesLookedAt; --i) {
        if (isBlank(lines[i]))
            continue;
        ++seen;
        if (endsProgram(lines[i]))
            return true;
    }
    return false;
}

} // namespace ProgramEnd
