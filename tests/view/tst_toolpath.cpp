// The toolpath read from programs: geometry against values worked out by hand,
// what is flagged and where the path stops, and properties on real programs
// under the translation and mirror tools.
#include "view/ToolpathInterpreter.h"

#include "editor/ProgramFile.h"
#include "tools/ArcCentreTool.h"
#include "tools/CoordinateWords.h"
#include "tools/MirrorTool.h"
#include "tools/ToolLines.h"
#include "tools/ToolRun.h"
#include "tools/TranslateTool.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

Toolpath interpret(const QString &program, bool absoluteCentres = false)
{
    ToolpathOptions options;
    options.absoluteArcCentres = absoluteCentres;
    return interpretToolpath(program.toUtf8(), options);
}

QString lines(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *l : list)
        out << QString::fromLatin1(l);
    return out.join(QLatin1Char('\n'));
}

// min X, max X, min Y, max Y, min Z, max Z
QList<double> extentsOf(const Toolpath &path)
{
    return {path.extents.min[0], path.extents.max[0], path.extents.min[1],
            path.extents.max[1], path.extents.min[2], path.extents.max[2]};
}

const ToolpathProblem *findProblem(const Toolpath &path, ToolpathProblem::Kind kind)
{
    for (const ToolpathProblem &p : path.problems)
        if (p.kind == kind)
            return &p;
    return nullptr;
}

QStringList applyTool(const QStringList &program, LineTool &tool, bool *ok)
{
    StringListLines list(program);
    *ok = true;
    try {
        FUNC_Aplicar_Ferramenta(list, tool, ToolRange());
    } catch (const ToolLineError &) {
        *ok = false;
    }
    return list.lines();
}

} // namespace

class TestToolpath : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }

    void geometry_data();
    void geometry();
    void drillingCycles_data();
    void drillingCycles();
    void arcCentreSetting();
    void rejectedArcIsFlaggedWithItsLine();
    void diameterSetting();
    void unmodelledWordsAreCountedOncePerKind();
    void pathStops_data();
    void pathStops();
    void lineBreaksAndLineNumbers();
    void caretLineFindsItsSegments();

    void translationMovesExtentsAndKeepsLengths_data() { corpus(); }
    void translationMovesExtentsAndKeepsLengths();
    void mirrorMirrorsExtentsAndKeepsLengths_data() { corpus(); }
    void mirrorMirrorsExtentsAndKeepsLengths();
    void absoluteCentresReadAsAbsoluteGiveTheSamePath_data() { corpus(); }
    void absoluteCentresReadAsAbsoluteGiveTheSamePath();
    void everySegmentNamesAnExistingLine_data() { corpus(); }
    void everySegmentNamesAnExistingLine();

private:
    void corpus();
};

