// The run of a tool over a program's lines: range, progress, cancel, the
// caret, what is written back, and a failing line.
#include "tools/LineTool.h"
#include "tools/SpacesTool.h"
#include "tools/StartEndTool.h"
#include "tools/ToolLines.h"
#include "tools/ToolRun.h"
#include "tools/TranslateTool.h"

#include "TestSupport.h"

#include <QtTest>
#include <limits>

namespace {

// Records what the run does to the lines.
class RecordingLines : public StringListLines
{
public:
    using StringListLines::StringListLines;
    QString line(int index) const override
    {
        ++reads;
        return StringListLines::line(index);
    }
    void replaceLine(int index, const QString &text) override
    {
        replaced << index;
        StringListLines::replaceLine(index, text);
    }
    void setCaretLine(int line) override { carets << line; }
    void beginChanges() override { ++begins; }
    void endChanges() override { ++ends; }

    mutable int reads = 0;
    QList<int> replaced;
    QList<int> carets;
    int begins = 0, ends = 0;
};

class RecordingMonitor : public ToolRunMonitor
{
public:
    void processEvents() override
    {
        ++events;
        if (cancelAfter >= 0 && events > cancelAfter)
            cancelled = true;
    }
    void showProgress(int position, qint64 percent) override
    {
        positions << position;
        percents << percent;
    }
    bool cancelRequested() const override { return cancelled; }

    int events = 0;
    int cancelAfter = -1;
    bool cancelled = false;
    QList<int> positions;
    QList<qint64> percents;
};

// Appends "!" to every line it is given, and fails on the line "FAIL".
class MarkTool : public LineTool
{
public:
    QString statusText() const override { return {}; }
    QString historyTitle() const override { return {}; }
    QStringList historyDetails() const override { return {}; }
    QString transform(QStringView line) override
    {
        if (line == u"FAIL")
            throw ConversionError(QStringLiteral("FAIL"), QStringLiteral("\"FAIL\" is not a valid number."));
        seen << line.toString();
        return line.toString() + QLatin1Char('!');
    }
    QStringList seen;
};

QStringList numbered(int count, const QString &prefix = QStringLiteral("L"))
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << prefix + QString::number(i);
    return lines;
}

ToolRange rangeOf(int first, int last)
{
    ToolRange range;
    range.wholeFile = false;
    range.firstLine = first;
    range.lastLine = last;
    return range;
}

} // namespace

class TestToolRun : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }

    void showsWholePercentages_data();
    void showsWholePercentages();
    void readsButSkipsLinesBeforeTheRange();
    void reversedRangeChangesNothing();
    void rangePastTheEndNeverAddsLines();
    void writesBackOnlyChangedTrimmedText();
    void movesTheCaretEveryThousandLines();
    void cancelKeepsTheLinesDone();
    void failingLineStopsTheRun();
    void toolWithoutWorkReadsNothing();
};

void TestToolRun::showsWholePercentages_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<QString>("range"); // empty: whole file
    QTest::addColumn<QList<qint64>>("percents");
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("three lines") << 3 << QString() << QList<qint64>{0, 33, 67} << QList<int>{0, 1, 2};
    QTest::newRow("past the end") << 2 << "1:5" << QList<qint64>{0, 50, 200} << QList<int>{0, 1, 2};
    QTest::newRow("empty file with a range") << 0 << "1:3" << QList<qint64>{100} << QList<int>{0};
    QTest::newRow("empty file") << 0 << QString() << QList<qint64>{} << QList<int>{};
    QTest::newRow("only changes are shown") << 1000 << "1:4" << QList<qint64>{0} << QList<int>{0};
}

void TestToolRun::showsWholePercentages()
{
    QFETCH(int, lineCount);
    QFETCH(QString, range);
    QFETCH(QList<qint64>, percents);
    QFETCH(QList<int>, positions);
    StringListLines lines(numbered(lineCount));
    MarkTool tool;
    RecordingMonitor monitor;
    const QStringList bounds = range.split(QLatin1Char(':'));
    FUNC_Aplicar_Ferramenta(lines, tool, range.isEmpty() ? ToolRange() : rangeOf(bounds[0].toInt(), bounds[1].toInt()),
                            &monitor);
    QCOMPARE(monitor.percents, percents);
    QCOMPARE(monitor.positions, positions);
}

void TestToolRun::readsButSkipsLinesBeforeTheRange()
{
    RecordingLines lines(numbered(6));
    MarkTool tool;
    RecordingMonitor monitor;
    FUNC_Aplicar_Ferramenta(lines, tool, rangeOf(3, 4), &monitor);
    QCOMPARE(tool.seen, QStringList({QStringLiteral("L2"), QStringLiteral("L3")}));
    QCOMPARE(lines.replaced, QList<int>({2, 3}));
    QCOMPARE(monitor.events, 4); // the loop counts from index 0 up to the last index
    QCOMPARE(lines.begins, 1);
    QCOMPARE(lines.ends, 1);
}

