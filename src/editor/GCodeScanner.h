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

// The same scan without building a list, for the editor's colouring.
class GCodeLineScanner
{
public:
    explicit GCodeLineScanner(QStringView line) : m_line(line) {}
    // The next token; false at the end of the line.
    bool next(GCodeToken &token);

private:
    char16_t at(qsizetype i) const;
    bool atLineEnd(qsizetype i) const;
    void addressWord();
    void delimited(char16_t closer);
    void identifier();

    QStringView m_line;
    qsizetype m_run = 0;
    GCodeTokenKind m_kind = GCodeTokenKind::Other;
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
