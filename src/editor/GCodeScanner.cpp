#include "GCodeScanner.h"

namespace {

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