void TestToolpath::geometry_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QList<double>>("extents");
    QTest::addColumn<double>("feedLength");
    QTest::addColumn<double>("rapidLength");
    QTest::addColumn<bool>("inches");

    QTest::newRow("square") << lines({"G90 G00 X0 Y0 Z0", "G01 X10 F100", "Y10", "X0", "Y0"})
                            << QList<double>{0, 10, 0, 10, 0, 0} << 40.0 << 0.0 << false;
    QTest::newRow("full circle by I/J")
        << lines({"G0 X10 Y0 Z0", "G02 X10 Y0 I-10 J0 F100"}) << QList<double>{-10, 10, -10, 10, 0, 0}
        << 20 * Pi << 0.0 << false;
    QTest::newRow("half circle by R, counter-clockwise below the chord")
        << lines({"G0 X0 Y0 Z0", "G03 X10 Y0 R5 F100"}) << QList<double>{0, 10, -5, 0, 0, 0} << 5 * Pi << 0.0
        << false;
    QTest::newRow("half circle by -R, clockwise above the chord")
        << lines({"G0 X0 Y0 Z0", "G02 X10 Y0 R-5 F100"}) << QList<double>{0, 10, 0, 5, 0, 0} << 5 * Pi << 0.0
        << false;
    QTest::newRow("quarter by R takes the short way")
        << lines({"G0 X10 Y0 Z0", "G03 X0 Y10 R10 F100"}) << QList<double>{0, 10, 0, 10, 0, 0} << 5 * Pi << 0.0
        << false;
    QTest::newRow("three quarters by -R take the long way")
        << lines({"G0 X10 Y0 Z0", "G03 X0 Y10 R-10 F100"}) << QList<double>{0, 20, 0, 20, 0, 0} << 15 * Pi
        << 0.0 << false;
    QTest::newRow("helix, one turn down 5")
        << lines({"G0 X10 Y0 Z0", "G03 X10 Y0 Z-5 I-10 J0 F100"}) << QList<double>{-10, 10, -10, 10, -5, 0}
        << std::hypot(20 * Pi, 5.0) << 0.0 << false;
    QTest::newRow("G91 incremental")
        << lines({"G90 G0 X0 Y0 Z0", "G91 G1 X5 F100", "X5", "Y5", "G0 Z2"}) << QList<double>{0, 10, 0, 5, 0, 2}
        << 15.0 << 2.0 << false;
    QTest::newRow("G20 inches shown in inches")
        << lines({"G20", "G90 G0 X0 Y0 Z0", "G1 X1 Y1 F10"}) << QList<double>{0, 1, 0, 1, 0, 0} << std::sqrt(2.0)
        << 0.0 << true;
    QTest::newRow("G20 after millimetres converted")
        << lines({"G21 G90 G0 X0 Y0 Z0", "G20 G1 X1 F10"}) << QList<double>{0, 25.4, 0, 0, 0, 0} << 25.4 << 0.0
        << false;
    QTest::newRow("G18 clockwise quarter")
        << lines({"G18 G90 G0 X0 Y0 Z0", "G02 X10 Z10 I0 K10 F100"}) << QList<double>{0, 10, 0, 0, 0, 10}
        << 5 * Pi << 0.0 << false;
    QTest::newRow("G18 counter-clockwise three quarters")
        << lines({"G18 G90 G0 X0 Y0 Z0", "G03 X10 Z10 I0 K10 F100"}) << QList<double>{-10, 10, 0, 0, 0, 20}
        << 15 * Pi << 0.0 << false;
    QTest::newRow("G19 clockwise quarter")
        << lines({"G19 G90 G0 X0 Y0 Z0", "G02 Y10 Z10 J10 K0 F100"}) << QList<double>{0, 0, 0, 10, 0, 10}
        << 5 * Pi << 0.0 << false;
    QTest::newRow("G19 counter-clockwise three quarters")
        << lines({"G19 G90 G0 X0 Y0 Z0", "G03 Y10 Z10 J10 K0 F100"}) << QList<double>{0, 0, 0, 20, -10, 10}
        << 15 * Pi << 0.0 << false;
    QTest::newRow("G91 from the assumed start is measured")
        << lines({"G91 G1 X5 Y5 F100", "X-10"}) << QList<double>{-5, 5, 0, 5, 0, 0} << std::sqrt(50.0) + 10
        << 0.0 << false;
    QTest::newRow("first move from the assumed start is not measured")
        << lines({"G0 X5 Y5", "Z1", "G1 Z-1 F50"}) << QList<double>{5, 5, 5, 5, -1, 1} << 2.0 << 0.0 << false;
}

void TestToolpath::geometry()
{
    QFETCH(QString, program);
    QFETCH(QList<double>, extents);
    QFETCH(double, feedLength);
    QFETCH(double, rapidLength);
    QFETCH(bool, inches);

    const Toolpath path = interpret(program);
    QCOMPARE(path.stopLine, 0);
    QCOMPARE(path.inches, inches);
    const QList<double> got = extentsOf(path);
    for (int i = 0; i < 6; ++i)
        QVERIFY2(std::fabs(got[i] - extents[i]) < 1e-9,
                 qPrintable(QStringLiteral("extent %1: %2, expected %3").arg(i).arg(got[i]).arg(extents[i])));
    QVERIFY2(std::fabs(path.feedLength - feedLength) < 1e-9, qPrintable(QString::number(path.feedLength, 'g', 15)));
    QVERIFY2(std::fabs(path.rapidLength - rapidLength) < 1e-9, qPrintable(QString::number(path.rapidLength)));
    QVERIFY(path.problems.empty());
}

