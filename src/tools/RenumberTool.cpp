#include "RenumberTool.h"

#include "LineText.h"
#include "ToolTexts.h"
#include "lang/Texts.h"

#include <QVarLengthArray>
#include <algorithm>

namespace {

constexpr qint64 MaxBlockNumber = 2147483647;

bool startsBlock(QChar c)
{
    switch (c.unicode()) {
    case '(': case 'A': case 'B': case 'C': case 'F': case 'G': case 'I': case 'J': case 'K':
    case 'M': case 'R': case 'S': case 'T': case 'X': case 'Y': case 'Z':
        return true;
    default:
        return false;
    }
}

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

qint64 blockNumberValue(QStringView digits)
{
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == QLatin1Char('0'))
        ++first;
    const QStringView significant = digits.mid(first);
    if (significant.size() > 10)
        throw BlockNumberError(ToolTexts::blockNumberTooLarge(significant.toString()));
    const qint64 value = significant.toLongLong();
    if (value > MaxBlockNumber)
        throw BlockNumberError(ToolTexts::blockNumberTooLarge(significant.toString()));
    return value;
}

} // namespace

QString FUNC_Numerar_Bloco(QStringView line, int increment, int digits, bool renumber, qint64 &blockCounter)
{
    // The N words can only be taken out while nothing but blanks has gone to
    // the output; from the first other character on, the rest of the line is
    // copied as it is. "#" or "%" anywhere means the line gets no number.
    QVarLengthArray<QChar, 32> prefix;
    QVarLengthArray<QChar, 32> oldNumber;
    bool collecting = false;
    bool scanning = true;
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('%')) {
            scanning = false;
            break;
        }
        if (!isDigit(c))
            collecting = false;
        if (collecting) {
            oldNumber.append(c);
            continue;
        }
        if (c == QLatin1Char('N')) {
            collecting = true;
            continue;
        }
        if (!LineText::isBlankChar(c))
            break;
        prefix.append(c);
    }
    const QStringView rest = line.mid(i);
    if (scanning && (rest.contains(QLatin1Char('#')) || rest.contains(QLatin1Char('%'))))
        scanning = false;

    const bool numbered = !oldNumber.isEmpty() || (!line.isEmpty() && startsBlock(line[0]));
    // Without a new number the line stays as it is; in particular an N word is
    // never dropped without a new one (that would lose the block number).
    if (!scanning || !numbered)
        return line.toString();

    if (renumber) {
        const qint64 next = blockCounter + increment;
        if (next > MaxBlockNumber)
            throw BlockNumberError(ToolTexts::blockNumberTooLarge(QString::number(next)));
        blockCounter = next;
    } else {
        blockCounter = oldNumber.isEmpty() ? 0 : blockNumberValue(QStringView(oldNumber.constData(), oldNumber.size()));
    }

    char number[20];
    int numberLength = 0;
    for (qint64 n = blockCounter < 0 ? -blockCounter : blockCounter; n || numberLength == 0; n /= 10)
        number[numberLength++] = char('0' + n % 10);
    if (blockCounter < 0)
        number[numberLength++] = '-';
    const qsizetype zeros = std::max<qsizetype>(0, std::min(digits, MaxBlockDigits) - numberLength);

    QString result(1 + zeros + numberLength + prefix.size() + rest.size(), Qt::Uninitialized);
    QChar *out = result.data();
    *out++ = QLatin1Char('N');
    for (qsizetype z = 0; z < zeros; ++z)
        *out++ = QLatin1Char('0');
    while (numberLength)
        *out++ = QLatin1Char(number[--numberLength]);
    out = std::copy(prefix.cbegin(), prefix.cend(), out);
    std::copy(rest.cbegin(), rest.cend(), out);
    return result;
}

QString RenumberTool::statusText() const { return T("Form_EDT2.MSG01"); }
QString RenumberTool::historyTitle() const { return T("Form_EDT2.MSG02"); }

QStringList RenumberTool::historyDetails() const
{
    QStringList details{QString(), QString(), QString()};
    if (m_options.digitsOn)
        details[0] = T("Form_EDT2.MSG03") + QLatin1Char(' ') + T("Form_EDT2.MSG04") + QLatin1Char(' ')
                     + QString::number(m_options.digits);
    if (m_options.renumber) {
        details[1] = T("Form_EDT2.MSG05");
        details[2] = T("Form_EDT2.MSG06") + QString::number(m_options.start) + T("Form_EDT2.MSG07")
                     + QString::number(m_options.increment);
    }
    return details;
}

bool RenumberTool::skips(QStringView line) const
{
    return LineText::isBlank(line);
}

void RenumberTool::begin()
{
    BlockCounter = qint64(m_options.start) - m_options.increment;
}

QString RenumberTool::transform(QStringView line)
{
    return FUNC_Numerar_Bloco(line, m_options.increment, m_options.digitsOn ? m_options.digits : 0,
                              m_options.renumber, BlockCounter);
}
