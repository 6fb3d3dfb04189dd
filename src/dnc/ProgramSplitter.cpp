#include "ProgramSplitter.h"

namespace {
constexpr char Percent = '%';

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
} // namespace

bool ProgramSplitter::isLeaderByte(char c)
{
    switch (c) {
    case 0: case '\t': case '\n': case '\r': case ' ': case 0x7F: case 0x11: case 0x13: case 0x1A:
        return true;
    default:
        return false;
    }
}

void ProgramSplitter::clear()
{
    m_state = State::Idle;
    m_bytes.clear();
    m_significant = m_tape = false;
    m_start = 0;
    m_closing = -1;
    m_contentEnd = 0;
    m_inParenComment = m_inLineComment = m_blockHasEnd = m_blockHasContent = false;
    m_wordLetter = 0;
    m_wordDigits.clear();
    m_lfInRun = false;
}

QList<ProgramSplitter::Program> ProgramSplitter::feed(const QByteArray &bytes)
{
    QList<Program> done;
    for (const char c : bytes)
        takeByte(c, done);
    return done;
}

QList<ProgramSplitter::Program> ProgramSplitter::silence()
{
    QList<Program> done;
    if (m_significant) {
        endOfBlock();
        finish(m_state == State::AfterEndBlock, done);
    } else {
        clear(); // leader alone is no program
    }
    return done;
}

void ProgramSplitter::finish(bool endMark, QList<Program> &done)
{
    Program p;
    p.endMark = endMark;
    p.start = m_start;
    p.closingPercent = m_closing;
    p.contentEnd = m_contentEnd > 0 ? m_contentEnd : m_bytes.size();
    p.bytes = m_bytes;
    done.append(p);
    clear();
}

// The word being read is complete: an end-of-program mark makes the block an end block.
void ProgramSplitter::endOfBlock()
{
    if (m_wordLetter == 'M' && !m_wordDigits.isEmpty()) {
        const int code = m_wordDigits.toInt();
        if (code == 30 || code == 2 || code == 99)
            m_blockHasEnd = true;
    }
    m_wordLetter = 0;
    m_wordDigits.clear();
}

void ProgramSplitter::takeByte(char c, QList<Program> &done)
{
    if (m_state == State::AfterEndBlock && !isLeaderByte(c) && c != Percent) {
        // Something new after an end block: the program ended there; the byte opens the next.
        finish(true, done);
    }
    if (!m_significant) {
        m_bytes.append(c);
        if (isLeaderByte(c))
            return;
        m_significant = true;
        m_state = State::InProgram;
        m_start = m_bytes.size() - 1;
        if (c == Percent) {
            m_tape = true;
            return;
        }
    } else {
        m_bytes.append(c);
    }
    const qint64 at = m_bytes.size() - 1;

    // The line end of the last block belongs to the content: CR LF, LF, LF CR, CR CR LF, but
    // not a blank line after it.
    if (isLineEnd(c) && at == m_contentEnd) {
        if (!(c == '\n' && m_lfInRun)) {
            m_contentEnd = at + 1;
            m_lfInRun = m_lfInRun || c == '\n';
        }
    }

    if (m_state == State::AfterEndBlock) {
        if (c == Percent) {
            m_closing = at;
            m_contentEnd = at + 1;
            finish(true, done);
        }
        return; // leader bytes wait: trailer, or the leader of what comes next
    }

    if (isLineEnd(c)) {
        endOfBlock();
        m_inLineComment = false;
        m_inParenComment = false; // a comment never runs over a block end
        if (m_blockHasEnd && !m_tape)
            m_state = State::AfterEndBlock;
        m_blockHasEnd = m_blockHasContent = false;
        return;
    }
    if (m_inParenComment) {
        if (c == ')')
            m_inParenComment = false;
        return;
    }
    if (m_inLineComment)
        return;
    if (!isLeaderByte(c)) {
        m_blockHasContent = true;
        m_contentEnd = at + 1;
        m_lfInRun = false;
    }
    if (c == '(') {
        endOfBlock();
        m_inParenComment = true;
        return;
    }
    if (c == ';') {
        endOfBlock();
        m_inLineComment = true;
        return;
    }
    if (c == Percent) {
        endOfBlock();
        // The closing mark of a tape, or a "%" after the last block of a program without one.
        m_closing = at;
        m_contentEnd = at + 1;
        finish(true, done);
        return;
    }
    if (isLetter(c)) {
        endOfBlock();
        m_wordLetter = char(c & ~0x20);
        return;
    }
    if (isDigit(c) && m_wordLetter) {
        m_wordDigits.append(c);
        return;
    }
    if (c == ' ' || c == '\t')
        return; // blanks inside a word ("M 30") keep the word going
    if (c != '.' && c != '-' && c != '+')
        endOfBlock();
    else if (c == '.' && m_wordLetter == 'M')
        m_wordLetter = 0; // "M30.1" is not M30
}