void TestToolpath::drillingCycles_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<double>("rapidLength");
    QTest::addColumn<double>("feedLength");
    QTest::addColumn<double>("endZ");

    // Two holes from Z10, R plane 2, depth -2.
    QTest::newRow("G98 back to the initial level")
        << lines({"G90 G0 X0 Y0 Z10", "G98 G81 X10 Y0 Z-2 R2 F100", "X20", "G80"}) << 60.0 << 8.0 << 10.0;
    QTest::newRow("G99 back to the R plane")
        << lines({"G90 G0 X0 Y0 Z10", "G99 G81 X10 Y0 Z-2 R2 F100", "X20", "G80"}) << 36.0 << 8.0 << 2.0;
    QTest::newRow("G91 R from the initial level, Z from R")
        << lines({"G90 G0 X0 Y0 Z10", "G91 G99 G81 X10 Y0 Z-4 R-8 F100", "X10", "G80"}) << 36.0 << 8.0 << 2.0;
}

void TestToolpath::drillingCycles()
{
    QFETCH(QString, program);
    QFETCH(double, rapidLength);
    QFETCH(double, feedLength);
    QFETCH(double, endZ);

    const Toolpath path = interpret(program);
    QCOMPARE(path.holes, 2);
    QVERIFY2(std::fabs(path.rapidLength - rapidLength) < 1e-9, qPrintable(QString::number(path.rapidLength)));
    QVERIFY2(std::fabs(path.feedLength - feedLength) < 1e-9, qPrintable(QString::number(path.feedLength)));
    QCOMPARE(double(path.segments.back().end[2]), endZ);
    QCOMPARE(path.extents.min[2], -2.0);
    // A marker at the bottom of each hole, on the line that made it.
    int holeMarkers = 0;
    for (const ToolpathMarker &m : path.markers) {
        if (m.kind != ToolpathMarker::Hole)
            continue;
        ++holeMarkers;
        QCOMPARE(m.position[2], -2.0);
        QCOMPARE(m.position[0], holeMarkers == 1 ? 10.0 : 20.0);
        QCOMPARE(m.line, holeMarkers + 1);
    }
    QCOMPARE(holeMarkers, 2);
}

void TestToolpath::arcCentreSetting()
{
    // The same arc written with absolute centres; G91.1 in the program wins over the setting.
    const Toolpath incremental = interpret(lines({"G0 X10 Y0 Z0", "G03 X0 Y10 I-10 J0 F100"}));
    const Toolpath absolute = interpret(lines({"G0 X10 Y0 Z0", "G03 X0 Y10 I0 J0 F100"}), true);
    const Toolpath overridden = interpret(lines({"G91.1", "G0 X10 Y0 Z0", "G03 X0 Y10 I-10 J0 F100"}), true);
    for (const Toolpath *path : {&incremental, &absolute, &overridden}) {
        QVERIFY(path->problems.empty());
        QVERIFY(std::fabs(path->feedLength - 5 * Pi) < 1e-9);
        QCOMPARE(path->arcs.size(), size_t(1));
        QCOMPARE(path->arcs[0].centreA, 0.0f);
    }
    // Read the wrong way, the same program is flagged.
    const Toolpath wrong = interpret(lines({"G0 X10 Y0 Z0", "G03 X0 Y10 I-10 J0 F100"}), true);
    QVERIFY(findProblem(wrong, ToolpathProblem::ArcRadiusMismatch));
}

void TestToolpath::diameterSetting()
{
    // X20 on a lathe read as a diameter is 10 from the axis; G8 in the
    // program goes back to radius, G7 to diameter.
    ToolpathOptions options;
    options.xIsDiameter = true;
    const Toolpath path = interpretToolpath("G18 G0 X20 Z0\nG1 Z-5 F0.2\nG8 X20\nG7 X20\n", options);
    QCOMPARE(path.extents.max[0], 20.0);
    QCOMPARE(double(path.segments[0].end[0]), 10.0);
    QCOMPARE(double(path.segments[2].end[0]), 20.0);
    QCOMPARE(double(path.segments[3].end[0]), 10.0);
    const Toolpath radius = interpretToolpath("G18 G0 X20 Z0\n", ToolpathOptions());
    QCOMPARE(double(radius.segments[0].end[0]), 20.0);
}

void TestToolpath::rejectedArcIsFlaggedWithItsLine()
{
    const Toolpath path = interpret(lines({"G0 X0 Y0 Z0", "G1 X1 F10", "G2 X10 Y0 I4 J0", "G2 X10 Y0 I4.995 J0.5"}));
    const ToolpathProblem *p = findProblem(path, ToolpathProblem::ArcRadiusMismatch);
    QVERIFY(p);
    QCOMPARE(p->firstLine, 3);
    QCOMPARE(path.rejectedArcLines, std::vector<int>{3});
    QVERIFY(path.segments[2].flags & ToolpathSegment::Rejected);
    // Within the tolerance of 0.01: drawn as given, not flagged.
    QVERIFY(!(path.segments[3].flags & ToolpathSegment::Rejected));
}

