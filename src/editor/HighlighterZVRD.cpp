#include "HighlighterZVRD.h"

#include "GCodeScanner.h"

#include <Qsci/qsciscintilla.h>

#include <QFont>

#include <algorithm>

namespace {

using K = GCodeTokenKind;

// Styles are written for this many lines at a time, so that styling a whole
// large program at once needs no buffer of its size.
constexpr long ChunkLines = 16384;
// Lines this far before the first line in view are passed over when there are at
// least MinPassedLines of them; nearer ones are coloured, so that scrolling back
// a little finds them ready.
constexpr long ColouredBeforeView = 2000;
constexpr long MinPassedLines = 4096;

const char *const DisplayNames[GCodeTokenKindCount] = {
    "Identifier", "Reserved Word", "End of Line", "Space", "String0", "String1", "String10",
    "String11", "String12", "String13", "String14", "String15", "String16", "String17",
    "String18", "String19", "String2", "String20", "String21", "String3", "String4",
    "String5", "String6", "String7", "String8", "String9", "Test", "Identifier"};

// One line of UTF-8 decoded to UTF-16, with the byte offset of every code unit
// (and one past the end) so that token lengths can be turned back into bytes.
// Malformed bytes become U+FFFD one byte at a time, which keeps the offsets exact.
void decodeLine(const uchar *p, long n, QString &text, QList<int> &offsets)
{
    text.clear();
    offsets.clear();
    long i = 0;
    while (i < n) {
        const uchar b = p[i];
        uint u = 0xFFFD;
        int len = 1;
        const int extra = (b >= 0xC2 && b <= 0xDF) ? 1 : (b >= 0xE0 && b <= 0xEF) ? 2 : (b >= 0xF0 && b <= 0xF4) ? 3 : 0;
        if (b < 0x80) {
            u = b;
        } else if (extra && i + extra < n) {
            uint v = b & (0x3F >> extra);
            bool ok = true;
            for (int k = 1; ok && k <= extra; ++k) {
                ok = (p[i + k] & 0xC0) == 0x80;
                v = (v << 6) | (p[i + k] & 0x3F);
            }
            if (ok) {
                u = v;
                len = extra + 1;
            }
        }
        if (u >= 0x10000) {
            text.append(QChar::highSurrogate(u));
            text.append(QChar::lowSurrogate(u));
            offsets << int(i) << int(i);
        } else {
            text.append(QChar(char16_t(u)));
            offsets << int(i);
        }
        i += len;
    }
    offsets << int(n);
}

} // namespace

QColor colourFromValue(int value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

int valueFromColour(const QColor &colour) { return colour.red() | (colour.green() << 8) | (colour.blue() << 16); }

HighlighterZVRD::HighlighterZVRD(const GCodeColours &colours, QObject *parent)
    : QsciLexerCustom(parent), m_colours(colours), m_text(Qt::black), m_background(Qt::white)
{
    applyColours();
}

const char *HighlighterZVRD::language() const { return "Sample"; }

QString HighlighterZVRD::description(int style) const
{
    if (style < 0 || style >= GCodeTokenKindCount)
        return QString();
    return QLatin1String(DisplayNames[style]);
}

void HighlighterZVRD::setEditorColours(const QColor &text, const QColor &background)
{
    m_text = text;
    m_background = background;
    applyColours();
}

void HighlighterZVRD::applyColours()
{
    setDefaultColor(m_text);
    setDefaultPaper(m_background);
    for (int style = 0; style < GCodeTokenKindCount; ++style) {
        const int index = gcodeColourIndex(GCodeTokenKind(style));
        setColor(index >= 0 ? colourFromValue(m_colours.values[index]) : m_text, style);
        setPaper(m_background, style);
    }
    // Drawn by no token; kept so that every attribute of the colouring exists.
    setColor(QColor(0, 0, 255), int(K::Test));
    setPaper(QColor(192, 192, 192), int(K::Test));
}

void HighlighterZVRD::setEditorFont(const QFont &font)
{
    setDefaultFont(font);
    for (int style = 0; style < GCodeTokenKindCount; ++style) {
        QFont f = font;
        if (style == int(K::ReservedWord))
            f.setBold(true);
        if (style == int(K::Test)) {
            f.setItalic(true);
            f.setUnderline(true);
        }
        setFont(f, style);
    }
}

void HighlighterZVRD::forgetPassedFrom(long line)
{
    while (!m_passed.empty() && m_passed.back().first >= line)
        m_passed.pop_back();
    if (!m_passed.empty() && m_passed.back().second > line)
        m_passed.back().second = line;
}

void HighlighterZVRD::styleText(int start, int end)
{
    QsciScintilla *ed = editor();
    if (!ed || end <= start)
        return;
    long line = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, long(start));
    const long lastLine = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, long(end - 1));
    forgetPassedFrom(line);
    const long firstInView = ed->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                               ed->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
    const long passedEnd = std::min(lastLine + 1, firstInView - ColouredBeforeView);
    if (passedEnd - line >= MinPassedLines) {
        // Their styles stay as they are until they are shown.
        if (!m_passed.empty() && m_passed.back().second == line)
            m_passed.back().second = passedEnd;
        else
            m_passed.emplace_back(line, passedEnd);
        line = passedEnd;
        startStyling(int(ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line)));
    }
    if (line <= lastLine)
        styleLines(line, lastLine);
}

