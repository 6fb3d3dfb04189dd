// zavrin-cnc stats, run as a separate process: the figures as key: value
// lines and as JSON, the arc-centre setting, and the exit codes.
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out, err;
};

Result runStats(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZAVRIN_CNC_PATH), QStringList{QStringLiteral("stats")} + arguments);
    process.waitForFinished(60000);
    Result r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

QMap<QString, QStringList> keyValues(const QByteArray &out)
{
    QMap<QString, QStringList> map;
    for (const QByteArray &line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        const int colon = line.indexOf(": ");
        if (colon < 0)
            continue;
        map[QString::fromUtf8(line.left(colon))] << QString::fromUtf8(line.mid(colon + 2));
    }
    return map;
}

} // namespace

class TestCliStats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void textFigures();
    void jsonFigures();
    void arcCentreOption_data();
    void arcCentreOption();
    void pathThatCannotBeFollowedExitsOne();
    void wrongCommandLines_data();
    void wrongCommandLines();

private:
    QString write(const char *name, const QByteArray &text)
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        TestSupport::writeBytes(path, text);
        return path;
    }
    QTemporaryDir m_dir;
};

void TestCliStats::textFigures()
{
    // A 10 x 10 square at F100 (0.4 min), a rapid of 5 at 5000 mm/min, a tool
    // change, and one rotation the view does not model.
    const QString file = write("square.nc", "T1 M6\nG90 G0 X0 Y0 Z5\nG1 Z0 F100\nX10\nY10\nX0\nY0\nG0 Z5\n"
                                            "G68 X0 Y0 R10\nM30\n");
    const Result r = runStats({file});
    QCOMPARE(r.exitCode, 0);
    const auto kv = keyValues(r.out);
    QCOMPARE(kv.value(QStringLiteral("x min")), QStringList{QStringLiteral("0.000")});
    QCOMPARE(kv.value(QStringLiteral("x max")), QStringList{QStringLiteral("10.000")});
    QCOMPARE(kv.value(QStringLiteral("z min")), QStringList{QStringLiteral("0.000")});
    QCOMPARE(kv.value(QStringLiteral("cut length")), QStringList{QStringLiteral("45.000")});
    QCOMPARE(kv.value(QStringLiteral("rapid length")), QStringList{QStringLiteral("5.000")});
    QCOMPARE(kv.value(QStringLiteral("estimated time (min)")), QStringList{QStringLiteral("0.45")});
    QCOMPARE(kv.value(QStringLiteral("feed moves")), QStringList{QStringLiteral("5")});
    QCOMPARE(kv.value(QStringLiteral("rapid moves")), QStringList{QStringLiteral("1")});
    QCOMPARE(kv.value(QStringLiteral("tool changes")), QStringList{QStringLiteral("1")});
    QCOMPARE(kv.value(QStringLiteral("program end")), QStringList{QStringLiteral("line 10")});
    QCOMPARE(kv.value(QStringLiteral("problem")),
             QStringList{QStringLiteral("rotation G68 (not modelled), first line 9, 1 time(s)")});
    QCOMPARE(kv.value(QStringLiteral("unit")), QStringList{QStringLiteral("mm")});
}

void TestCliStats::jsonFigures()
{
    const QString file = write("inch.nc", "G20 G90\nG0 X0 Y0 Z0\nG2 X2 Y0 I1 J0 F10\nG2 X4 Y0 I1.2 J0\n");
    const Result r = runStats({QStringLiteral("--json"), file});
    QCOMPARE(r.exitCode, 0);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(o.value(QStringLiteral("unit")).toString(), QStringLiteral("in"));
    const QJsonArray y = o.value(QStringLiteral("extents")).toObject().value(QStringLiteral("y")).toArray();
    QCOMPARE(y.at(1).toDouble(), 1.0); // over the top of both half circles
    QCOMPARE(o.value(QStringLiteral("counts")).toObject().value(QStringLiteral("clockwise-arcs")).toInt(), 2);
    // The second arc's radii are 1.2 and 0.8.
    QCOMPARE(o.value(QStringLiteral("rejectedArcLines")).toArray(), QJsonArray{4});
    const QJsonObject problem = o.value(QStringLiteral("problems")).toArray().at(0).toObject();
    QCOMPARE(problem.value(QStringLiteral("kind")).toString(), QStringLiteral("arc-radius-mismatch"));
    QCOMPARE(problem.value(QStringLiteral("firstLine")).toInt(), 4);
    QVERIFY(!o.contains(QStringLiteral("stopLine")));
}

void TestCliStats::arcCentreOption_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("rejectedLine");
    // The centre (0,0) written as an offset from the start (-10,0) and as a point (0,0).
    QTest::newRow("inc reads offsets") << QStringLiteral("inc") << 0;
    QTest::newRow("abs reads points") << QStringLiteral("abs") << 3;
}

void TestCliStats::arcCentreOption()
{
    QFETCH(QString, mode);
    QFETCH(int, rejectedLine);
    const QString file = write("arc.nc", "G0 X10 Y0 Z0\nG1 F100\nG3 X0 Y10 I-10 J0\n");
    const Result r = runStats({QStringLiteral("--ij"), mode, file});
    QCOMPARE(r.exitCode, 0);
    const auto kv = keyValues(r.out);
    if (rejectedLine) {
        QCOMPARE(kv.value(QStringLiteral("rejected arc")), QStringList{QStringLiteral("line %1").arg(rejectedLine)});
    } else {
        QVERIFY(!kv.contains(QStringLiteral("rejected arc")));
        QCOMPARE(kv.value(QStringLiteral("cut length")), QStringList{QStringLiteral("15.708")});
    }
}

void TestCliStats::pathThatCannotBeFollowedExitsOne()
{
    const QString file = write("macro.nc", "G0 X0 Y0\nG1 X5 F100\n#1=7\nG1 Y#1\nG1 X9\n");
    for (const QStringList &extra : {QStringList(), QStringList{QStringLiteral("--json")}}) {
        const Result r = runStats(extra + QStringList{file});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("line 4") && r.err.contains("Y"), r.err.constData());
        // The figures up to the line are still written.
        QVERIFY(r.out.contains("stop"));
        QVERIFY(r.out.contains(extra.isEmpty() ? "cut length: 5.000" : "\"cutLength\": 5"));
    }
}

void TestCliStats::wrongCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("no file") << QStringList() << 2 << "needs a FILE";
    QTest::newRow("bad ij") << QStringList{QStringLiteral("--ij"), QStringLiteral("centre"), QStringLiteral("x.nc")}
                            << 2 << "--ij takes abs or inc";
    QTest::newRow("ij without value") << QStringList{QStringLiteral("--ij")} << 2 << "--ij needs a value";
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--fast"), QStringLiteral("x.nc")} << 2 << "--fast";
    QTest::newRow("missing file") << QStringList{QStringLiteral("/nonexistent/dir/p.nc")} << 1 << "/nonexistent/dir/p.nc";
}

void TestCliStats::wrongCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Result r = runStats(arguments);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromLocal8Bit(r.err).contains(message), r.err.constData());
    QVERIFY(r.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliStats)
#include "tst_clistats.moc"