void TestToolpath::unmodelledWordsAreCountedOncePerKind()
{
    const Toolpath path = interpret(lines({"G0 X0 Y0 Z0", "G68 X0 Y0 R45", "G1 X10 F100", "G68 R30", "M98 P100",
                                           "#1=5", "G1 X5 A90", "G51 X0 Y0 P2", "IF [#1 GT 2] GOTO 10", "G16",
                                           "G12.1", "G107", "G1 Y4 A10", "G5.1 X1 Y1 I1 J1"}));
    QCOMPARE(path.stopLine, 0);
    const struct { ToolpathProblem::Kind kind; int line; int count; const char *code; } expected[] = {
        {ToolpathProblem::Rotation, 2, 2, "G68"},
        {ToolpathProblem::SubprogramCall, 5, 1, "M98"},
        {ToolpathProblem::MacroVariable, 6, 1, ""},
        {ToolpathProblem::ExtraAxis, 7, 2, "A"},
        {ToolpathProblem::Scaling, 8, 1, "G51"},
        {ToolpathProblem::MacroStatement, 9, 1, ""},
        {ToolpathProblem::PolarCoordinates, 10, 1, "G16"},
        {ToolpathProblem::Cylindrical, 12, 1, "G107"},
        {ToolpathProblem::Spline, 14, 1, "G5.1"},
    };
    for (const auto &e : expected) {
        const ToolpathProblem *p = findProblem(path, e.kind);
        QVERIFY2(p, qPrintable(problemIdentifier(e.kind)));
        QCOMPARE(p->firstLine, e.line);
        QCOMPARE(p->count, e.count);
        QCOMPARE(p->code, QString::fromLatin1(e.code));
    }
    // The spline's words are not drawn as a straight move.
    QCOMPARE(path.segments.back().line, 13);
}

void TestToolpath::pathStops_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("stopLine");
    QTest::addColumn<QString>("reasonPart");
    QTest::addColumn<int>("segments");

    QTest::newRow("variable") << lines({"G0 X0 Y0", "G1 X10 F100", "G1 X#101", "G1 X20"}) << 3 << "X" << 2;
    QTest::newRow("expression") << lines({"G0 X0 Y0", "G1 Y[2*3] F100", "G1 X20"}) << 2 << "expression" << 1;
    QTest::newRow("not a number") << lines({"G0 X0 Y0", "G1 X1.2.3 F100"}) << 2 << "1.2.3" << 1;
    QTest::newRow("named parameter") << lines({"G0 X0", "G1 Z #<depth>"}) << 2 << "Z" << 1;
    QTest::newRow("variable after other words ends nothing")
        << lines({"G0 X0", "T#5 M6", "S#1 M3", "G1 X2 F#7", "G1 X#1"}) << 5 << "X" << 2;
}

void TestToolpath::pathStops()
{
    QFETCH(QString, program);
    QFETCH(int, stopLine);
    QFETCH(QString, reasonPart);
    QFETCH(int, segments);

    const Toolpath path = interpret(program);
    QCOMPARE(path.stopLine, stopLine);
    QVERIFY2(path.stopReason.contains(reasonPart), qPrintable(path.stopReason));
    QCOMPARE(int(path.segments.size()), segments);
    QCOMPARE(path.lineCount, program.count(QLatin1Char('\n')) + 1);
}

void TestToolpath::lineBreaksAndLineNumbers()
{
    // CR LF, a lone CR and LF each end one line; comments and ";" hide words;
    // lower-case words and blanks after a letter are read; M30 ends the reading.
    const QByteArray text = "%\r\nG0 X1 (X50)\rg1 x2 f10 ; X70\n\nG1 X  3\nM30\nG1 X99\n";
    const Toolpath path = interpretToolpath(text, ToolpathOptions());
    QCOMPARE(path.lineCount, 7);
    QCOMPARE(path.programEndLine, 6);
    QCOMPARE(int(path.segments.size()), 3);
    QCOMPARE(path.segments[0].line, 2);
    QCOMPARE(path.segments[1].line, 3);
    QCOMPARE(path.segments[2].line, 5);
    QCOMPARE(path.extents.max[0], 3.0);
}

