#include "ToolpathReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char *const AxisNames[3] = {"x", "y", "z"};

QString number(const Toolpath &path, double value)
{
    // Four places for inches, three for millimetres: finer than any machine's step.
    QString text = QString::number(value, 'f', path.inches ? 4 : 3);
    if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) == text.size() - 2)
        text.remove(0, 1); // no "-0.000"
    return text;
}

struct Count
{
    const char *key;
    int value;
};

QList<Count> counts(const Toolpath &path)
{
    return {{"rapid moves", path.rapidMoves},
            {"feed moves", path.feedMoves},
            {"clockwise arcs", path.clockwiseArcs},
            {"counter-clockwise arcs", path.counterClockwiseArcs},
            {"helical arcs", path.helicalArcs},
            {"holes", path.holes},
            {"tool changes", path.toolChanges},
            {"reference returns", path.referenceReturns}};
}

QString problemKind(const ToolpathProblem &p)
{
    if (isProgramError(p.kind))
        return QStringLiteral("error");
    return isApproximation(p.kind) ? QStringLiteral("approximated") : QStringLiteral("not modelled");
}

} // namespace

QString toolpathStopText(const Toolpath &path)
{
    if (path.stopLine == 0)
        return QString();
    return QStringLiteral("line %1: %2").arg(path.stopLine).arg(path.stopReason);
}

QString toolpathReportText(const Toolpath &path)
{
    QString out;
    const auto line = [&out](const QString &key, const QString &value) {
        out += key + QLatin1String(": ") + value + QLatin1Char('\n');
    };
    line(QStringLiteral("lines"), QString::number(path.lineCount));
    line(QStringLiteral("unit"), path.inches ? QStringLiteral("in") : QStringLiteral("mm"));
    for (int axis = 0; axis < 3; ++axis) {
        const QString name = QLatin1String(AxisNames[axis]);
        line(name + QLatin1String(" min"), path.extents.known[axis] ? number(path, path.extents.min[axis]) : QStringLiteral("none"));
        line(name + QLatin1String(" max"), path.extents.known[axis] ? number(path, path.extents.max[axis]) : QStringLiteral("none"));
    }
    line(QStringLiteral("cut length"), number(path, path.feedLength));
    line(QStringLiteral("rapid length"), number(path, path.rapidLength));
    line(QStringLiteral("estimated time (min)"), QString::number(estimatedMinutes(path), 'f', 2));
    line(QStringLiteral("estimated cut time (min)"), QString::number(path.feedMinutes, 'f', 2));
    line(QStringLiteral("estimated rapid time (min)"), QString::number(path.rapidMinutes, 'f', 2));
    for (const Count &c : counts(path))
        line(QLatin1String(c.key), QString::number(c.value));
    if (path.programEndLine)
        line(QStringLiteral("program end"), QStringLiteral("line %1").arg(path.programEndLine));
    for (const ToolpathProblem &p : path.problems) {
        QString value = problemIdentifier(p.kind);
        if (!p.code.isEmpty())
            value += QLatin1Char(' ') + p.code;
        line(QStringLiteral("problem"), QStringLiteral("%1 (%2), first line %3, %4 time(s)")
                                            .arg(value, problemKind(p)).arg(p.firstLine).arg(p.count));
    }
    for (int l : path.rejectedArcLines)
        line(QStringLiteral("rejected arc"), QStringLiteral("line %1").arg(l));
    if (path.stopLine)
        line(QStringLiteral("stopped"), toolpathStopText(path));
    return out;
}

QByteArray toolpathReportJson(const Toolpath &path)
{
    QJsonObject o;
    o.insert(QStringLiteral("lines"), path.lineCount);
    o.insert(QStringLiteral("unit"), path.inches ? QStringLiteral("in") : QStringLiteral("mm"));
    QJsonObject extents;
    for (int axis = 0; axis < 3; ++axis) {
        if (!path.extents.known[axis])
            continue;
        extents.insert(QLatin1String(AxisNames[axis]), QJsonArray{path.extents.min[axis], path.extents.max[axis]});
    }
    o.insert(QStringLiteral("extents"), extents);
    o.insert(QStringLiteral("cutLength"), path.feedLength);
    o.insert(QStringLiteral("rapidLength"), path.rapidLength);
    o.insert(QStringLiteral("estimatedMinutes"), estimatedMinutes(path));
    o.insert(QStringLiteral("estimatedCutMinutes"), path.feedMinutes);
    o.insert(QStringLiteral("estimatedRapidMinutes"), path.rapidMinutes);
    QJsonObject moves;
    for (const Count &c : counts(path))
        moves.insert(QString::fromLatin1(c.key).replace(QLatin1Char(' '), QLatin1Char('-')), c.value);
    o.insert(QStringLiteral("counts"), moves);
    if (path.programEndLine)
        o.insert(QStringLiteral("programEndLine"), path.programEndLine);
    QJsonArray problems;
    for (const ToolpathProblem &p : path.problems) {
        QJsonObject j;
        j.insert(QStringLiteral("kind"), problemIdentifier(p.kind));
        j.insert(QStringLiteral("class"), problemKind(p));
        if (!p.code.isEmpty())
            j.insert(QStringLiteral("code"), p.code);
        j.insert(QStringLiteral("firstLine"), p.firstLine);
        j.insert(QStringLiteral("count"), p.count);
        problems.append(j);
    }
    o.insert(QStringLiteral("problems"), problems);
    QJsonArray rejected;
    for (int l : path.rejectedArcLines)
        rejected.append(l);
    o.insert(QStringLiteral("rejectedArcLines"), rejected);
    if (path.stopLine) {
        o.insert(QStringLiteral("stopLine"), path.stopLine);
        o.insert(QStringLiteral("stopReason"), path.stopReason);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
