#pragma once

#include "tools/ToolLines.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The lines of a program held as one UTF-8 buffer (the editor's document
// form), split at CR LF, LF and CR. A line is decoded only when it is read and
// an unchanged line is written back as the very bytes it was, with its own
// break, so a run over a large program costs little more than the lines it
// changes.
class DocumentLines : public ToolLines
{
public:
    // `newLineBreak` ends the last line when a line is appended after it.
    DocumentLines(QByteArray utf8, QByteArray newLineBreak);

    int count() const override { return int(m_starts.size()); }
    QString line(int index) const override;
    void replaceLine(int index, const QString &text) override;

    // The buffer with the replaced lines.
    QByteArray utf8() const;

private:
    QByteArray m_utf8;
    QByteArray m_newLineBreak;
    std::vector<qsizetype> m_starts;      // first byte of each line
    std::vector<qsizetype> m_ends;        // end of its text, where its break begins
    // Replaced lines as UTF-8 in a second buffer: where each one starts (-1
    // for a line not replaced) and ends. Sized on the first replacement.
    QByteArray m_replacementBytes;
    std::vector<qsizetype> m_replacementStarts;
    std::vector<qsizetype> m_replacementEnds;
    mutable QString m_buffer;             // the last line read, reused
};
