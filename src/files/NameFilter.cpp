#include "NameFilter.h"

NameFilter::NameFilter(const QString &text)
    : m_text(text), m_upper(text.toUpper()), m_active(!text.trimmed().isEmpty())
{
}

bool NameFilter::admits(const QString &fileName, bool isFolder) const
{
    if (!m_active)
        return true;
    if (isFolder)
        return false;
    return fileName.toUpper().contains(m_upper);
}
