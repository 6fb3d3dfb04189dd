#include "RenumberTool.h"

#include "LineText.h"
#include "ToolTexts.h"
#include "lang/Texts.h"
#include "platform/Error.h"

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

qint64 blockNumberValue(const QString &digits)
{
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == QLatin1Char('0'))
        ++first;
    const QStringView significant = QStringView(digits).mid(first);
    if (significant.size() > 10)
        throw Error(ToolTexts::blockNumberTooLarge(significant.toString()));
    const qint64 value = significant.toLongLong();
    if (value > MaxBlockNumber)
        throw Error(ToolTexts::blockNumberTooLarge(significant.toString()));
    return value;
}

} // namespace

QString FUNC_Numerar_Bloco(QStringView line, int increment, int digits, bool renumber, qint64 &blockCounter)
{
    QString output;
    output.reserve(line.size() + 12);
    QString oldNumber;
    bool scanning = true;
    bool collecting = false;
    bool tookN = false;
    bool outputBlank = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('%')) {
            scanning = false;
            output += line.mid(i);
            break;
        }
        if (!isDigit(c))
            collecting = false;
        if (collecting)
            oldNumber += c;
        if (c == QLatin1Char('N') && outputBlank) {
            collecting = true;
            tookN = true;
        }
        if (!collecting) {
            output += c;
            if (!LineText::isBlankChar(c))
                outputBlank = false;
        }
    }
    if (oldNumber.isEmpty() && !line.isEmpty() && startsBlock(line[0]))
        oldNumber = QStringLiteral("0");

    if (scanning && !oldNumber.isEmpty()) {
        if (renumber) {
            const qint64 next = blockCounter + increment;
            if (next > MaxBlockNumber)
                throw Error(ToolTexts::blockNumberTooLarge(QString::number(next)));
            blockCounter = next;
        } else {
            blockCounter = blockNumberValue(oldNumber);
        }
        const QString number = QString::number(blockCounter);
        const int width = std::min(digits, MaxBlockDigits);
        QString result;
        result.reserve(1 + std::max<qsizetype>(width, number.size()) + output.size());
        result += QLatin1Char('N');
        if (number.size() < width)
            result += QString(width - number.size(), QLatin1Char('0'));
        result += number;
        result += output;
        return result;
    }
    // The N word would be dropped without a new one: keep the block number.
    if (tookN)
        return line.toString();
    return output;
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
