#include "MirrorTool.h"

#include "CoordinateWords.h"
#include "lang/Texts.h"

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

Extended mirrored(const Extended &v)
{
    static const Extended minusTwo = Extended::fromInteger(-2);
    return v + v * minusTwo;
}

} // namespace

QString FUNC_Substituir_Primeiro(QStringView line, QStringView oldToken, QStringView newToken)
{
    const bool oneDigitCode = oldToken.size() == 2 && isDigit(oldToken[1]);
    qsizetype from = 0;
    while (true) {
        const qsizetype at = line.indexOf(oldToken, from);
        if (at < 0)
            return line.toString();
        const qsizetype after = at + oldToken.size();
        if (oneDigitCode && after < line.size() && isDigit(line[after])) {
            from = at + 1;
            continue;
        }
        QString result;
        result.reserve(line.size() - oldToken.size() + newToken.size());
        result += line.left(at);
        result += newToken;
        result += line.mid(after);
        return result;
    }
}

QString MirrorTool::statusText() const { return T("Form_EDT5.MSG01"); }
QString MirrorTool::historyTitle() const { return T("Form_EDT5.MSG02"); }

QStringList MirrorTool::historyDetails() const
{
    const auto pair = [](bool first, const char *firstKey, bool second, const char *secondKey) {
        return (first ? T(firstKey) : QString()) + (second ? T(secondKey) : QString());
    };
    return {pair(m_options.x, "Form_EDT5.MSG03", m_options.y, "Form_EDT5.MSG04"),
            pair(m_options.g02, "Form_EDT5.MSG05", m_options.g03, "Form_EDT5.MSG06"),
            pair(m_options.g41, "Form_EDT5.MSG07", m_options.g42, "Form_EDT5.MSG08")};
}

QString MirrorTool::transform(QStringView input)
{
    QString line = m_options.x ? FUNC_Reescrever_Palavra(input, QLatin1Char('X'), mirrored, m_options.plus, m_syntax)
                               : input.toString();
    if (m_options.y)
        line = FUNC_Reescrever_Palavra(line, QLatin1Char('Y'), mirrored, m_options.plus, m_syntax);

    // A block whose G02 just became G03 is not turned back by the G03 rule.
    QString remembered = line;
    if (m_options.g02) {
        line = FUNC_Substituir_Primeiro(line, u"G02", u"G03");
        line = FUNC_Substituir_Primeiro(line, u"G2", u"G3");
    }
    if (line == remembered && m_options.g03) {
        line = FUNC_Substituir_Primeiro(line, u"G03", u"G02");
        line = FUNC_Substituir_Primeiro(line, u"G3", u"G2");
    }
    remembered = line;
    if (m_options.g41)
        line = FUNC_Substituir_Primeiro(line, u"G41", u"G42");
    if (line == remembered && m_options.g42)
        line = FUNC_Substituir_Primeiro(line, u"G42", u"G41");
    return line;
}