void TestToolpath::caretLineFindsItsSegments()
{
    const Toolpath path = interpret(lines({"G0 X0 Y0 Z10", "G81 X1 Z-1 R1 F10", "(no motion)", "G80 G0 X5"}));
    const auto [first, last] = path.segmentsOfLine(2);
    QCOMPARE(first, size_t(1));
    QVERIFY(last - first >= 3);
    const auto none = path.segmentsOfLine(3);
    QCOMPARE(none.first, none.second);
    QCOMPARE(path.segments[path.segmentsOfLine(4).first].line, 4);
}

// ---- properties over real programs -------------------------------------------

void TestToolpath::corpus()
{
    QTest::addColumn<QString>("file");
    QSet<QString> seen;
    for (const QString &file : TestSupport::corpusFiles()) {
        const QString name = QFileInfo(file).fileName();
        if (name == QLatin1String("README.md") || seen.contains(name))
            continue;
        seen.insert(name);
        QTest::newRow(qPrintable(name)) << file;
    }
}

namespace {

// The program as the tools see it: upper case (the tools change only
// upper-case words), one entry a line.
QStringList programLines(const QString &file)
{
    return decodeProgramFile(TestSupport::readBytes(file)).lines.join(QLatin1Char('\n')).toUpper().split(
        QLatin1Char('\n'));
}

Toolpath interpretLines(const QStringList &program)
{
    return interpretToolpath(program.join(QLatin1Char('\n')).toUtf8(), ToolpathOptions());
}

bool close(double a, double b, double tolerance = 1e-6)
{
    return std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(a));
}

// Programs the coordinate tools cannot move as a whole: incremental X words
// (the tools change them as if absolute), and words with blanks after the
// letter (the tools see no number there).
QString toolsCannotMove(const QStringList &program)
{
    static const QRegularExpression g91(QStringLiteral("G0*91(?![.0-9])"));
    static const QRegularExpression spaced(QStringLiteral("^[^(;#%]*[XYZIJKR][ \t]+[-+.0-9]"));
    for (const QString &line : program) {
        if (line.contains(g91))
            return QStringLiteral("incremental positions");
        if (line.contains(spaced))
            return QStringLiteral("blanks between letters and numbers");
    }
    return QString();
}

} // namespace