void HighlighterZVRD::stylePassedLinesInView()
{
    QsciScintilla *ed = editor();
    if (!ed)
        return;
    const long endStyled = ed->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
    forgetPassedFrom(ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, endStyled));
    if (m_passed.empty())
        return;
    const long first = ed->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                         ed->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
    const long end = first + ed->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN) + 2;
    std::vector<std::pair<long, long>> kept;
    bool styled = false;
    for (const auto &[from, to] : m_passed) {
        const long a = std::max(from, first), b = std::min(to, end);
        if (a >= b) {
            kept.emplace_back(from, to);
            continue;
        }
        styleLines(a, b - 1);
        styled = true;
        if (from < a)
            kept.emplace_back(from, a);
        if (b < to)
            kept.emplace_back(b, to);
    }
    m_passed = std::move(kept);
    // The lines after them were styled (or passed over) before: the control
    // need not ask for them again.
    if (styled)
        startStyling(int(endStyled));
}

void HighlighterZVRD::styleLines(long line, long lastLine)
{
    QsciScintilla *ed = editor();
    const long lineCount = ed->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
    const long length = ed->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    QString text;
    QList<int> offsets;
    while (line <= lastLine) {
        // One chunk of whole lines.
        const long chunkStart = ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
        const long chunkLast = std::min(lastLine + 1, line + ChunkLines);
        const long chunkEnd = chunkLast < lineCount ? ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, chunkLast)
                                                    : length;
        const long chunkLength = chunkEnd - chunkStart;
        const auto *bytes = reinterpret_cast<const uchar *>(
            ed->SendScintilla(QsciScintillaBase::SCI_GETRANGEPOINTER, (unsigned long)chunkStart, chunkLength));
        m_styles.resize(chunkLength);
        char *styles = m_styles.data();

        long at = 0;
        while (at < chunkLength) {
            long contentEnd = at;
            bool ascii = true;
            while (contentEnd < chunkLength && bytes[contentEnd] != '\r' && bytes[contentEnd] != '\n') {
                ascii = ascii && bytes[contentEnd] < 0x80;
                ++contentEnd;
            }
            const long n = contentEnd - at;
            GCodeToken token;
            if (ascii) {
                // Byte positions are character positions.
                BasicGCodeLineScanner<uchar> scanner(bytes + at, n);
                while (scanner.next(token))
                    memset(styles + at + token.start, int(token.kind), size_t(token.length));
            } else {
                decodeLine(bytes + at, n, text, offsets);
                GCodeLineScanner scanner(text);
                while (scanner.next(token)) {
                    const long from = offsets[token.start];
                    const long to = offsets[token.start + token.length];
                    memset(styles + at + from, int(token.kind), size_t(to - from));
                }
            }
            // The line break itself.
            long next = contentEnd;
            if (next < chunkLength && bytes[next] == '\r')
                ++next;
            if (next < chunkLength && bytes[next] == '\n')
                ++next;
            memset(styles + contentEnd, int(K::Space), size_t(next - contentEnd));
            at = next;
        }
        startStyling(int(chunkStart));
        ed->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, (uintptr_t)chunkLength, m_styles.constData());
        line = chunkLast;
    }
}
