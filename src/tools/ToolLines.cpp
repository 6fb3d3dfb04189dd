#include "ToolLines.h"

ToolLines::~ToolLines() = default;

QString StringListLines::line(int index) const
{
    return index >= 0 && index < m_lines.size() ? m_lines.at(index) : QString();
}

void StringListLines::replaceLine(int index, const QString &text)
{
    if (index == m_lines.size())
        m_lines.append(text);
    else
        m_lines[index] = text;
}