void TestToolpath::translationMovesExtentsAndKeepsLengths()
{
    QFETCH(QString, file);
    const QStringList program = programLines(file);
    const Toolpath before = interpretLines(program);
    if (!before.extents.known[0])
        QSKIP("no X motion");
    if (const QString reason = toolsCannotMove(program); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    TranslateTool tool({true, QStringLiteral("10")}, {}, {}, false, NumberSyntax());
    bool ok;
    const QStringList moved = applyTool(program, tool, &ok);
    if (!ok)
        QSKIP("the translation tool stops on a word of this program");
    const Toolpath after = interpretLines(moved);

    QCOMPARE(after.stopLine, before.stopLine);
    QCOMPARE(after.segments.size(), before.segments.size());
    QVERIFY2(close(after.extents.min[0], before.extents.min[0] + 10, 1e-9), qPrintable(QString::number(after.extents.min[0])));
    QVERIFY(close(after.extents.max[0], before.extents.max[0] + 10, 1e-9));
    for (int axis = 1; axis < 3; ++axis) {
        QCOMPARE(after.extents.min[axis], before.extents.min[axis]);
        QCOMPARE(after.extents.max[axis], before.extents.max[axis]);
    }
    QVERIFY2(close(after.feedLength, before.feedLength),
             qPrintable(QStringLiteral("%1 against %2").arg(after.feedLength).arg(before.feedLength)));
    QVERIFY(close(after.rapidLength, before.rapidLength));
}

void TestToolpath::mirrorMirrorsExtentsAndKeepsLengths()
{
    QFETCH(QString, file);
    const QStringList program = programLines(file);
    const Toolpath before = interpretLines(program);
    if (!before.extents.known[0])
        QSKIP("no X motion");
    if (const QString reason = toolsCannotMove(program); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    MirrorTool::Options options;
    options.x = options.g02 = options.g03 = true;
    MirrorTool tool(options, NumberSyntax());
    bool ok;
    QStringList mirrored = applyTool(program, tool, &ok);
    if (!ok)
        QSKIP("the mirror tool stops on a word of this program");
    // The mirror tool leaves I alone; an arc's centre offset along X turns with it.
    for (QString &line : mirrored)
        line = FUNC_Reescrever_Palavra(line, QLatin1Char('I'), [](const Extended &v) { return -v; }, false,
                                       NumberSyntax());
    const Toolpath after = interpretLines(mirrored);

    QCOMPARE(after.segments.size(), before.segments.size());
    QVERIFY2(close(after.extents.min[0], -before.extents.max[0], 1e-9),
             qPrintable(QStringLiteral("%1 against %2").arg(after.extents.min[0]).arg(-before.extents.max[0])));
    QVERIFY(close(after.extents.max[0], -before.extents.min[0], 1e-9));
    QVERIFY2(close(after.feedLength, before.feedLength),
             qPrintable(QStringLiteral("%1 against %2").arg(after.feedLength).arg(before.feedLength)));
    QVERIFY(close(after.rapidLength, before.rapidLength));
    QCOMPARE(after.rejectedArcLines, before.rejectedArcLines);
}

void TestToolpath::absoluteCentresReadAsAbsoluteGiveTheSamePath()
{
    QFETCH(QString, file);
    const QStringList program = programLines(file);
    const Toolpath before = interpretLines(program);
    if (before.arcs.empty())
        QSKIP("no arcs");
    if (const QString reason = toolsCannotMove(program); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    for (const ToolpathArc &arc : before.arcs)
        if (arc.plane != Plane::XY)
            QSKIP("arcs outside the XY plane (the I/J tool converts I and J only)");
    // The I/J tool takes an arc's start from the X and Y words of the lines
    // before; an arc line without both words starts elsewhere than it assumes.
    static const QRegularExpression arcMode(QStringLiteral("G9[01]\\.1"));
    if (program.join(QLatin1Char('\n')).contains(arcMode))
        QSKIP("the program sets its own arc-centre mode, which wins over the setting");
    static const QRegularExpression arcLine(QStringLiteral("G0*[23](?![0-9.])"));
    for (const QString &line : program) {
        const QString code = line.section(QLatin1Char('('), 0, 0);
        if (code.contains(arcLine) && !(code.contains(QLatin1Char('X')) && code.contains(QLatin1Char('Y'))))
            QSKIP("an arc line without both X and Y");
    }
    ArcCentreTool tool(ArcCentreTool::Mode::AbsoluteStart, false, NumberSyntax());
    bool ok;
    const QStringList converted = applyTool(program, tool, &ok);
    if (!ok)
        QSKIP("the I/J tool stops on a word of this program");
    ToolpathOptions options;
    options.absoluteArcCentres = true;
    const Toolpath after = interpretToolpath(converted.join(QLatin1Char('\n')).toUtf8(), options);

    QCOMPARE(after.segments.size(), before.segments.size());
    QCOMPARE(after.arcs.size(), before.arcs.size());
    for (size_t i = 0; i < before.arcs.size(); ++i) {
        QVERIFY(close(after.arcs[i].centreA, before.arcs[i].centreA, 1e-5));
        QVERIFY(close(after.arcs[i].centreB, before.arcs[i].centreB, 1e-5));
        QVERIFY(close(after.arcs[i].sweep, before.arcs[i].sweep, 1e-5));
    }
    QVERIFY(close(after.feedLength, before.feedLength));
    QCOMPARE(after.rejectedArcLines, before.rejectedArcLines);
}

void TestToolpath::everySegmentNamesAnExistingLine()
{
    QFETCH(QString, file);
    const QByteArray bytes = TestSupport::readBytes(file);
    const Toolpath path = interpretToolpath(bytes, ToolpathOptions());
    const QStringList text = QString::fromUtf8(bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    QCOMPARE(path.lineCount, text.size() - (bytes.endsWith('\n') || bytes.endsWith('\r') ? 1 : 0));
    int previous = 1;
    for (const ToolpathSegment &s : path.segments) {
        QVERIFY(s.line >= previous && s.line <= path.lineCount);
        previous = s.line;
        static const QRegularExpression motionWord(QStringLiteral("[XYZIJKRxyzijkr][ \t]*[-+.0-9]"));
        QVERIFY2(text[s.line - 1].contains(motionWord), qPrintable(text[s.line - 1]));
    }
}

QTEST_GUILESS_MAIN(TestToolpath)
#include "tst_toolpath.moc"
