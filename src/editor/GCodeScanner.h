#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Token kinds of the G-code colouring. The numbers are fixed: they are the style
// numbers of the editor and the order of the attribute table.
enum class GCodeTokenKind : quint8 {
    Identifier = 0,  // an identifier that is not the keyword (O1000, D12, P5000, U ...)
    ReservedWord = 1,
    EndOfLine = 2,   // a zero character inside the line
    Space = 3,
    AddressA = 4,
    AddressB = 5,
    AddressR = 6,
    AddressS = 7,
    AddressT = 8,
    AddressX = 9,
    AddressZ = 10,
    AddressY = 11,
    Percent = 12,    // % ... %
    Hash = 13,       // # ... #
    Angle = 14,      // < ... >
    Paren = 15,      // ( ... )
    AddressC = 16,
    Brace = 17,      // { ... }
    Bracket = 18,    // [ ... ]
    AddressF = 19,
    AddressG = 20,
    AddressI = 21,
    AddressJ = 22,
    AddressK = 23,
    AddressM = 24,
    AddressN = 25,
    Test = 26,       // never produced
    Other = 27,      // any other single character
};

constexpr int GCodeTokenKindCount = 28;

struct GCodeToken
{
    GCodeTokenKind kind;
    int start;  // 0-based, in UTF-16 code units of the line
    int length;

    bool operator==(const GCodeToken &o) const
    {
        return kind == o.kind && start == o.start && length == o.length;
    }
};

// Splits one line (without its line break) into tokens that cover it completely.
// Letter case does not matter.
QList<GCodeToken> scanGCodeLine(QStringView line);

namespace GCodeScan {

// Character classes of the scan (on the lower-case line: only ASCII letters fold,
// every character above 127 is an ordinary one).
inline GCodeTokenKind addressKind(char16_t c)
{
    using K = GCodeTokenKind;
    switch (c) {
    case 'a': return K::AddressA;
    case 'b': return K::AddressB;
    case 'c': return K::AddressC;
    case 'f': return K::AddressF;
    case 'g': return K::AddressG;
    case 'i': return K::AddressI;
    case 'j': return K::AddressJ;
    case 'k': return K::AddressK;
    case 'm': return K::AddressM;
    case 'n': return K::AddressN;
    case 'r': return K::AddressR;
    case 's': return K::AddressS;
    case 't': return K::AddressT;
    case 'x': return K::AddressX;
    case 'y': return K::AddressY;
    case 'z': return K::AddressZ;
    default: return K::Other;
    }
}

inline bool isIdentifierStart(char16_t c)
{
    switch (c) {
    case 'd': case 'e': case 'h': case 'l': case 'o': case 'p': case 'q': case 'u': case 'v': case '_':
        return true;
    default:
        return false;
    }
}

inline bool isIdentifierChar(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// What ends an address word: control characters other than CR and LF, the blank,
// the delimiters, "*", and any letter.
inline bool isWordTerminator(char16_t c)
{
    if (c >= 1 && c <= 31)
        return c != 10 && c != 13;
    switch (c) {
    case ' ': case '#': case '%': case '(': case ')': case '*': case '<': case '>':
    case '[': case ']': case '{': case '}':
        return true;
    default:
        return c >= 'a' && c <= 'z';
    }
}

} // namespace GCodeScan

// The same scan without building a list, over UTF-16 code units or over the
// bytes of an ASCII line (the editor's colouring reads its buffer directly).
template<typename Char>
class BasicGCodeLineScanner
{
public:
    BasicGCodeLineScanner(const Char *line, qsizetype size) : m_line(line), m_size(size) {}

