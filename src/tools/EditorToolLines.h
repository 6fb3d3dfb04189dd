#pragma once

#include "ToolLines.h"
#include "editor/EditorLines.h"

// A tool run on an editor: its lines, caret and focus; the changes of one run
// are one bulk change of the editor (one undo step, one change notification).
class EditorToolLines : public ToolLines
{
public:
    explicit EditorToolLines(EditorLines &editor) : m_editor(editor) {}

    int count() const override { return m_editor.count(); }
    QString line(int index) const override { return m_editor.line(index); }
    void replaceLine(int index, const QString &text) override { m_editor.replaceLine(index, text); }
    void setCaretLine(int line1Based) override
    {
        m_editor.setCaretLine(line1Based);
        m_editor.focusEditor();
    }
    void beginChanges() override { m_editor.beginBulkChange(); }
    void endChanges() override { m_editor.endBulkChange(); }

private:
    EditorLines &m_editor;
};
