#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// The path the tool follows through a program, as motion segments, each with
// the line (1-based) that made it. Segments are contiguous: one starts where
// the one before it ended (the first at Toolpath::start). Coordinates are in
// the program's unit (Toolpath::inches).

enum class Plane : uint8_t { XY = 0, ZX = 1, YZ = 2 };

// The two in-plane axes (a, b) and the normal axis of a plane, so that a
// counter-clockwise arc turns from a to b (XY: X,Y,Z; ZX: Z,X,Y; YZ: Y,Z,X).
struct PlaneAxes
{
    int a, b, normal;
};
PlaneAxes planeAxes(Plane plane);

// A point in doubles, for the arithmetic on stored (single-precision) points.
struct ToolpathPoint
{
    double x[3];
};

// Positions are kept in single precision: a 24-bit significand resolves
// 0.0001 mm at 1 m, finer than the drawing needs, and keeps a segment at 24
// bytes (the figures are summed in double precision as the path is read).
struct ToolpathSegment
{
    enum Kind : uint8_t { Rapid, Feed, Arc };
    enum Flag : uint8_t {
        Cycle = 1,         // a move of a drilling cycle
        AssumedStart = 2,  // starts on an axis the program has not positioned yet
        Rejected = 4,      // an arc the control would reject (its radii differ)
    };
    float end[3];
    int32_t line;
    int32_t arc;           // index into Toolpath::arcs, -1 for a straight move
    Kind kind;
    uint8_t flags;
};

// The centre of an arc in its plane's (a, b) coordinates, and its signed turn
// (radians, positive counter-clockwise seen from the plane's normal).
struct ToolpathArc
{
    float centreA, centreB;
    float sweep;
    Plane plane;
};

struct ToolpathMarker
{
    enum Kind : uint8_t { Hole, ToolChange, ReferenceReturn, MachineCoordinates };
    double position[3];
    int32_t line;
    Kind kind;
};

// Something the drawing does not show as the control would run it: counted
// per kind (and code), with the first line it occurs on.
struct ToolpathProblem
{
    enum Kind : uint8_t {
        // Not modelled: the moves around it are drawn without its effect.
        MacroVariable,       // "#" assignments and text after a "#"
        MacroStatement,      // IF, WHILE, GOTO, o-word control and other keywords
        SubprogramCall,      // M98, M99, G65, G66
        Rotation,            // G68
        Scaling,             // G51
        PolarCoordinates,    // G16, G12.1, G112
        Cylindrical,         // G7.1, G107
        ExtraAxis,           // A, B, C, U, V, W words
        LatheCycle,          // G70 to G76 on the ZX plane
        CutterCompensation,  // G41, G42: the programmed path is drawn
        CoordinateOffset,    // G92, G10: positions are not shifted
        Spline,              // G5, G5.1, G5.2
        UnknownCode,         // any other G code
        // Approximated.
        FeedPerRevolution,   // G95: F times the last S
        InverseTime,         // G93
        MachineMove,         // G53: a marker, the move is not drawn
        ReferenceMove,       // G28, G30: drawn to the intermediate point
        NoFeed,              // a feed move before any F: not timed
        // Wrong in the program.
        ArcRadiusMismatch,   // start and end radius differ by more than the tolerance
        ArcNoCentre,         // R arc from a point to itself, or no centre word
    };
    Kind kind;
    QString code;   // the word concerned ("G68", "A"), may be empty
    int firstLine;
    int count;
};

bool isApproximation(ToolpathProblem::Kind kind);
bool isProgramError(ToolpathProblem::Kind kind);
// A stable English identifier ("rotation", "arc-radius-mismatch").
QString problemIdentifier(ToolpathProblem::Kind kind);

struct ToolpathExtents
{
    double min[3] = {0, 0, 0};
    double max[3] = {0, 0, 0};
    bool known[3] = {false, false, false};

    void include(int axis, double value)
    {
        if (!known[axis]) {
            known[axis] = true;
            min[axis] = max[axis] = value;
        } else if (value < min[axis]) {
            min[axis] = value;
        } else if (value > max[axis]) {
            max[axis] = value;
        }
    }
    bool any() const { return known[0] || known[1] || known[2]; }
};

struct Toolpath
{
    double start[3] = {0, 0, 0};
    std::vector<ToolpathSegment> segments;
    std::vector<ToolpathArc> arcs;
    std::vector<ToolpathMarker> markers;
    std::vector<ToolpathProblem> problems;
    // Arcs the control would reject, each with its line (the first few thousand).
    std::vector<int> rejectedArcLines;

    bool inches = false;
    int lineCount = 0;
    ToolpathExtents extents;   // of the programmed positions (not the assumed start)
    double feedLength = 0;     // feed moves and arcs
    double rapidLength = 0;
    double feedMinutes = 0;    // estimate
    double rapidMinutes = 0;   // estimate, at the rapid rate
    int rapidMoves = 0, feedMoves = 0, clockwiseArcs = 0, counterClockwiseArcs = 0, helicalArcs = 0;
    int holes = 0, toolChanges = 0, referenceReturns = 0;
    int programEndLine = 0;    // M02/M30 that ended the reading, 0 when none

    // The path cannot be followed from this line on (0 when it can).
    int stopLine = 0;
    QString stopReason;        // English, names the word

    bool cancelled = false;

    // The first segment made by a line at or after `line`, or segments.size().
    size_t firstSegmentAtOrAfter(int line) const;
    // Segments [first, last) made by `line`.
    std::pair<size_t, size_t> segmentsOfLine(int line) const;
    ToolpathPoint segmentEnd(size_t index) const
    {
        const float *e = segments[index].end;
        return {{e[0], e[1], e[2]}};
    }
    ToolpathPoint segmentStart(size_t index) const
    {
        return index == 0 ? ToolpathPoint{{start[0], start[1], start[2]}} : segmentEnd(index - 1);
    }
    // Bytes held by the segment, arc and marker tables.
    size_t storageBytes() const;
};

// A point along a segment at t in [0, 1] (arcs follow their turn, with the
// radius going from the start's to the end's).
void segmentPoint(const Toolpath &path, size_t index, double t, double out[3]);
// The radius at the start of an arc segment.
double arcStartRadius(const Toolpath &path, size_t index);
