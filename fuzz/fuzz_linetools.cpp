// The six line transformations and the run over a program's lines, on
// arbitrary programs and options. Cheap properties of each function are
// checked line by line; the run must never add or drop lines, must leave the
// lines outside its range alone, and may fail only with a line error.
#include "FuzzSupport.h"

#include "tools/ArcCentreTool.h"
#include "tools/CoordinateWords.h"
#include "tools/MirrorTool.h"
#include "tools/RenumberTool.h"
#include "tools/SpacesTool.h"
#include "tools/StartEndTool.h"
#include "tools/ToolLines.h"
#include "tools/ToolRun.h"
#include "tools/TranslateTool.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>

namespace {

qsizetype stopOfSpaces(const QString &line)
{
    for (qsizetype i = 0; i < line.size(); ++i)
        if (line[i] == QLatin1Char('#') || line[i] == QLatin1Char('%') || line[i] == QLatin1Char('(')
            || line[i] == QLatin1Char('{'))
            return i;
    return line.size();
}

void checkSpaces(const QString &line)
{
    const QString removed = FUNC_Remover_Espacos(line);
    FUZZ_CHECK(!removed.left(stopOfSpaces(removed)).contains(QLatin1Char(' ')), escaped(line));
    FUZZ_CHECK(FUNC_Remover_Espacos(removed) == removed, escaped(line));
    const QString added = FUNC_Adicionar_Espacos(line);
    FUZZ_CHECK(added.size() >= line.size(), escaped(line));
    // Adding blanks and taking them away again gives what taking them away gives.
    FUZZ_CHECK(FUNC_Remover_Espacos(added) == removed, escaped(line) + QStringLiteral(" -> ") + escaped(added));
}

void checkRenumber(const QString &line, int digits, int increment)
{
    qint64 counter = 0;
    QString kept;
    try {
        kept = FUNC_Numerar_Bloco(line, increment, digits, false, counter);
    } catch (const Error &) {
        return; // a block number beyond the range
    }
    // Keeping the numbers is a fixed point: a second pass changes nothing.
    qint64 again = 0;
    QString twice;
    try {
        twice = FUNC_Numerar_Bloco(kept, increment, digits, false, again);
    } catch (const Error &e) {
        FUZZ_CHECK(false, escaped(line) + QStringLiteral(" -> ") + escaped(kept) + QStringLiteral(": ") + e.message());
    }
    FUZZ_CHECK(twice == kept && again == counter, escaped(line) + QStringLiteral(" -> ") + escaped(kept)
                                                      + QStringLiteral(" -> ") + escaped(twice));
    FUZZ_CHECK(kept == line || kept.startsWith(QLatin1Char('N')), escaped(line));
    FUZZ_CHECK(kept.size() <= line.size() + 1 + MaxBlockDigits + 12, escaped(line));

    qint64 counter2 = qint64(increment) * 3;
    try {
        const QString renumbered = FUNC_Numerar_Bloco(line, increment, digits, true, counter2);
        FUZZ_CHECK(renumbered == line || renumbered.startsWith(QLatin1Char('N')), escaped(line));
    } catch (const Error &) {
    }
}

void checkWords(const QString &line, const NumberSyntax &syntax, bool plus)
{
    for (QChar letter : {QLatin1Char('X'), QLatin1Char('I'), QLatin1Char('N')}) {
        const QString word = FUNC_Ler_Palavra(line, letter);
        for (QChar c : word)
            FUZZ_CHECK(CoordinateWords::isNumberChar(c), escaped(line));
        QString once;
        try {
            once = FUNC_Reescrever_Palavra(line, letter, [](const Extended &v) { return v; }, plus, syntax);
        } catch (const Error &) {
            continue; // a word that is not a number
        }
        // Rewriting with the value itself gives the number's own text; doing it
        // again changes nothing (unless a value became scientific, whose "E"
        // ends the word).
        if (once.count(QLatin1Char('E')) != line.count(QLatin1Char('E')))
            continue;
        // Numbers are written with ".", which a program point of "," does not read.
        if (syntax.programPoint != QLatin1Char('.'))
            continue;
        try {
            const QString twice = FUNC_Reescrever_Palavra(once, letter, [](const Extended &v) { return v; }, plus, syntax);
            FUZZ_CHECK(twice == once, escaped(line) + QStringLiteral(" -> ") + escaped(once) + QStringLiteral(" -> ")
                                          + escaped(twice));
        } catch (const Error &e) {
            FUZZ_CHECK(false, escaped(line) + QStringLiteral(" -> ") + escaped(once) + QStringLiteral(": ") + e.message());
        }
    }
    const QString swapped = FUNC_Substituir_Primeiro(line, u"G2", u"G3");
    FUZZ_CHECK(swapped.size() == line.size(), escaped(line));
    FUZZ_CHECK(FUNC_Substituir_Primeiro(line, u"G41", u"G142").size() - line.size() <= 1, escaped(line));
}

// Stops the run at a chosen line index.
class CancelAt : public ToolRunMonitor
{
public:
    CancelAt(qint64 index, int lines) : m_index(index), m_lines(lines) {}
    // A range past the end of the file shows more than 100 % at its end (the
    // lines it names are counted); the bar itself stays within the file.
    void showProgress(int position, qint64 percent) override
    {
        FUZZ_CHECK(percent >= 0 && position >= 0 && position <= m_lines,
                   QStringLiteral("%1 % at %2 of %3").arg(percent).arg(position).arg(m_lines));
    }
    void processEvents() override { ++m_calls; }
    bool cancelRequested() const override { return m_calls > m_index; }

private:
    qint64 m_index;
    int m_lines;
    qint64 m_calls = 0;
};

std::unique_ptr<LineTool> makeTool(FuzzedDataProvider &in, const NumberSyntax &syntax)
{
    static const char *const increments[] = {"1.5", "-0,25", " 2 ", "", "abc", "100000000000000000000", "0", "1e3"};
    const bool plus = in.ConsumeBool();
    switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
        return std::make_unique<SpacesTool>(SpacesTool::Mode(in.ConsumeIntegralInRange<int>(0, 2)));
    case 1: {
        RenumberTool::Options o;
        o.digitsOn = in.ConsumeBool();
        o.digits = in.ConsumeIntegralInRange<int>(0, 100);
        o.renumber = in.ConsumeBool();
        o.start = in.ConsumeIntegralInRange<int>(0, 2147483647);
        o.increment = in.ConsumeIntegralInRange<int>(1, 2147483647);
        return std::make_unique<RenumberTool>(o);
    }
    case 2:
        return std::make_unique<ArcCentreTool>(ArcCentreTool::Mode(in.ConsumeIntegralInRange<int>(0, 4)), plus, syntax);
    case 3: {
        TranslateTool::Axis axes[3];
        for (auto &axis : axes) {
            axis.on = in.ConsumeBool();
            axis.increment = QString::fromLatin1(increments[in.ConsumeIntegralInRange<int>(0, 7)]);
        }
        return std::make_unique<TranslateTool>(axes[0], axes[1], axes[2], plus, syntax);
    }
    case 4: {
        MirrorTool::Options o;
        const uint8_t bits = in.ConsumeIntegral<uint8_t>();
        o.x = bits & 1, o.y = bits & 2, o.g02 = bits & 4, o.g03 = bits & 8;
        o.g41 = bits & 16, o.g42 = bits & 32, o.plus = plus;
        return std::make_unique<MirrorTool>(o, syntax);
    }
    default:
        return std::make_unique<StartEndTool>(in.ConsumeBool() ? StartEndTool::Position::Start
                                                               : StartEndTool::Position::End,
                                              in.ConsumeBool() ? QStringLiteral("%") : QStringLiteral(" ;"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The options come from the end of the input, the program is the rest.
    FuzzedDataProvider in(data, size);
    NumberSyntax syntax;
    syntax.programPoint = in.ConsumeBool() ? QLatin1Char(',') : QLatin1Char('.');
    syntax.systemSeparator = in.ConsumeBool() ? QLatin1Char(',') : QLatin1Char('.');
    const int digits = in.ConsumeIntegralInRange<int>(-3, 40);
    const int increment = in.ConsumeIntegralInRange<int>(-5, 100000);
    std::unique_ptr<LineTool> tool = makeTool(in, syntax);
    ToolRange range;
    range.wholeFile = in.ConsumeBool();
    range.firstLine = in.ConsumeIntegralInRange<int>(-3, 300);
    range.lastLine = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-3, 300) : in.ConsumeIntegral<int>();
    const qint64 cancelAt = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(0, 300) : -1;
    const bool plus = in.ConsumeBool();

    const QString program = QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));
    QStringList lines = program.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

