#include "StartEndTool.h"

#include "lang/Texts.h"

QString StartEndTool::statusText() const { return T("Form_EDT7.MSG01"); }
QString StartEndTool::historyTitle() const { return T("Form_EDT7.MSG02"); }

QStringList StartEndTool::historyDetails() const
{
    const QString what = m_position == Position::Start ? T("Form_EDT7.MSG03") : T("Form_EDT7.MSG04");
    return {what + QStringLiteral(" : ") + m_text, QString(), QString()};
}

QString StartEndTool::transform(QStringView line)
{
    QString result;
    result.reserve(line.size() + m_text.size());
    if (m_position == Position::Start)
        result += m_text;
    result += line;
    if (m_position == Position::End)
        result += m_text;
    return result;
}
