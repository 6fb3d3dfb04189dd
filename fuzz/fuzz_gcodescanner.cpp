// The G-code scanner on arbitrary lines: the tokens must cover the line
// exactly, in order, each at least one unit long, and the list form must agree
// with the step-by-step form the editor's colouring uses.
#include "FuzzSupport.h"

#include "editor/GCodeScanner.h"

namespace {

void check(const QString &line)
{
    const QList<GCodeToken> tokens = scanGCodeLine(line);
    int at = 0;
    for (const GCodeToken &token : tokens) {
        FUZZ_CHECK(token.start == at, escaped(line) + QLatin1Char('\n') + formatGCodeTokens(tokens));
        FUZZ_CHECK(token.length >= 1, escaped(line) + QLatin1Char('\n') + formatGCodeTokens(tokens));
        FUZZ_CHECK(token.start + token.length <= line.size(), escaped(line) + QLatin1Char('\n') + formatGCodeTokens(tokens));
        FUZZ_CHECK(int(token.kind) < GCodeTokenKindCount && token.kind != GCodeTokenKind::Test, escaped(line));
        const int colour = gcodeColourIndex(token.kind);
        FUZZ_CHECK(colour >= -1 && colour < 22, escaped(line));
        FUZZ_CHECK(!gcodeTokenKindName(token.kind).isEmpty(), escaped(line));
        at = token.start + token.length;
    }
    FUZZ_CHECK(at == line.size(), escaped(line) + QLatin1Char('\n') + formatGCodeTokens(tokens));

    GCodeLineScanner scanner(line);
    GCodeToken token;
    qsizetype i = 0;
    while (scanner.next(token)) {
        FUZZ_CHECK(i < tokens.size() && tokens[i] == token, escaped(line));
        ++i;
    }
    FUZZ_CHECK(i == tokens.size(), escaped(line));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Raw UTF-16 units reach NULs, surrogates and breaks inside a "line"; the
    // UTF-8 reading is how real files arrive.
    check(utf16Units(data, size));
    const QString text = QString::fromUtf8(bytesOf(data, size));
    check(text);
    for (const QString &line : text.split(QLatin1Char('\n')))
        check(line);
    return 0;
}
