#pragma once

#include <QString>

// The file list's admission rule (ShellListView1AddFolder). With a filter text
// that is blank or empty everything is admitted; otherwise folders are not, and a
// file is admitted when the text occurs in its name in any letter case. Only the
// blank test trims: the text itself is matched as typed.
class NameFilter
{
public:
    explicit NameFilter(const QString &text = QString());

    QString text() const { return m_text; }
    bool isActive() const { return m_active; }
    // `fileName` is the name and extension without the folder.
    bool admits(const QString &fileName, bool isFolder) const;

private:
    QString m_text;
    QString m_upper;
    bool m_active = false;
};