void TestToolRun::reversedRangeChangesNothing()
{
    RecordingLines lines(numbered(10));
    MarkTool tool;
    const ToolRunResult result = FUNC_Aplicar_Ferramenta(lines, tool, rangeOf(5, 3));
    QVERIFY(!result.cancelled);
    QCOMPARE(result.changedLines, 0);
    QVERIFY(lines.replaced.isEmpty());

    // The lowest last line once wrapped around to the highest line index.
    StringListLines two(numbered(2));
    StartEndTool start(StartEndTool::Position::Start, QStringLiteral("%"));
    QCOMPARE(FUNC_Aplicar_Ferramenta(two, start, rangeOf(1, std::numeric_limits<int>::min())).changedLines, 0);
    QCOMPARE(two.lines(), numbered(2));
}

void TestToolRun::rangePastTheEndNeverAddsLines()
{
    StringListLines lines(numbered(2));
    StartEndTool tool(StartEndTool::Position::Start, QStringLiteral("%"));
    RecordingMonitor monitor;
    FUNC_Aplicar_Ferramenta(lines, tool, rangeOf(1, 100000000), &monitor);
    QCOMPARE(lines.lines(), QStringList({QStringLiteral("%L0"), QStringLiteral("%L1")}));
    QCOMPARE(monitor.events, 3); // two lines, then the rest at once
    QCOMPARE(monitor.percents.last(), qint64(4999999950)); // index 99999999 of 2 lines
}

void TestToolRun::writesBackOnlyChangedTrimmedText()
{
    RecordingLines lines({QStringLiteral("  X1.0  "), QStringLiteral("\tX2\t"), QStringLiteral(" Y1 ")});
    TranslateTool tool({true, QStringLiteral("0")}, {}, {}, false);
    const ToolRunResult result = FUNC_Aplicar_Ferramenta(lines, tool, ToolRange());
    // "X1.0" becomes "X1" and is written trimmed; the others keep their blanks.
    QCOMPARE(lines.lines(), QStringList({QStringLiteral("X1"), QStringLiteral("\tX2\t"), QStringLiteral(" Y1 ")}));
    QCOMPARE(lines.replaced, QList<int>({0}));
    QCOMPARE(result.changedLines, 1);
}

void TestToolRun::movesTheCaretEveryThousandLines()
{
    RecordingLines whole(numbered(2500));
    MarkTool tool;
    FUNC_Aplicar_Ferramenta(whole, tool, ToolRange());
    QCOMPARE(whole.carets, QList<int>({0, 1000, 2000}));

    RecordingLines range(numbered(2500));
    FUNC_Aplicar_Ferramenta(range, tool, rangeOf(501, 1500));
    QCOMPARE(range.carets, QList<int>({1000}));
}

void TestToolRun::cancelKeepsTheLinesDone()
{
    StringListLines lines(numbered(10000, QStringLiteral("G01X")));
    SpacesTool tool(SpacesTool::Mode::Add);
    RecordingMonitor monitor;
    monitor.cancelAfter = 3000;
    const ToolRunResult result = FUNC_Aplicar_Ferramenta(lines, tool, ToolRange(), &monitor);
    QVERIFY(result.cancelled);
    QCOMPARE(result.changedLines, 3000);
    QCOMPARE(lines.line(2999), QStringLiteral(" G01 X2999"));
    QCOMPARE(lines.line(3000), QStringLiteral("G01X3000"));
}

void TestToolRun::failingLineStopsTheRun()
{
    RecordingLines lines({QStringLiteral("A"), QStringLiteral("FAIL"), QStringLiteral("C")});
    MarkTool tool;
    try {
        FUNC_Aplicar_Ferramenta(lines, tool, ToolRange());
        QFAIL("no error");
    } catch (const ToolLineError &error) {
        QCOMPARE(error.lineNumber(), 2);
        QCOMPARE(error.message(), QStringLiteral("ERROR: Line 2: \"FAIL\" is not a valid number."));
    }
    QCOMPARE(lines.lines(), QStringList({QStringLiteral("A!"), QStringLiteral("FAIL"), QStringLiteral("C")}));
    QCOMPARE(lines.ends, 1);
}

void TestToolRun::toolWithoutWorkReadsNothing()
{
    RecordingLines lines(numbered(5));
    SpacesTool tool(SpacesTool::Mode::None);
    RecordingMonitor monitor;
    const ToolRunResult result = FUNC_Aplicar_Ferramenta(lines, tool, ToolRange(), &monitor);
    QVERIFY(!result.cancelled);
    QCOMPARE(lines.reads, 0);
    QCOMPARE(monitor.events, 0);
}

QTEST_GUILESS_MAIN(TestToolRun)
#include "tst_toolrun.moc"
