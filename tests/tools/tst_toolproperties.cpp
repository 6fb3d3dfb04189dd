// Properties of the tools on real programs: translating there and back, and
// mirroring twice, give every coordinate its value back; renumbering a second
// time changes nothing.
#include "editor/ProgramFile.h"
#include "tools/CoordinateWords.h"
#include "tools/MirrorTool.h"
#include "tools/RenumberTool.h"
#include "tools/ToolLines.h"
#include "tools/ToolRun.h"
#include "tools/TranslateTool.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QtTest>

namespace {

// The values of the words of a letter in a line, as written by the tools.
QStringList wordValues(const QString &line, QChar letter)
{
    QStringList values;
    FUNC_Reescrever_Palavra(line, letter, [&](const Extended &v) {
        values << FUNC_Formatar_Numero(v);
        return v;
    }, false, NumberSyntax());
    return values;
}

// Applies a tool; a line whose numbers cannot be read ends the program early
// and is reported back, so that the properties skip the lines from there on.
QStringList apply(const QStringList &lines, LineTool &tool, int *failedLine)
{
    StringListLines program(lines);
    *failedLine = -1;
    try {
        FUNC_Aplicar_Ferramenta(program, tool, ToolRange());
    } catch (const ToolLineError &error) {
        *failedLine = error.lineNumber();
    }
    return program.lines();
}

TranslateTool translation(const char *increment)
{
    const TranslateTool::Axis axis{true, QString::fromLatin1(increment)};
    return TranslateTool(axis, axis, axis, false, NumberSyntax());
}

} // namespace

class TestToolProperties : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }

    void corpus_data();
    void translatingThereAndBackRestoresValues();
    void translatingThereAndBackRestoresValues_data() { corpus_data(); }
    void mirroringTwiceRestoresValues();
    void mirroringTwiceRestoresValues_data() { corpus_data(); }
    void renumberingTwiceEqualsOnce();
    void renumberingTwiceEqualsOnce_data() { corpus_data(); }
};

void TestToolProperties::corpus_data()
{
    QTest::addColumn<QString>("path");
    const QStringList files = TestSupport::corpusFiles();
    QVERIFY(files.size() >= 10);
    for (const QString &file : files)
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
}

void TestToolProperties::translatingThereAndBackRestoresValues()
{
    QFETCH(QString, path);
    const QStringList original = readProgramFile(path).lines;
    int failedUp = -1, failedDown = -1;
    TranslateTool up = translation("10"), down = translation("-10");
    const QStringList back = apply(apply(original, up, &failedUp), down, &failedDown);
    const int checked = failedUp > 0 ? failedUp - 1 : int(original.size());
    QVERIFY(failedDown < 0 || failedDown == failedUp);
    for (int i = 0; i < checked; ++i) {
        for (const QChar letter : {QLatin1Char('X'), QLatin1Char('Y'), QLatin1Char('Z')}) {
            const QStringList before = wordValues(original[i], letter);
            if (before != wordValues(back[i], letter))
                QFAIL(qPrintable(QStringLiteral("line %1: %2 became %3").arg(i + 1).arg(original[i], back[i])));
        }
    }
}

void TestToolProperties::mirroringTwiceRestoresValues()
{
    QFETCH(QString, path);
    const QStringList original = readProgramFile(path).lines;
    MirrorTool::Options options;
    options.x = true;
    options.y = true;
    options.g02 = options.g03 = true;
    MirrorTool mirror(options, NumberSyntax());
    int failedOnce = -1, failedTwice = -1;
    const QStringList twice = apply(apply(original, mirror, &failedOnce), mirror, &failedTwice);
    const int checked = failedOnce > 0 ? failedOnce - 1 : int(original.size());
    for (int i = 0; i < checked; ++i) {
        for (const QChar letter : {QLatin1Char('X'), QLatin1Char('Y')}) {
            if (wordValues(original[i], letter) != wordValues(twice[i], letter))
                QFAIL(qPrintable(QStringLiteral("line %1: %2 became %3").arg(i + 1).arg(original[i], twice[i])));
        }
        // The arc codes are swapped back as well.
        const bool hadArc = original[i].contains(QLatin1String("G02")) || original[i].contains(QLatin1String("G03"));
        if (hadArc)
            QCOMPARE(twice[i].count(QLatin1String("G02")) + twice[i].count(QLatin1String("G03")),
                     original[i].count(QLatin1String("G02")) + original[i].count(QLatin1String("G03")));
    }
}

void TestToolProperties::renumberingTwiceEqualsOnce()
{
    QFETCH(QString, path);
    const QStringList original = readProgramFile(path).lines;
    RenumberTool::Options options;
    options.renumber = true;
    options.start = 10;
    options.increment = 10;
    options.digitsOn = true;
    options.digits = 4;
    RenumberTool renumber(options);
    int failedOnce = -1;
    const QStringList once = apply(original, renumber, &failedOnce);
    QCOMPARE(failedOnce, -1);
    StringListLines again(once);
    const ToolRunResult second = FUNC_Aplicar_Ferramenta(again, renumber, ToolRange());
    QCOMPARE(second.changedLines, 0);
    QCOMPARE(again.lines(), once);
}

QTEST_GUILESS_MAIN(TestToolProperties)
#include "tst_toolproperties.moc"
