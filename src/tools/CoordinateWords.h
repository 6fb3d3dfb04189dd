#pragma once

#include "Extended.h"
#include "NumberText.h"

#include <QChar>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

// Address words of one letter in a line of a program: the letter (upper case,
// compared exactly) and the run of number characters "+,-.0123456789" right
// after it. From the first "#", "%", "(", ")", "{" or "}" on, nothing is read
// or changed (comments, macro text, program delimiters).

// The new value of a word from its value. May throw (an operand that is not a number).
using WordOperation = std::function<Extended(const Extended &)>;

// Rewrites every word of `letter` with a non-empty number text to the text of
// operation(value), leaving every other character where it was. With `plus`,
// or once a word of the letter whose text holds a "+" has been met, results
// that are not negative get a "+". Throws ConversionError for a word whose
// number text is not a number.
QString FUNC_Reescrever_Palavra(QStringView line, QChar letter, const WordOperation &operation, bool plus,
                                const NumberSyntax &syntax);
QString FUNC_Reescrever_Palavra(QStringView line, QChar letter, const WordOperation &operation, bool plus);

// The number text of the last word of `letter` in front of the first stop
// character, or empty.
QString FUNC_Ler_Palavra(QStringView line, QChar letter);

namespace CoordinateWords {
// FUNC_Reescrever_Palavra into `output`; false, leaving `output` alone, when
// the line has no word of the letter (the line would come back unchanged).
// When the operation is v + d for a decimal d, `addend` may hold d (looked at
// for every word, so it may be filled by the operation itself): plain words
// are then summed as decimals, with the same result.
bool rewriteWords(QStringView line, QChar letter, const WordOperation &operation, bool plus,
                  const NumberSyntax &syntax, QString &output, const std::optional<PlainDecimal> *addend = nullptr);

inline bool isStop(QChar c)
{
    switch (c.unicode()) {
    case '#': case '%': case '(': case ')': case '{': case '}':
        return true;
    default:
        return false;
    }
}
inline bool isNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '+' || u == ',' || u == '-' || u == '.';
}
} // namespace CoordinateWords
