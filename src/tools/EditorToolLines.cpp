#include "EditorToolLines.h"
#include "platform/Utf8Text.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>
#include <cstring>

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

bool holdsBreak(QByteArrayView utf8)
{
    return std::memchr(utf8.data(), '\n', size_t(utf8.size())) || std::memchr(utf8.data(), '\r', size_t(utf8.size()));
}
} // namespace

EditorToolLines::EditorToolLines(EditorLines &editor, QsciScintillaBase &control)
    : m_editor(editor), m_control(control)
{
    m_sinceFlush.start();
}

EditorToolLines::~EditorToolLines() = default;

// ---- line numbers of the run ----

int EditorToolLines::documentLine(int index) const
{
    if (m_extraTree.empty())
        return index;
    const int tracked = int(m_extra.size());
    if (index >= tracked)
        return index + m_extraTotal;
    int sum = 0;
    for (int k = index; k > 0; k -= k & -k)
        sum += m_extraTree[size_t(k)];
    return index + sum;
}

int EditorToolLines::extraLines(int index) const
{
    return index >= 0 && index < int(m_extra.size()) ? m_extra[size_t(index)] : 0;
}

void EditorToolLines::setExtraLines(int index, int extra)
{
    extra = std::max(extra, 0);
    const int old = extraLines(index);
    if (extra == old)
        return;
    if (index >= int(m_extra.size())) {
        // First needed, or a line appended past the lines the tree covers: it
        // is rebuilt, which happens at most a few times in a run.
        m_extra.resize(size_t(std::max(index + 1, m_editor.count())), 0);
        const size_t n = m_extra.size();
        m_extraTree.assign(n + 1, 0);
        for (size_t i = 1; i <= n; ++i) {
            m_extraTree[i] += m_extra[i - 1];
            const size_t parent = i + (i & (~i + 1));
            if (parent <= n)
                m_extraTree[parent] += m_extraTree[i];
        }
    }
    m_extra[size_t(index)] = extra;
    for (size_t k = size_t(index) + 1; k < m_extraTree.size(); k += k & (~k + 1))
        m_extraTree[k] += extra - old;
    m_extraTotal += extra - old;
}

// ---- lines ----

QByteArrayView EditorToolLines::newText(int index) const
{
    const size_t k = size_t(index - m_blockFirst);
    return QByteArrayView(m_newText.constData() + m_newStart[k], m_newEnd[k] - m_newStart[k]);
}

QString EditorToolLines::line(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    if (m_blockFirst >= 0 && index >= m_blockFirst && index < m_blockFirst + blockSize()
        && m_newStart[size_t(index - m_blockFirst)] >= 0)
        return utf8Text(newText(index));
    const int first = documentLine(index);
    const int extra = extraLines(index);
    if (extra == 0)
        return m_editor.line(first);
    const long start = m_control.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)first);
    const long end = m_control.SendScintilla(SB::SCI_GETLINEENDPOSITION, (unsigned long)(first + extra));
    const char *text = reinterpret_cast<const char *>(
        m_control.SendScintilla(SB::SCI_GETRANGEPOINTER, (unsigned long)start, end - start));
    return utf8Text(QByteArrayView(text, end - start));
}

void EditorToolLines::replaceLine(int index, const QString &text)
{
    if (index < 0)
        return;
    const int lines = count();
    if (index >= lines) {
        // Appended (with empty lines before it when past the end).
        flush();
        const int before = m_editor.count();
        m_editor.replaceLine(documentLine(index), text);
        setExtraLines(index, m_editor.count() - before - (index - lines + 1));
        return;
    }
    if (m_blockFirst >= 0) {
        const int next = m_blockFirst + blockSize();
        const bool joins = index >= next && index - next <= MaxGap;
        const bool inside = index >= m_blockFirst && index < next;
        if (inside) {
            // Written again: the new text goes after the others.
            const size_t k = size_t(index - m_blockFirst);
            m_newStart[k] = m_newText.size();
            appendUtf8Text(m_newText, text);
            m_newEnd[k] = m_newText.size();
            m_blockHasBreaks = m_blockHasBreaks || holdsBreak(newText(index));
            return;
        }
        // The clock is looked at every so many lines only.
        if (!joins || blockSize() >= MaxBlockLines || m_newText.size() >= MaxBlockBytes
            || (blockSize() % 1024 == 0 && m_sinceFlush.elapsed() >= MaxBlockMilliseconds))
            flush();
    }
    if (m_blockFirst < 0)
        m_blockFirst = index;
    while (m_blockFirst + blockSize() < index) { // the gap: lines kept as they are
        m_newStart.push_back(-1);
        m_newEnd.push_back(-1);
    }
    m_newStart.push_back(m_newText.size());
    appendUtf8Text(m_newText, text);
    m_newEnd.push_back(m_newText.size());
    m_blockHasBreaks = m_blockHasBreaks || holdsBreak(newText(index));
}

