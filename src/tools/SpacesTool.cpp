#include "SpacesTool.h"

#include "lang/Texts.h"

namespace {

bool getsBlankInFront(QChar c)
{
    switch (c.unicode()) {
    case '(': case '{':
    case 'A': case 'B': case 'C': case 'D': case 'F': case 'G': case 'H': case 'I': case 'J': case 'K':
    case 'L': case 'M': case 'P': case 'Q': case 'R': case 'S': case 'T': case 'X': case 'Y': case 'Z':
        return true;
    default:
        return false;
    }
}

} // namespace

QString FUNC_Remover_Espacos(QStringView line)
{
    QString output;
    output.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line[i].unicode();
        if (c == '#' || c == '%' || c == '(' || c == '{') {
            output += line.mid(i);
            break;
        }
        if (c != ' ')
            output += line[i];
    }
    return output;
}

QString FUNC_Adicionar_Espacos(QStringView line)
{
    QString output;
    output.reserve(line.size() + line.size() / 2 + 1);
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('%')) {
            output += line.mid(i);
            break;
        }
        if (getsBlankInFront(c))
            output += QLatin1Char(' ');
        output += c;
        if (c == QLatin1Char('(') || c == QLatin1Char('{')) {
            output += line.mid(i + 1);
            break;
        }
    }
    return output;
}

QString SpacesTool::statusText() const { return T("Form_EDT1.MSG01"); }
QString SpacesTool::historyTitle() const { return T("Form_EDT1.MSG02"); }

QStringList SpacesTool::historyDetails() const
{
    QString detail;
    if (m_mode == Mode::Remove)
        detail = T("Form_EDT1.MSG03");
    else if (m_mode == Mode::Add)
        detail = T("Form_EDT1.MSG04");
    return {detail, QString(), QString()};
}

QString SpacesTool::transform(QStringView line)
{
    return m_mode == Mode::Remove ? FUNC_Remover_Espacos(line) : FUNC_Adicionar_Espacos(line);
}
