#pragma once

#include "tools/ToolLines.h"

#include <QByteArray>
#include <QString>

class OutputSink;
namespace ProgramInput {
class InputFile;
}

// The lines of a UTF-8 program file, read in blocks and written to a sink as
// the run goes, so that a file of any size is worked on in a few megabytes.
// Lines end at CR LF, LF and CR, as in DocumentLines, and the result is the same
// bytes: an unchanged line goes out as the bytes it was, with its own break; a
// replaced line as the UTF-8 of its new text, followed by the break it had.
//
// A run reads lines in order (a tool run and the token listing do), so a line
// can only be read or replaced at or after the last one read; lines that are
// passed over go out unchanged. No line can be added.
class StreamedLines : public ToolLines
{
public:
    // `lineCount` and `size` are those of the file's survey; `skip` bytes at
    // its start (a UTF-8 byte-order mark) go out as they are and belong to no line.
    StreamedLines(ProgramInput::InputFile &input, qint64 size, int lineCount, qsizetype skip, OutputSink &sink);

    int count() const override { return m_count; }
    QString line(int index) const override;
    void replaceLine(int index, const QString &text) override;

    // Puts out the rest of the file; throws Error when the file was not what its
    // survey said (it changed meanwhile).
    void finish();

private:
    // Makes `index` the current line, its text and break in the buffer.
    void seek(int index) const;
    // Reads until the buffer holds `bytes` bytes from m_lineStart on, or the
    // file ends; false when no byte was added.
    bool fill(qsizetype bytes) const;
    void emitPending(qint64 upTo) const;

    ProgramInput::InputFile &m_input;
    OutputSink &m_sink;
    qint64 m_size;
    int m_count;

    mutable QByteArray m_buffer;   // file bytes from m_bufferStart on
    mutable qint64 m_bufferStart = 0;
    mutable qsizetype m_bufferUsed = 0;
    mutable qint64 m_read = 0;     // bytes read from the file

    mutable int m_index = 0;          // the current line
    mutable qint64 m_lineStart = 0;   // where it starts in the file
    mutable qint64 m_lineEnd = -1;    // where its text ends (-1: not found yet)
    mutable qint64 m_nextStart = 0;   // where the next line starts
    mutable qint64 m_emitted = 0;     // everything before this offset went out
    mutable qint64 m_nextLf = -1;     // the next LF at or after m_lineStart, or -1:
    mutable qint64 m_noLfUntil = -1;  // none from m_lineStart up to here
    mutable QString m_text;           // the last line read, reused
};