void EditorToolLines::flush()
{
    if (m_blockFirst < 0)
        return;
    const int n = blockSize();
    const int last = m_blockFirst + n - 1;
    const int firstDocument = documentLine(m_blockFirst);
    const long start = m_control.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)firstDocument);
    const long end = m_control.SendScintilla(SB::SCI_GETLINEENDPOSITION,
                                             (unsigned long)(documentLine(last) + extraLines(last)));
    const char *current = reinterpret_cast<const char *>(
        m_control.SendScintilla(SB::SCI_GETRANGEPOINTER, (unsigned long)start, end - start));
    // Where the line structure may change, each line's place in the new block
    // is kept to find its document lines again afterwards.
    const bool mapped = !m_extraTree.empty();
    const bool remap = m_blockHasBreaks || mapped;
    std::vector<qsizetype> offsets;
    if (remap)
        offsets.reserve(size_t(n));
    // The block's new text: each line new or as it is, each followed by the
    // break it has in the document (all but the last). While every line of the
    // run is one line of the document, the breaks are found in the text itself
    // (CR, LF or CR LF, as the control splits lines) rather than asked for.
    QByteArray block;
    block.reserve(m_newText.size() + (end - start) + 16);
    long lineStart = start;
    int document = firstDocument;
    for (int i = m_blockFirst; i <= last; ++i) {
        const int lastDocument = document + extraLines(i);
        long lineEnd = end;
        long nextStart = end;
        if (i < last) {
            if (mapped) {
                lineEnd = m_control.SendScintilla(SB::SCI_GETLINEENDPOSITION, (unsigned long)lastDocument);
                nextStart = m_control.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)(lastDocument + 1));
            } else {
                const char *p = current + (lineStart - start);
                const char *limit = current + (end - start);
                while (p < limit && *p != '\r' && *p != '\n')
                    ++p;
                lineEnd = start + long(p - current);
                nextStart = lineEnd + (p + 1 < limit && p[0] == '\r' && p[1] == '\n' ? 2 : 1);
            }
        }
        if (remap)
            offsets.push_back(block.size());
        const size_t k = size_t(i - m_blockFirst);
        if (m_newStart[k] >= 0)
            block.append(m_newText.constData() + m_newStart[k], m_newEnd[k] - m_newStart[k]);
        else
            block.append(current + (lineStart - start), lineEnd - lineStart);
        if (i < last) {
            block.append(current + (lineEnd - start), nextStart - lineEnd);
            lineStart = nextStart;
            document = lastDocument + 1;
        }
    }
    m_control.SendScintilla(SB::SCI_SETTARGETSTART, (unsigned long)start);
    m_control.SendScintilla(SB::SCI_SETTARGETEND, (unsigned long)end);
    m_control.SendScintilla(SB::SCI_REPLACETARGET, (uintptr_t)block.size(), block.constData());

    if (remap) {
        // The document line of each line's first character; a line that begins
        // inside a break (an LF after a CR became one CR LF) begins after it.
        const auto lineAt = [this](long position) {
            long at = m_control.SendScintilla(SB::SCI_LINEFROMPOSITION, (unsigned long)position);
            if (m_control.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)at) != position)
                ++at;
            return int(at);
        };
        int begins = firstDocument;
        for (int k = 0; k < n; ++k) {
            const int nextBegins = k + 1 < n
                                       ? lineAt(start + long(offsets[size_t(k + 1)]))
                                       : int(m_control.SendScintilla(SB::SCI_LINEFROMPOSITION,
                                                                     (unsigned long)(start + block.size())))
                                             + 1;
            setExtraLines(m_blockFirst + k, nextBegins - begins - 1);
            begins = std::max(nextBegins, begins + 1);
        }
    }
    m_blockFirst = -1;
    m_newText.resize(0); // keeps its room for the next block
    m_newStart.clear();
    m_newEnd.clear();
    m_blockHasBreaks = false;
    m_sinceFlush.restart();
}

void EditorToolLines::setCaretLine(int line1Based)
{
    m_editor.setCaretLine(line1Based >= 1 ? documentLine(line1Based - 1) + 1 : line1Based);
    m_editor.focusEditor();
}

void EditorToolLines::endChanges()
{
    flush();
    m_editor.endBulkChange();
}