    // The next token; false at the end of the line.
    bool next(GCodeToken &token)
    {
        using K = GCodeTokenKind;
        if (m_run >= m_size)
            return false;
        const qsizetype start = m_run;
        const char16_t c = at(m_run);
        K kind = K::Other;
        if (c == 0) {
            kind = K::EndOfLine;
            ++m_run;
        } else if (c == '\r') {
            kind = K::Space;
            ++m_run;
            if (at(m_run) == '\n')
                ++m_run;
        } else if (c == '\n') {
            kind = K::Space;
            ++m_run;
        } else if (c <= 32) {
            kind = K::Space;
            ++m_run;
            while (!atLineEnd(m_run) && at(m_run) <= 32)
                ++m_run;
        } else if ((kind = GCodeScan::addressKind(c)) != K::Other) {
            addressWord();
        } else if (c == '%' || c == '#' || c == '<' || c == '(' || c == '{' || c == '[') {
            switch (c) {
            case '%': kind = K::Percent; delimited('%'); break;
            case '#': kind = K::Hash; delimited('#'); break;
            case '<': kind = K::Angle; delimited('>'); break;
            case '(': kind = K::Paren; delimited(')'); break;
            case '{': kind = K::Brace; delimited('}'); break;
            default: kind = K::Bracket; delimited(']'); break;
            }
        } else if (GCodeScan::isIdentifierStart(c)) {
            kind = identifier();
        } else {
            ++m_run;
        }
        token = GCodeToken{kind, int(start), int(m_run - start)};
        return true;
    }

private:
    char16_t at(qsizetype i) const
    {
        if (i >= m_size)
            return 0;
        const char16_t c = char16_t(m_line[i]);
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    }

    bool atLineEnd(qsizetype i) const
    {
        if (i >= m_size)
            return true;
        const char16_t c = char16_t(m_line[i]);
        return c == '\r' || c == '\n';
    }

    // The letter always takes the character after it, then everything up to the
    // next terminator or the line end; a letter at the end of the line is alone.
    void addressWord()
    {
        ++m_run;
        if (m_run >= m_size)
            return;
        do {
            if (GCodeScan::isWordTerminator(at(m_run + 1))) {
                ++m_run;
                return;
            }
            if (!atLineEnd(m_run))
                ++m_run;
        } while (!atLineEnd(m_run));
    }

    // From the opener to the first closer after it on the line, or the line end.
    void delimited(char16_t closer)
    {
        ++m_run;
        do {
            if (at(m_run) == closer) {
                ++m_run;
                return;
            }
            if (!atLineEnd(m_run))
                ++m_run;
        } while (!atLineEnd(m_run));
    }

    // Two keyword slots chosen by the parity of the character sum; only the odd
    // slot holds a word, "harbour".
    GCodeTokenKind identifier()
    {
        static const char16_t Keyword[] = u"harbour";
        uint sum = 0;
        qsizetype length = 0;
        while (GCodeScan::isIdentifierChar(at(m_run + length))) {
            sum += at(m_run + length);
            ++length;
        }
        bool keyword = sum % 2 == 1 && length == 7;
        for (qsizetype i = 0; keyword && i < length; ++i)
            keyword = at(m_run + i) == Keyword[i];
        m_run += length;
        return keyword ? GCodeTokenKind::ReservedWord : GCodeTokenKind::Identifier;
    }

    const Char *m_line;
    qsizetype m_size;
    qsizetype m_run = 0;
};

class GCodeLineScanner : public BasicGCodeLineScanner<char16_t>
{
public:
    explicit GCodeLineScanner(QStringView line) : BasicGCodeLineScanner(line.utf16(), line.size()) {}
};

// A short stable name per kind ("G", "X", "()", "ident", "space", "char" ...).
QString gcodeTokenKindName(GCodeTokenKind kind);
// Tokens written as KIND@START+LENGTH, separated by blanks.
QString formatGCodeTokens(const QList<GCodeToken> &tokens);

// The storage name of the kind's display attribute ("Identifier", "String4" ...);
// empty for the end of the line.
QString gcodeAttributeName(GCodeTokenKind kind);
// Index into the 22 configured colours (A B C F G I J K M N R S T X Y Z % # <> () {} []),
// or -1 for kinds drawn in the editor's own colours.
int gcodeColourIndex(GCodeTokenKind kind);
