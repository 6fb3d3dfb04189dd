#include "Toolpath.h"

#include <algorithm>
#include <cmath>

PlaneAxes planeAxes(Plane plane)
{
    switch (plane) {
    case Plane::ZX: return {2, 0, 1};
    case Plane::YZ: return {1, 2, 0};
    case Plane::XY: break;
    }
    return {0, 1, 2};
}

bool isApproximation(ToolpathProblem::Kind kind)
{
    return kind >= ToolpathProblem::FeedPerRevolution && kind <= ToolpathProblem::NoFeed;
}

bool isProgramError(ToolpathProblem::Kind kind)
{
    return kind == ToolpathProblem::ArcRadiusMismatch || kind == ToolpathProblem::ArcNoCentre;
}

QString problemIdentifier(ToolpathProblem::Kind kind)
{
    static const char *const names[] = {
        "macro-variable", "macro-statement", "subprogram-call", "rotation", "scaling", "polar-coordinates",
        "cylindrical", "extra-axis", "lathe-cycle", "cutter-compensation", "coordinate-offset", "spline",
        "unknown-code", "feed-per-revolution", "inverse-time", "machine-coordinates", "reference-return",
        "no-feed", "arc-radius-mismatch", "arc-without-centre"};
    return QString::fromLatin1(names[kind]);
}

size_t Toolpath::firstSegmentAtOrAfter(int line) const
{
    return size_t(std::lower_bound(segments.begin(), segments.end(), line,
                                   [](const ToolpathSegment &s, int l) { return s.line < l; })
                  - segments.begin());
}

std::pair<size_t, size_t> Toolpath::segmentsOfLine(int line) const
{
    const size_t first = firstSegmentAtOrAfter(line);
    size_t last = first;
    while (last < segments.size() && segments[last].line == line)
        ++last;
    return {first, last};
}

size_t Toolpath::storageBytes() const
{
    return segments.capacity() * sizeof(ToolpathSegment) + arcs.capacity() * sizeof(ToolpathArc)
           + markers.capacity() * sizeof(ToolpathMarker) + rejectedArcLines.capacity() * sizeof(int);
}

double arcStartRadius(const Toolpath &path, size_t index)
{
    const ToolpathSegment &s = path.segments[index];
    const ToolpathArc &arc = path.arcs[size_t(s.arc)];
    const PlaneAxes axes = planeAxes(arc.plane);
    const ToolpathPoint from = path.segmentStart(index);
    return std::hypot(from.x[axes.a] - arc.centreA, from.x[axes.b] - arc.centreB);
}

void segmentPoint(const Toolpath &path, size_t index, double t, double out[3])
{
    const ToolpathSegment &s = path.segments[index];
    const ToolpathPoint start = path.segmentStart(index);
    const double *from = start.x;
    if (s.arc < 0) {
        for (int i = 0; i < 3; ++i)
            out[i] = from[i] + (s.end[i] - from[i]) * t;
        return;
    }
    const ToolpathArc &arc = path.arcs[size_t(s.arc)];
    const PlaneAxes axes = planeAxes(arc.plane);
    const double r1 = std::hypot(from[axes.a] - arc.centreA, from[axes.b] - arc.centreB);
    const double r2 = std::hypot(s.end[axes.a] - arc.centreA, s.end[axes.b] - arc.centreB);
    const double angle = std::atan2(from[axes.b] - arc.centreB, from[axes.a] - arc.centreA) + arc.sweep * t;
    const double r = r1 + (r2 - r1) * t;
    out[axes.a] = arc.centreA + r * std::cos(angle);
    out[axes.b] = arc.centreB + r * std::sin(angle);
    out[axes.normal] = from[axes.normal] + (s.end[axes.normal] - from[axes.normal]) * t;
}
