#pragma once

#include <QString>
#include <QStringList>

// The lines a tool run works on: the editor's control in the application, a
// list of lines in the command line and the tests.
class ToolLines
{
public:
    virtual ~ToolLines();

    virtual int count() const = 0;
    // Line `index` (0-based) as stored; an index at or past the end reads as empty.
    virtual QString line(int index) const = 0;
    // Replaces line `index`; an index equal to count() appends a line. A text
    // holding line breaks stays one line for the run, which goes on with the
    // lines under the numbers they had (in the program it becomes several).
    virtual void replaceLine(int index, const QString &text) = 0;
    // Puts the caret on a line (1-based, clamped to the existing lines) and
    // gives the editor the focus.
    virtual void setCaretLine(int line1Based) {}

    // Bracket the changes of one run: an editor makes them one undo step and
    // may defer its repainting to the end.
    virtual void beginChanges() {}
    virtual void endChanges() {}
};

// Lines held in a list.
class StringListLines : public ToolLines
{
public:
    StringListLines() = default;
    explicit StringListLines(QStringList lines) : m_lines(std::move(lines)) {}

    int count() const override { return int(m_lines.size()); }
    QString line(int index) const override;
    void replaceLine(int index, const QString &text) override;

    const QStringList &lines() const { return m_lines; }
    QStringList takeLines() { return std::move(m_lines); }

private:
    QStringList m_lines;
};
