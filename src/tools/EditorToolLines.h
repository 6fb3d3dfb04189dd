#pragma once

#include "ToolLines.h"
#include "editor/EditorLines.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <vector>

class QsciScintillaBase;

// A tool run on an editor: its lines, caret and focus; the changes of one run
// are one bulk change of the editor (one undo step, one change notification).
//
// Replaced lines are gathered into blocks of neighbouring lines that go into
// the document as one replacement each: line by line a 1,000,000-line run
// spends seconds in the control (and its undo a great deal more), block by
// block a fraction of that. A block is written when it is full or a quarter of
// a second old, and when the run ends, however it ends.
//
// Lines keep the numbers they had when the run began, as they do in the
// command line: a replacement that holds line breaks becomes several lines of
// the document, and the lines after it are still found under their own
// numbers (a line spanning several lines reads back as all of them, breaks
// included).
class EditorToolLines : public ToolLines
{
public:
    EditorToolLines(EditorLines &editor, QsciScintillaBase &control);
    ~EditorToolLines() override;

    int count() const override { return m_editor.count() - m_extraTotal; }
    QString line(int index) const override;
    void replaceLine(int index, const QString &text) override;
    void setCaretLine(int line1Based) override;
    void beginChanges() override { m_editor.beginBulkChange(); }
    void endChanges() override;

    // Writes the gathered block into the document.
    void flush();

private:
    // The document line on which a line of the run begins, and how many
    // further document lines it spans.
    int documentLine(int index) const;
    int blockSize() const { return int(m_newStart.size()); }
    QByteArrayView newText(int index) const;
    int extraLines(int index) const;
    void setExtraLines(int index, int extra);
    void afterChange(int index, long documentLinesBefore);

    EditorLines &m_editor;
    QsciScintillaBase &m_control;
    int m_blockFirst = -1;             // first line of the block, -1 for none
    // The new UTF-8 texts of the block one after the other, and where each
    // line's text starts and ends in it (start -1: the line stays as it is).
    QByteArray m_newText;
    std::vector<qsizetype> m_newStart;
    std::vector<qsizetype> m_newEnd;
    bool m_blockHasBreaks = false;
    QElapsedTimer m_sinceFlush;

    // Further document lines per run line, only once a replacement held a
    // break: the values, and a Fenwick tree of them for the sums before a line.
    std::vector<int> m_extra;
    std::vector<int> m_extraTree;
    int m_extraTotal = 0;
};
