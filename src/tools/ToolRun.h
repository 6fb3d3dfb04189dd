#pragma once

#include "platform/Error.h"

#include <QString>

class LineTool;
class ToolLines;

// The range controls of a tool window: the whole file, or the lines from
// first to last (1-based, both included, not checked against each other or
// the file).
struct ToolRange
{
    bool wholeFile = true;
    int firstLine = 1;
    int lastLine = 1;

    // The history's range line ("Function Applied across File", ...).
    QString historyLine() const;
};

// What the run tells the progress window and asks it.
class ToolRunMonitor
{
public:
    virtual ~ToolRunMonitor();
    // Once per line index, before anything else: lets pending window messages
    // through (an implementation may do so only every few milliseconds).
    virtual void processEvents() {}
    // The progress bar position and the percentage, called when the whole
    // percentage changes.
    virtual void showProgress(int position, qint64 percent) {}
    virtual bool cancelRequested() const { return false; }
    // After the caret was put on a line (every 1000th processed line).
    virtual void caretMoved() {}
};

// A transformation failed on a line. Its message, in the current language,
// names the line (1-based) and the offending text; the reason is the failure
// itself.
class ToolLineError : public Error
{
public:
    ToolLineError(int lineNumber, const QString &reason, const QString &message);
    int lineNumber() const { return m_lineNumber; }
    const QString &reason() const { return m_reason; }

private:
    int m_lineNumber;
    QString m_reason;
};

struct ToolRunResult
{
    bool cancelled = false;
    int changedLines = 0;
};

// The loop of a tool run over the range: every index from 0 to the last one
// is counted in the progress; lines from the first index on are read, given to
// the tool unless it skips them, and written back only when the new line,
// trimmed, differs from the stored line, trimmed. A run never adds lines: the
// lines of a range past the end read as empty and are left as they are.
// Throws ToolLineError when the tool fails on a line; the lines changed before
// it stay changed.
ToolRunResult FUNC_Aplicar_Ferramenta(ToolLines &lines, LineTool &tool, const ToolRange &range,
                                      ToolRunMonitor *monitor = nullptr);

// The whole percentage shown for a line index (index * 100 / maximum, rounded).
qint64 progressPercent(qint64 index, int maximum);
