#include "EditorToolLines.h"
#include "platform/Utf8Text.h"

#include <Qsci/qsciscintillabase.h>

namespace {
using SB = QsciScintillaBase;
// Unchanged lines between two changed ones are taken into the block (copied
// as they are) when the gap is at most this long.
constexpr int MaxGap = 64;
// A block is written when it is this large or this old. Each block is one
// change for the control's undo, whose cost per change grows with the document,
// so blocks are large; the age keeps the editor showing the run as it goes.
constexpr int MaxBlockLines = 100000;
constexpr qsizetype MaxBlockBytes = 8 * 1024 * 1024;
constexpr qint64 MaxBlockMilliseconds = 250;
} // namespace

EditorToolLines::EditorToolLines(EditorLines &editor, QsciScintillaBase *control)
    : m_editor(editor), m_control(control)
{
    m_sinceFlush.start();
}

EditorToolLines::~EditorToolLines() = default;

QString EditorToolLines::line(int index) const
{
    if (m_blockFirst >= 0 && index >= m_blockFirst && index < m_blockFirst + int(m_texts.size())
        && m_changed[size_t(index - m_blockFirst)])
        return utf8Text(m_texts[size_t(index - m_blockFirst)]);
    return m_editor.line(index);
}

void EditorToolLines::replaceLine(int index, const QString &text)
{
    if (!m_control || index < 0 || index >= m_editor.count()) {
        flush();
        m_editor.replaceLine(index, text);
        return;
    }
    if (m_blockFirst >= 0) {
        const int next = m_blockFirst + int(m_texts.size());
        const bool joins = index >= next && index - next <= MaxGap;
        const bool inside = index >= m_blockFirst && index < next;
        if (inside) {
            m_blockBytes += text.size();
            m_texts[size_t(index - m_blockFirst)] = text.toUtf8();
            m_changed[size_t(index - m_blockFirst)] = true;
            return;
        }
        if (!joins || int(m_texts.size()) >= MaxBlockLines || m_blockBytes >= MaxBlockBytes
            || m_sinceFlush.elapsed() >= MaxBlockMilliseconds)
            flush();
    }
    if (m_blockFirst < 0)
        m_blockFirst = index;
    while (m_blockFirst + int(m_texts.size()) < index) { // the gap: lines kept as they are
        m_texts.emplace_back();
        m_changed.push_back(false);
    }
    QByteArray utf8 = text.toUtf8();
    m_blockBytes += utf8.size();
    m_texts.push_back(std::move(utf8));
    m_changed.push_back(true);
}

void EditorToolLines::flush()
{
    if (m_blockFirst < 0)
        return;
    const int last = m_blockFirst + int(m_texts.size()) - 1;
    const long start = m_control->SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)m_blockFirst);
    const long end = m_control->SendScintilla(SB::SCI_GETLINEENDPOSITION, (unsigned long)last);
    const char *current = reinterpret_cast<const char *>(
        m_control->SendScintilla(SB::SCI_GETRANGEPOINTER, (unsigned long)start, end - start));
    // The block's new text: each line new or as it is, each followed by the
    // break it has in the document (all but the last).
    QByteArray block;
    block.reserve(m_blockBytes + (end - start) + 16);
    long lineStart = start;
    for (int i = m_blockFirst; i <= last; ++i) {
        const long lineEnd = i == last ? end : m_control->SendScintilla(SB::SCI_GETLINEENDPOSITION, (unsigned long)i);
        if (m_changed[size_t(i - m_blockFirst)])
            block += m_texts[size_t(i - m_blockFirst)];
        else
            block.append(current + (lineStart - start), lineEnd - lineStart);
        if (i < last) {
            const long nextStart = m_control->SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)(i + 1));
            block.append(current + (lineEnd - start), nextStart - lineEnd);
            lineStart = nextStart;
        }
    }
    m_control->SendScintilla(SB::SCI_SETTARGETSTART, (unsigned long)start);
    m_control->SendScintilla(SB::SCI_SETTARGETEND, (unsigned long)end);
    m_control->SendScintilla(SB::SCI_REPLACETARGET, (uintptr_t)block.size(), block.constData());
    m_blockFirst = -1;
    m_texts.clear();
    m_changed.clear();
    m_blockBytes = 0;
    m_sinceFlush.restart();
}

void EditorToolLines::setCaretLine(int line1Based)
{
    m_editor.setCaretLine(line1Based);
    m_editor.focusEditor();
}

void EditorToolLines::endChanges()
{
    flush();
    m_editor.endBulkChange();
}
