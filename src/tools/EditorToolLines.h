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
// With the editor's Scintilla control at hand, replaced lines are gathered
// into blocks of neighbouring lines that go into the document as one
// replacement each: line by line a 1,000,000-line run spends seconds in the
// control (and its undo a great deal more), block by block a fraction of that.
// A block is written when it is full or a quarter of a second old, and when
// the run ends, however it ends.
class EditorToolLines : public ToolLines
{
public:
    EditorToolLines(EditorLines &editor, QsciScintillaBase *control);
    ~EditorToolLines() override;

    int count() const override { return m_editor.count(); }
    QString line(int index) const override;
    void replaceLine(int index, const QString &text) override;
    void setCaretLine(int line1Based) override;
    void beginChanges() override { m_editor.beginBulkChange(); }
    void endChanges() override;

    // Writes the gathered block into the document.
    void flush();

private:
    EditorLines &m_editor;
    QsciScintillaBase *m_control;
    int m_blockFirst = -1;             // first line of the block, -1 for none
    std::vector<QByteArray> m_texts;   // new UTF-8 text per line of the block
    std::vector<bool> m_changed;       // false: the line stays as the document has it
    qsizetype m_blockBytes = 0;
    QElapsedTimer m_sinceFlush;
};
