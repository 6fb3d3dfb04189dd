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

namespace {

// The next occurrence of the letter from `from` on, or the line's length when
// a stop character or the end comes first.
qsizetype nextLetter(const char16_t *units, qsizetype size, qsizetype from, char16_t letter)
{
    for (; from < size; ++from) {
        const char16_t c = units[from];
        if (c == letter)
            return from;
        if (c >= '#' && c <= '}' && isStop(QChar(c)))
            return size;
    }
    return size;
}

} // namespace

bool CoordinateWords::rewriteWords(QStringView line, QChar letter, const WordOperation &operation, bool plus,
                                   const NumberSyntax &syntax, QString &result,
                                   const std::optional<PlainDecimal> *addend)
{
    // One scan finds the words and the stop region together; the characters
    // between words are copied as they are, a stretch at a time.
    const char16_t *units = reinterpret_cast<const char16_t *>(line.data());
    const qsizetype size = line.size();
    const char16_t wanted = letter.unicode();
    qsizetype i = nextLetter(units, size, 0, wanted);
    if (i == size)
        return false;

    QString output;
    output.reserve(size + 16);
    qsizetype copied = 0;
    PlainDecimal plain;
    while (i < size) {
        qsizetype end = i + 1;
        bool plusInNumber = false;
        for (; end < size && isNumberChar(QChar(units[end])); ++end)
            plusInNumber |= units[end] == '+';
        output.append(line.data() + copied, i + 1 - copied); // up to and with the letter
        if (plusInNumber)
            plus = true;
        if (end > i + 1) {
            const QStringView number = line.mid(i + 1, end - i - 1);
            if (!(addend && *addend && readPlainDecimal(number, syntax, plain)
                  && appendPlainSum(output, plain, **addend, plus))) {
                const Extended result = operation(FUNC_Ler_Numero(number, syntax));
                if (plus && result.isAtLeastZero())
                    output += QLatin1Char('+');
                appendFormattedNumber(output, result);
            }
        }
        copied = end;
        // A word ends at the first character that is not part of a number,
        // which may be the letter of the next word.
        i = nextLetter(units, size, end, wanted);
    }
    output.append(line.data() + copied, size - copied);
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
