#pragma once

#include <QString>

// The line operations that the tools use on an editor (and that tests can back
// with a plain list). Lines are 0-based and never include their line break.
class EditorLines
{
public:
    virtual ~EditorLines() = default;

    virtual int count() const = 0;
    // A line at or past the end reads as an empty line.
    virtual QString line(int index) const = 0;
    // Replaces the text of a line and keeps its line break. An index at or past the
    // end appends (empty lines first, when it is past the end).
    virtual void replaceLine(int index, const QString &text) = 0;
    // 1-based; clamped to the existing lines.
    virtual void setCaretLine(int line) = 0;
    virtual void focusEditor() = 0;
    virtual void repaintEditor() = 0;
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;

    // Between these two, changes are one undo step and the editor sends no change
    // notification per line (it sends one at the end); they nest.
    virtual void beginBulkChange() = 0;
    virtual void endBulkChange() = 0;
};

// Holds a bulk change open for a scope.
class EditorBulkChange
{
public:
    explicit EditorBulkChange(EditorLines &lines) : m_lines(lines) { m_lines.beginBulkChange(); }
    ~EditorBulkChange() { m_lines.endBulkChange(); }
    EditorBulkChange(const EditorBulkChange &) = delete;
    EditorBulkChange &operator=(const EditorBulkChange &) = delete;

private:
    EditorLines &m_lines;
};
