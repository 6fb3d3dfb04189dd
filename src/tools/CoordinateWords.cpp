#include "CoordinateWords.h"

using CoordinateWords::isNumberChar;
using CoordinateWords::isStop;

namespace {

// Where the stop region begins (the line's length when there is none).
qsizetype stopPosition(QStringView line)
{
    const char16_t *units = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype size = line.size();
    for (qsizetype i = 0; i < size; ++i) {
        // All six stop characters lie between "#" and "}".
        const char16_t c = units[i];
        if (c >= '#' && c <= '}' && isStop(QChar(c)))
            return i;
    }
    return size;
}

// The end of the number text that starts at `from`.
qsizetype numberEnd(QStringView line, qsizetype from, qsizetype stop)
{
    while (from < stop && isNumberChar(line[from]))
        ++from;
    return from;
}

} // namespace

bool CoordinateWords::rewriteWords(QStringView line, QChar letter, const WordOperation &operation, bool plus,
                                   const NumberSyntax &syntax, QString &result)
{
    // The characters between words are copied as they are, a stretch at a time.
    const qsizetype stop = stopPosition(line);
    qsizetype i = line.left(stop).indexOf(letter);
    if (i < 0)
        return false;

    QString output;
    output.reserve(line.size() + 16);
    qsizetype copied = 0;
    while (i >= 0) {
        const qsizetype end = numberEnd(line, i + 1, stop);
        const QStringView number = line.mid(i + 1, end - i - 1);
        output += line.mid(copied, i + 1 - copied); // up to and with the letter
        if (number.contains(QLatin1Char('+')))
            plus = true;
        if (!number.isEmpty()) {
            const Extended result = operation(FUNC_Ler_Numero(number, syntax));
            if (plus && result.isAtLeastZero())
                output += QLatin1Char('+');
            appendFormattedNumber(output, result);
        }
        copied = end;
        // A word ends at the first character that is not part of a number,
        // which may be the letter of the next word.
        i = end < stop ? line.left(stop).indexOf(letter, end) : -1;
    }
    output += line.mid(copied);
    result = std::move(output);
    return true;
}

QString FUNC_Reescrever_Palavra(QStringView line, QChar letter, const WordOperation &operation, bool plus,
                                const NumberSyntax &syntax)
{
    QString output;
    if (!CoordinateWords::rewriteWords(line, letter, operation, plus, syntax, output))
        return line.toString();
    return output;
}

QString FUNC_Reescrever_Palavra(QStringView line, QChar letter, const WordOperation &operation, bool plus)
{
    return FUNC_Reescrever_Palavra(line, letter, operation, plus, NumberSyntax::current());
}

QString FUNC_Ler_Palavra(QStringView line, QChar letter)
{
    const qsizetype stop = stopPosition(line);
    QStringView result;
    for (qsizetype i = line.left(stop).indexOf(letter); i >= 0;) {
        const qsizetype end = numberEnd(line, i + 1, stop);
        result = line.mid(i + 1, end - i - 1);
        i = end < stop ? line.left(stop).indexOf(letter, end) : -1;
    }
    return result.toString();
}
