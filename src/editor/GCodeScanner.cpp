#include "GCodeScanner.h"

namespace {

using K = GCodeTokenKind;

// Letters and delimiters of the lower-case line, by character.
K addressKind(char16_t c)
{
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

bool isIdentifierStart(char16_t c)
{
    switch (c) {
    case 'd': case 'e': case 'h': case 'l': case 'o': case 'p': case 'q': case 'u': case 'v': case '_':
        return true;
    default:
        return false;
    }
}

bool isIdentifierChar(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// What ends an address word: control characters other than CR and LF, the blank,
// the delimiters, "*", and any letter.
bool isWordTerminator(char16_t c)
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

const char *const KindNames[GCodeTokenKindCount] = {
    "ident", "keyword", "nul", "space", "A", "B", "R", "S", "T", "X", "Z", "Y", "%", "#",
    "<>", "()", "C", "{}", "[]", "F", "G", "I", "J", "K", "M", "N", "test", "char"};

const char *const AttributeNames[GCodeTokenKindCount] = {
    "Identifier", "ReservedWord", "", "Space", "String0", "String1", "String10", "String11",
    "String12", "String13", "String14", "String15", "String16", "String17", "String18", "String19",
    "String2", "String20", "String21", "String3", "String4", "String5", "String6", "String7",
    "String8", "String9", "Test", "Identifier"};

// Position in A B C F G I J K M N R S T X Y Z % # <> () {} [] of each kind.
const int ColourIndex[GCodeTokenKindCount] = {
    -1, -1, -1, -1, 0, 1, 10, 11, 12, 13, 15, 14, 16, 17, 18, 19, 2, 20, 21, 3, 4, 5, 6, 7, 8, 9, -1, -1};

} // namespace

char16_t GCodeLineScanner::at(qsizetype i) const
{
    if (i >= m_line.size())
        return 0;
    const char16_t c = m_line[i].unicode();
    // Only ASCII letters are folded: every character above 127 is an ordinary one.
    return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
}

bool GCodeLineScanner::atLineEnd(qsizetype i) const
{
    if (i >= m_line.size())
        return true;
    const char16_t c = m_line[i].unicode();
    return c == '\r' || c == '\n';
}

void GCodeLineScanner::addressWord()
{
    ++m_run;
    if (m_run >= m_line.size())
        return; // the letter alone at the end of the line
    // The letter always takes the character after it, then everything up to the
    // next terminator or the line end.
    do {
        if (isWordTerminator(at(m_run + 1))) {
            ++m_run;
            return;
        }
        if (!atLineEnd(m_run))
            ++m_run;
    } while (!atLineEnd(m_run));
}

void GCodeLineScanner::delimited(char16_t closer)
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

void GCodeLineScanner::identifier()
{
    static const char16_t Keyword[] = u"harbour";
    uint sum = 0;
    qsizetype length = 0;
    while (isIdentifierChar(at(m_run + length))) {
        sum += at(m_run + length);
        ++length;
    }
    // Two keyword slots chosen by the parity of the character sum; only the odd
    // slot holds a word.
    bool keyword = sum % 2 == 1 && length == 7;
    for (qsizetype i = 0; keyword && i < length; ++i)
        keyword = at(m_run + i) == Keyword[i];
    m_run += length;
    m_kind = keyword ? K::ReservedWord : K::Identifier;
}

bool GCodeLineScanner::next(GCodeToken &token)
{
    const qsizetype size = m_line.size();
    if (m_run >= size)
        return false;
    const qsizetype start = m_run;
    const char16_t c = at(m_run);
    m_kind = K::Other;
    if (c == 0) {
        m_kind = K::EndOfLine;
        ++m_run;
    } else if (c == '\r') {
        m_kind = K::Space;
        ++m_run;
        if (at(m_run) == '\n')
            ++m_run;
    } else if (c == '\n') {
        m_kind = K::Space;
        ++m_run;
    } else if (c <= 32) {
        m_kind = K::Space;
        ++m_run;
        while (!atLineEnd(m_run) && at(m_run) <= 32)
            ++m_run;
    } else if (addressKind(c) != K::Other) {
        m_kind = addressKind(c);
        addressWord();
    } else if (c == '%' || c == '#' || c == '<' || c == '(' || c == '{' || c == '[') {
        static const char16_t Openers[] = u"%#<({[";
        static const char16_t Closers[] = u"%#>)}]";
        static const K Kinds[] = {K::Percent, K::Hash, K::Angle, K::Paren, K::Brace, K::Bracket};
        int k = 0;
        while (Openers[k] != c)
            ++k;
        m_kind = Kinds[k];
        delimited(Closers[k]);
    } else if (isIdentifierStart(c)) {
        identifier();
    } else {
        ++m_run;
    }
    token = GCodeToken{m_kind, int(start), int(m_run - start)};
    return true;
}

QList<GCodeToken> scanGCodeLine(QStringView line)
{
    QList<GCodeToken> tokens;
    GCodeLineScanner scanner(line);
    GCodeToken token;
    while (scanner.next(token))
        tokens.append(token);
    return tokens;
}

QString gcodeTokenKindName(GCodeTokenKind kind) { return QLatin1String(KindNames[int(kind)]); }

QString formatGCodeTokens(const QList<GCodeToken> &tokens)
{
    QStringList parts;
    parts.reserve(tokens.size());
    for (const GCodeToken &t : tokens)
        parts << QStringLiteral("%1@%2+%3").arg(gcodeTokenKindName(t.kind), QString::number(t.start),
                                                QString::number(t.length));
    return parts.join(QLatin1Char(' '));
}

QString gcodeAttributeName(GCodeTokenKind kind) { return QLatin1String(AttributeNames[int(kind)]); }

int gcodeColourIndex(GCodeTokenKind kind) { return ColourIndex[int(kind)]; }