    for (qsizetype i = 0; i < lines.size() && i < 64; ++i) {
        checkSpaces(lines[i]);
        checkRenumber(lines[i], digits, increment);
        checkWords(lines[i], syntax, plus);
    }

    StringListLines target(lines);
    CancelAt monitor(cancelAt < 0 ? qint64(1) << 40 : cancelAt, int(lines.size()));
    try {
        const ToolRunResult result = FUNC_Aplicar_Ferramenta(target, *tool, range, &monitor);
        FUZZ_CHECK(result.changedLines >= 0 && result.changedLines <= lines.size(), QString::number(result.changedLines));
        FUZZ_CHECK(!result.cancelled || cancelAt >= 0, QStringLiteral("cancelled unasked"));
    } catch (const ToolLineError &error) {
        FUZZ_CHECK(error.lineNumber() >= 1 && error.lineNumber() <= lines.size(), error.message());
    } catch (const Error &error) {
        FUZZ_CHECK(false, QStringLiteral("not a line error: ") + error.message());
    }
    FUZZ_CHECK(target.count() == lines.size(), QStringLiteral("%1 lines became %2").arg(lines.size()).arg(target.count()));
    const qint64 first = range.wholeFile ? 0 : qint64(range.firstLine) - 1;
    const qint64 last = range.wholeFile ? lines.size() - 1 : qint64(range.lastLine) - 1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (i < first || i > last)
            FUZZ_CHECK(target.lines()[i] == lines[i], QStringLiteral("line %1 outside the range changed").arg(i + 1));
    return 0;
}
