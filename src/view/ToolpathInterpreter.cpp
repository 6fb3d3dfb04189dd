#include "ToolpathInterpreter.h"

#include "tools/CoordinateWords.h"

#include <QStringView>
#include <cmath>
#include <cstring>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Epsilon = 1e-9;

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNumberChar(char c) { return CoordinateWords::isNumberChar(QLatin1Char(c)); }
// The tools stop reading at these; ";" starts a comment in the dialects that
// have one and is never part of a word.
bool isStop(char c) { return c == ';' || CoordinateWords::isStop(QLatin1Char(c)); }
// Words whose value the path depends on: an unknown value there ends the path.
bool isPositionLetter(char c)
{
    switch (upper(c)) {
    case 'X': case 'Y': case 'Z': case 'I': case 'J': case 'K': case 'R':
        return true;
    default:
        return false;
    }
}

double toDouble(const Extended &value)
{
    const double magnitude = std::ldexp(double(value.significand()), value.exponent());
    return value.isNegative() ? -magnitude : magnitude;
}

// The words of one block that the path needs.
struct Block
{
    uint32_t has = 0; // bit per letter A..Z with a number read
    double value[26];
    int gCodes[12];   // G number times ten (G91.1 is 911)
    int gCount = 0;
    int mCodes[6];
    int mCount = 0;
    bool macroStatement = false;
    bool macroVariable = false;

    bool hasWord(char letter) const { return has & (1u << (letter - 'A')); }
    double word(char letter) const { return value[letter - 'A']; }
    bool hasG(int code) const
    {
        for (int i = 0; i < gCount; ++i)
            if (gCodes[i] == code)
                return true;
        return false;
    }
    bool hasM(int code) const
    {
        for (int i = 0; i < mCount; ++i)
            if (mCodes[i] == code)
                return true;
        return false;
    }
};

// A failure that ends the path at a line.
struct StopError
{
    QString reason;
};

class Interpreter
{
public:
    Interpreter(const ToolpathOptions &options, Toolpath &path) : m_options(options), m_path(path)
    {
        m_arcAbsolute = options.absoluteArcCentres;
        m_xDiameter = options.xIsDiameter;
    }

    // False when the reading ends with this line (program end or stop).
    bool line(const char *begin, const char *end, int lineNumber);

private:
    void readBlock(const char *begin, const char *end, Block &block);
    int codeValue(const char *&p, const char *end);
    void problem(ToolpathProblem::Kind kind, const QString &code = QString());
    double factor() const
    {
        if (m_inchesNow == m_path.inches)
            return 1;
        return m_inchesNow ? 25.4 : 1 / 25.4;
    }
    double axisValue(const Block &block, int axis, bool absolute) const;
    void target(const Block &block, bool absolute, double out[3], int &knownAfter);
    void addSegment(ToolpathSegment::Kind kind, const double to[3], int knownAfter, int arc, uint8_t flags);
    void straight(ToolpathSegment::Kind kind, const double to[3], int knownAfter, uint8_t flags = 0);
    void arc(const Block &block, bool clockwise, const double to[3], int knownAfter);
    void timeFeed(double length);
    void drill(const Block &block, const double to[3], int knownAfter);
    void marker(ToolpathMarker::Kind kind, const double at[3]);

    const ToolpathOptions &m_options;
    Toolpath &m_path;
    int m_line = 0;

    double m_pos[3] = {0, 0, 0};
    int m_known = 0; // bit per axis positioned by the program
    int m_motion = 0; // 0 to 3, a cycle (73 to 89), or -1 after G80
    Plane m_plane = Plane::XY;
    bool m_absolute = true;
    bool m_arcAbsolute = false;
    bool m_xDiameter = false;
    bool m_inchesNow = false;
    bool m_unitDecided = false;
    int m_feedMode = 94;
    double m_feed = 0;      // in the unit in force when it was given
    bool m_feedInches = false;
    double m_spindle = 0;
    bool m_sawToolChangeCode = false;
    // Drilling cycle.
    bool m_returnToInitial = true;
    double m_cycleR = 0, m_cycleZ = 0, m_initialZ = 0;
    bool m_cycleActive = false;
};

PlaneAxes axesOf(Plane plane) { return planeAxes(plane); }

int Interpreter::codeValue(const char *&p, const char *end)
{
    int whole = 0;
    int tenth = 0;
    while (p < end && isDigit(*p)) {
        whole = whole * 10 + (*p - '0');
        if (whole > 100000)
            whole = 100000;
        ++p;
    }
    if (p < end && *p == '.') {
        ++p;
        if (p < end && isDigit(*p))
            tenth = *p - '0';
        while (p < end && isDigit(*p))
            ++p;
    }
    return whole * 10 + tenth;
}

void Interpreter::readBlock(const char *p, const char *end, Block &block)
{
    char16_t buffer[64];
    const char *previousLetter = nullptr;
    while (p < end) {
        const char c = *p;
        if (isStop(c)) {
            if (c == '#') {
                // A value taken from a variable: the path cannot be followed.
                const char *q = p;
                while (q > previousLetter && q[-1] == ' ')
                    --q;
                if (previousLetter && q == previousLetter + 1 && isPositionLetter(*previousLetter))
                    throw StopError{QStringLiteral("the value of %1 is a variable (\"%2\")")
                                        .arg(QString(QLatin1Char(upper(*previousLetter))),
                                             QString::fromUtf8(previousLetter, int(end - previousLetter)).trimmed())};
                block.macroVariable = true;
            }
            return;
        }
        if (c == '[') {
            const char *q = p;
            while (q > previousLetter && q[-1] == ' ')
                --q;
            if (previousLetter && q == previousLetter + 1 && isPositionLetter(*previousLetter))
                throw StopError{QStringLiteral("the value of %1 is an expression (\"%2\")")
                                    .arg(QString(QLatin1Char(upper(*previousLetter))),
                                         QString::fromUtf8(previousLetter, int(end - previousLetter)).trimmed())};
            block.macroStatement = true;
            return;
        }
        if (!isLetter(c)) {
            ++p;
            continue;
        }
        if (p + 1 < end && isLetter(p[1])) {
            block.macroStatement = true; // keywords: IF, WHILE, GOTO, SUB, ...
            return;
        }
        previousLetter = p;
        const char letter = upper(c);
        ++p;
        // Blanks between a letter and its number are read past, as the controls do.
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
        const char *numberBegin = p;
        while (p < end && isNumberChar(*p))
            ++p;
        if (p == numberBegin)
            continue;
        switch (letter) {
        case 'G': {
            const char *q = numberBegin;
            if (q < p && (*q == '+' || *q == '-'))
                ++q;
            const int code = codeValue(q, p);
            if (block.gCount < 12)
                block.gCodes[block.gCount++] = code;
            break;
        }
        case 'M': {
            const char *q = numberBegin;
            const int code = codeValue(q, p) / 10;
            if (block.mCount < 6)
                block.mCodes[block.mCount++] = code;
            break;
        }
        case 'A': case 'B': case 'C': case 'U': case 'V': case 'W':
            problem(ToolpathProblem::ExtraAxis, QString(QLatin1Char(letter)));
            break;
        case 'X': case 'Y': case 'Z': case 'I': case 'J': case 'K': case 'R': case 'F': case 'S': case 'L':
        case 'T': {
            // The tools' own number reading, so that both see the same value.
            const qsizetype length = p - numberBegin;
            if (length > 64)
                throw StopError{QStringLiteral("the number of %1 is too long").arg(QLatin1Char(letter))};
            for (qsizetype i = 0; i < length; ++i)
                buffer[i] = char16_t(numberBegin[i]);
            try {
                block.value[letter - 'A'] = toDouble(FUNC_Ler_Numero(QStringView(buffer, length), m_options.syntax));
            } catch (const ConversionError &error) {
                throw StopError{QStringLiteral("%1%2: %3").arg(QString(QLatin1Char(letter)), error.numberText(), error.message())};
            }
            block.has |= 1u << (letter - 'A');
            break;
        }
        default:
            break; // N, O, P, Q, D, H, E: not part of the path
        }
    }
}

void Interpreter::problem(ToolpathProblem::Kind kind, const QString &code)
{
    for (ToolpathProblem &p : m_path.problems) {
        if (p.kind == kind && p.code == code) {
            ++p.count;
            return;
        }
    }
    m_path.problems.push_back({kind, code, m_line, 1});
}

double Interpreter::axisValue(const Block &block, int axis, bool absolute) const
{
    static const char letters[3] = {'X', 'Y', 'Z'};
    double v = block.word(letters[axis]) * factor();
    if (axis == 0 && m_xDiameter)
        v /= 2;
    return absolute ? v : m_pos[axis] + v;
}

void Interpreter::target(const Block &block, bool absolute, double out[3], int &knownAfter)
{
    static const char letters[3] = {'X', 'Y', 'Z'};
    knownAfter = m_known;
    for (int axis = 0; axis < 3; ++axis) {
        if (block.hasWord(letters[axis]) && !absolute && !(m_known & (1 << axis))) {
            // An incremental move measures from the assumed start, which
            // becomes the reference of that axis.
            m_known |= 1 << axis;
            knownAfter |= 1 << axis;
            m_path.extents.include(axis, m_pos[axis]);
        }
        if (block.hasWord(letters[axis])) {
            out[axis] = axisValue(block, axis, absolute);
            if (absolute)
                knownAfter |= 1 << axis;
        } else {
            out[axis] = m_pos[axis];
        }
    }
}

void Interpreter::addSegment(ToolpathSegment::Kind kind, const double to[3], int knownAfter, int arcIndex,
                             uint8_t flags)
{
    for (int axis = 0; axis < 3; ++axis) {
        // A move that first positions an axis has an unknown length, even
        // when its value happens to equal the assumed start.
        const bool positioned = (knownAfter & (1 << axis)) || to[axis] != m_pos[axis];
        if (positioned && !(m_known & (1 << axis)))
            flags |= ToolpathSegment::AssumedStart;
        if (knownAfter & (1 << axis))
            m_path.extents.include(axis, to[axis]);
    }
    ToolpathSegment s;
    s.end[0] = float(to[0]);
    s.end[1] = float(to[1]);
    s.end[2] = float(to[2]);
    s.line = m_line;
    s.arc = arcIndex;
    s.kind = kind;
    s.flags = flags;
    m_path.segments.push_back(s);
    m_unitDecided = true;
    std::memcpy(m_pos, to, sizeof m_pos);
    m_known = knownAfter;
}

void Interpreter::timeFeed(double length)
{
    if (m_feedMode == 93) {
        if (m_feed > 0)
            m_path.feedMinutes += 1 / m_feed;
        else
            problem(ToolpathProblem::NoFeed);
        return;
    }
    double perMinute = m_feed;
    if (m_feedInches != m_path.inches)
        perMinute *= m_feedInches ? 25.4 : 1 / 25.4;
    if (m_feedMode == 95)
        perMinute *= m_spindle;
    if (perMinute > 0)
        m_path.feedMinutes += length / perMinute;
    else
        problem(ToolpathProblem::NoFeed);
}

void Interpreter::straight(ToolpathSegment::Kind kind, const double to[3], int knownAfter, uint8_t flags)
{
    const double length = std::sqrt((to[0] - m_pos[0]) * (to[0] - m_pos[0]) + (to[1] - m_pos[1]) * (to[1] - m_pos[1])
                                    + (to[2] - m_pos[2]) * (to[2] - m_pos[2]));
    const size_t index = m_path.segments.size();
    addSegment(kind, to, knownAfter, -1, flags);
    if (m_path.segments[index].flags & ToolpathSegment::AssumedStart)
        return;
    if (kind == ToolpathSegment::Rapid) {
        ++m_path.rapidMoves;
        m_path.rapidLength += length;
        const double rate = m_path.inches ? m_options.rapidRate / 25.4 : m_options.rapidRate;
        if (rate > 0)
            m_path.rapidMinutes += length / rate;
    } else {
        ++m_path.feedMoves;
        m_path.feedLength += length;
        if (length > 0)
            timeFeed(length);
    }
}

void Interpreter::arc(const Block &block, bool clockwise, const double to[3], int knownAfter)
{
    const PlaneAxes axes = axesOf(m_plane);
    static const char centreLetters[3] = {'I', 'J', 'K'};
    const double sa = m_pos[axes.a], sb = m_pos[axes.b];
    const double ea = to[axes.a], eb = to[axes.b];
    const double unitFactor = m_path.inches ? 1 / 25.4 : 1.0;
    const double tolerance = m_options.arcTolerance * unitFactor;
    double ca = 0, cb = 0;
    bool rejected = false;
    bool fullCircle = false;

    if (block.hasWord('R')) {
        const double r = block.word('R') * factor();
        const double da = ea - sa, db = eb - sb;
        const double chord = std::sqrt(da * da + db * db);
        if (chord < Epsilon) {
            problem(ToolpathProblem::ArcNoCentre, QStringLiteral("R"));
            straight(ToolpathSegment::Feed, to, knownAfter, ToolpathSegment::Rejected);
            return;
        }
        const double half = chord / 2;
        double h2 = r * r - half * half;
        if (std::fabs(r) < half - tolerance)
            rejected = true;
        const double h = h2 > 0 ? std::sqrt(h2) : 0;
        // Counter-clockwise with a positive R: the centre is left of the chord.
        const double side = (clockwise ? -1.0 : 1.0) * (r < 0 ? -1.0 : 1.0);
        ca = sa + da / 2 - side * h * db / chord;
        cb = sb + db / 2 + side * h * da / chord;
    } else {
        const bool hasA = block.hasWord(centreLetters[axes.a]);
        const bool hasB = block.hasWord(centreLetters[axes.b]);
        if (!hasA && !hasB) {
            problem(ToolpathProblem::ArcNoCentre, QString());
            straight(ToolpathSegment::Feed, to, knownAfter, ToolpathSegment::Rejected);
            return;
        }
        const double wa = hasA ? block.word(centreLetters[axes.a]) * factor() : 0;
        const double wb = hasB ? block.word(centreLetters[axes.b]) * factor() : 0;
        if (m_arcAbsolute) {
            ca = hasA ? wa : sa;
            cb = hasB ? wb : sb;
        } else {
            ca = sa + wa;
            cb = sb + wb;
        }
        fullCircle = std::fabs(ea - sa) < Epsilon && std::fabs(eb - sb) < Epsilon;
    }

    const double r1 = std::hypot(sa - ca, sb - cb);
    const double r2 = std::hypot(ea - ca, eb - cb);
    if (std::fabs(r1 - r2) > tolerance)
        rejected = true;
    double sweep;
    if (fullCircle) {
        sweep = clockwise ? -2 * Pi : 2 * Pi;
    } else {
        sweep = std::atan2(eb - cb, ea - ca) - std::atan2(sb - cb, sa - ca);
        if (clockwise) {
            while (sweep >= 0)
                sweep -= 2 * Pi;
        } else {
            while (sweep <= 0)
                sweep += 2 * Pi;
        }
    }

    const int arcIndex = int(m_path.arcs.size());
    m_path.arcs.push_back({float(ca), float(cb), float(sweep), m_plane});
    const bool planeKnown = (m_known & (1 << axes.a)) && (m_known & (1 << axes.b));
    const double normalDelta = to[axes.normal] - m_pos[axes.normal];
    if (rejected) {
        problem(ToolpathProblem::ArcRadiusMismatch);
        if (m_path.rejectedArcLines.size() < 5000)
            m_path.rejectedArcLines.push_back(m_line);
    }
    // The arc's extreme points where it crosses the axes through its centre.
    if (planeKnown) {
        const double startAngle = std::atan2(sb - cb, sa - ca);
        for (int quarter = -8; quarter <= 8; ++quarter) {
            const double angle = quarter * Pi / 2;
            const double t = (angle - startAngle) / sweep;
            if (t <= 0 || t >= 1)
                continue;
            const double r = r1 + (r2 - r1) * t;
            m_path.extents.include(axes.a, ca + r * std::cos(angle));
            m_path.extents.include(axes.b, cb + r * std::sin(angle));
        }
    }
    const size_t index = m_path.segments.size();
    addSegment(ToolpathSegment::Arc, to, knownAfter, arcIndex, rejected ? ToolpathSegment::Rejected : 0);
    if (clockwise)
        ++m_path.clockwiseArcs;
    else
        ++m_path.counterClockwiseArcs;
    if (std::fabs(normalDelta) > Epsilon)
        ++m_path.helicalArcs;
    if (m_path.segments[index].flags & ToolpathSegment::AssumedStart)
        return;
    const double length = std::hypot((r1 + r2) / 2 * std::fabs(sweep), normalDelta);
    m_path.feedLength += length;
    timeFeed(length);
}

void Interpreter::marker(ToolpathMarker::Kind kind, const double at[3])
{
    ToolpathMarker m;
    std::memcpy(m.position, at, sizeof m.position);
    m.line = m_line;
    m.kind = kind;
    m_path.markers.push_back(m);
}

// One hole (or L of them): to the hole over the current level, down to R,
// cutting to Z, back to the initial level (G98) or to R (G99).
void Interpreter::drill(const Block &block, const double to[3], int knownAfter)
{
    const double f = factor();
    if (block.hasWord('R')) {
        const double r = block.word('R') * f;
        m_cycleR = m_absolute ? r : m_initialZ + r;
    }
    if (block.hasWord('Z')) {
        const double z = block.word('Z') * f;
        m_cycleZ = m_absolute ? z : m_cycleR + z;
    }
    const int repeats = block.hasWord('L') ? int(block.word('L')) : 1;
    double hole[3] = {to[0], to[1], m_pos[2]};
    const double step[2] = {to[0] - m_pos[0], to[1] - m_pos[1]};
    // The cycle positions the depth axis itself.
    const int known = knownAfter | (m_known & 4);
    for (int i = 0; i < repeats && i < 10000; ++i) {
        if (i > 0 && !m_absolute) {
            hole[0] += step[0];
            hole[1] += step[1];
        }
        hole[2] = m_pos[2];
        if (hole[0] != m_pos[0] || hole[1] != m_pos[1])
            straight(ToolpathSegment::Rapid, hole, known, ToolpathSegment::Cycle);
        if (m_pos[2] != m_cycleR) {
            hole[2] = m_cycleR;
            straight(ToolpathSegment::Rapid, hole, known | 4, ToolpathSegment::Cycle);
        }
        hole[2] = m_cycleZ;
        straight(ToolpathSegment::Feed, hole, known | 4, ToolpathSegment::Cycle);
        marker(ToolpathMarker::Hole, hole);
        ++m_path.holes;
        // Boring and tapping cycles leave at the feed.
        const bool feedOut = m_motion == 840 || m_motion == 740 || m_motion == 850 || m_motion == 890;
        hole[2] = m_cycleR;
        straight(feedOut ? ToolpathSegment::Feed : ToolpathSegment::Rapid, hole, known | 4, ToolpathSegment::Cycle);
        if (m_returnToInitial && m_initialZ != m_cycleR) {
            hole[2] = m_initialZ;
            straight(ToolpathSegment::Rapid, hole, known | 4, ToolpathSegment::Cycle);
        }
    }
    if (block.hasWord('L') && repeats <= 0) {
        hole[2] = m_pos[2];
        straight(ToolpathSegment::Rapid, hole, knownAfter, ToolpathSegment::Cycle);
    }
}

bool Interpreter::line(const char *begin, const char *end, int lineNumber)
{
    m_line = lineNumber;
    Block block;
    readBlock(begin, end, block);
    if (block.macroVariable)
        problem(ToolpathProblem::MacroVariable);
    if (block.macroStatement) {
        problem(ToolpathProblem::MacroStatement);
        return true;
    }

    for (int i = 0; i < block.mCount; ++i) {
        const int m = block.mCodes[i];
        if (m == 98 || m == 99)
            problem(ToolpathProblem::SubprogramCall, QStringLiteral("M%1").arg(m));
        if (m == 6) {
            m_sawToolChangeCode = true;
            marker(ToolpathMarker::ToolChange, m_pos);
            ++m_path.toolChanges;
        }
    }
    if (block.hasWord('T') && !block.hasM(6) && !m_sawToolChangeCode) {
        marker(ToolpathMarker::ToolChange, m_pos);
        ++m_path.toolChanges;
    }

    // Modal codes first, so that units and modes apply to the words of the block.
    bool axisWordsTaken = false;
    int nonModal = 0;
    for (int i = 0; i < block.gCount; ++i) {
        const int g = block.gCodes[i];
        switch (g) {
        case 0: case 10: case 20: case 30:
            m_motion = g / 10;
            m_cycleActive = false;
            break;
        case 730: case 740: case 760: case 810: case 820: case 830: case 840: case 850: case 860: case 870:
        case 880: case 890:
            if ((g == 760) && m_plane == Plane::ZX) {
                problem(ToolpathProblem::LatheCycle, QStringLiteral("G76"));
                axisWordsTaken = true;
                break;
            }
            if (!m_cycleActive)
                m_initialZ = m_pos[2];
            m_cycleActive = true;
            m_motion = g;
            break;
        case 800:
            m_motion = -1;
            m_cycleActive = false;
            break;
        case 170: m_plane = Plane::XY; break;
        case 180: m_plane = Plane::ZX; break;
        case 190: m_plane = Plane::YZ; break;
        case 200: case 210:
            m_inchesNow = g == 200;
            if (!m_unitDecided)
                m_path.inches = m_inchesNow;
            m_unitDecided = true;
            break;
        case 900: m_absolute = true; break;
        case 910: m_absolute = false; break;
        case 901: m_arcAbsolute = true; break;
        case 911: m_arcAbsolute = false; break;
        case 930: case 940: case 950:
            m_feedMode = g / 10;
            if (g == 930)
                problem(ToolpathProblem::InverseTime, QStringLiteral("G93"));
            if (g == 950)
                problem(ToolpathProblem::FeedPerRevolution, QStringLiteral("G95"));
            break;
        case 980: m_returnToInitial = true; break;
        case 990: m_returnToInitial = false; break;
        case 70: m_xDiameter = true; break;
        case 80: m_xDiameter = false; break;
        case 40: case 100: case 920: case 921: case 922: case 923:
            // Dwell, data setting, position offsets: their words are not positions.
            axisWordsTaken = true;
            if (g != 40)
                problem(ToolpathProblem::CoordinateOffset, QStringLiteral("G%1").arg(g % 10 ? QString::number(g / 10.0) : QString::number(g / 10)));
            break;
        case 280: case 300: case 530:
            nonModal = g;
            break;
        case 410: case 420: case 411: case 421:
            problem(ToolpathProblem::CutterCompensation, QStringLiteral("G%1").arg(g / 10));
            break;
        // Their words are a centre, an angle or a factor, not a position.
        case 680:
            problem(ToolpathProblem::Rotation, QStringLiteral("G68"));
            axisWordsTaken = true;
            break;
        case 510:
            problem(ToolpathProblem::Scaling, QStringLiteral("G51"));
            axisWordsTaken = true;
            break;
        case 160: problem(ToolpathProblem::PolarCoordinates, QStringLiteral("G16")); break;
        case 121: problem(ToolpathProblem::PolarCoordinates, QStringLiteral("G12.1")); break;
        case 1120: problem(ToolpathProblem::PolarCoordinates, QStringLiteral("G112")); break;
        case 71: problem(ToolpathProblem::Cylindrical, QStringLiteral("G7.1")); break;
        case 1070: problem(ToolpathProblem::Cylindrical, QStringLiteral("G107")); break;
        case 650: case 660:
            problem(ToolpathProblem::SubprogramCall, QStringLiteral("G%1").arg(g / 10));
            axisWordsTaken = true;
            break;
        case 50: case 51: case 52:
            problem(ToolpathProblem::Spline, g == 50 ? QStringLiteral("G5") : QStringLiteral("G5.%1").arg(g % 10));
            axisWordsTaken = true;
            break;
        case 700: case 710: case 720:
            // Lathe roughing cycles; elsewhere G70/G71 are inch and metric in some dialects.
            if (m_plane == Plane::ZX) {
                problem(ToolpathProblem::LatheCycle, QStringLiteral("G%1").arg(g / 10));
                axisWordsTaken = true;
            } else {
                problem(ToolpathProblem::UnknownCode, QStringLiteral("G%1").arg(g / 10));
            }
            break;
        // Modes without an effect on the path.
        case 150: case 400: case 430: case 431: case 490: case 500: case 540: case 550: case 560: case 570:
        case 580: case 590: case 591: case 592: case 593: case 610: case 611: case 640: case 690: case 960:
        case 970: case 330: case 320: case 331: case 761:
            break;
        default:
            problem(ToolpathProblem::UnknownCode,
                    QStringLiteral("G%1").arg(g % 10 ? QString::number(g / 10.0) : QString::number(g / 10)));
            break;
        }
    }

    if (block.hasWord('F')) {
        m_feed = block.word('F');
        m_feedInches = m_inchesNow;
    }
    if (block.hasWord('S'))
        m_spindle = block.word('S');

    const bool hasAxis = block.hasWord('X') || block.hasWord('Y') || block.hasWord('Z');
    if (nonModal == 530) {
        problem(ToolpathProblem::MachineMove, QStringLiteral("G53"));
        marker(ToolpathMarker::MachineCoordinates, m_pos);
    } else if (nonModal == 280 || nonModal == 300) {
        problem(ToolpathProblem::ReferenceMove, nonModal == 280 ? QStringLiteral("G28") : QStringLiteral("G30"));
        if (hasAxis) {
            double to[3];
            int knownAfter;
            target(block, m_absolute, to, knownAfter);
            straight(ToolpathSegment::Rapid, to, knownAfter);
        }
        marker(ToolpathMarker::ReferenceReturn, m_pos);
        ++m_path.referenceReturns;
    } else if (!axisWordsTaken) {
        const bool cycleBlock = m_cycleActive && (m_motion >= 730 && m_motion <= 890);
        const bool startsCycle = cycleBlock && [&] {
            for (int i = 0; i < block.gCount; ++i)
                if (block.gCodes[i] >= 730 && block.gCodes[i] <= 890)
                    return true;
            return false;
        }();
        const bool arcWords = block.hasWord('I') || block.hasWord('J') || block.hasWord('K') || block.hasWord('R');
        if (cycleBlock && (hasAxis || block.hasWord('R') || startsCycle)) {
            double to[3];
            int knownAfter;
            target(block, m_absolute, to, knownAfter);
            drill(block, to, knownAfter);
        } else if (hasAxis || ((m_motion == 2 || m_motion == 3) && arcWords)) {
            double to[3];
            int knownAfter;
            target(block, m_absolute, to, knownAfter);
            switch (m_motion) {
            case 0: straight(ToolpathSegment::Rapid, to, knownAfter); break;
            case 1: straight(ToolpathSegment::Feed, to, knownAfter); break;
            case 2: case 3: arc(block, m_motion == 2, to, knownAfter); break;
            default:
                // Positions after G80 without a motion code: the control moves at rapid.
                straight(ToolpathSegment::Rapid, to, knownAfter);
                break;
            }
        }
    }

    if (block.hasM(2) || block.hasM(30)) {
        m_path.programEndLine = lineNumber;
        return false;
    }
    return true;
}

} // namespace

Toolpath interpretToolpath(const QByteArray &text, const ToolpathOptions &options, const std::atomic<bool> *cancel)
{
    Toolpath path;
    const char *p = text.constData();
    const char *const end = p + text.size();
    // Room for about one segment a line, so that the table is not grown by doubling.
    {
        size_t lines = 1;
        for (const char *q = p; (q = static_cast<const char *>(std::memchr(q, '\n', size_t(end - q)))); ++q)
            ++lines;
        path.segments.reserve(lines + 16);
    }
    Interpreter interpreter(options, path);
    // CR LF, LF and a lone CR each end a line.
    const auto nextLine = [end](const char *from, const char *&lineEnd) {
        lineEnd = from;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        const char *next = lineEnd;
        if (next < end && *next == '\r')
            ++next;
        if (next < end && *next == '\n' && (next == lineEnd || next[-1] == '\r'))
            ++next;
        return next;
    };
    int lineNumber = 0;
    bool reading = true;
    while (p < end || lineNumber == 0) {
        ++lineNumber;
        const char *lineEnd;
        const char *next = nextLine(p, lineEnd);
        if (reading) {
            try {
                reading = interpreter.line(p, lineEnd, lineNumber);
            } catch (const StopError &error) {
                path.stopLine = lineNumber;
                path.stopReason = error.reason;
                reading = false;
            }
        }
        p = next;
        if (cancel && (lineNumber & 4095) == 0 && cancel->load(std::memory_order_relaxed)) {
            path.cancelled = true;
            break;
        }
    }
    path.lineCount = lineNumber;
    if (!path.segments.empty() && path.segments.capacity() > path.segments.size() + path.segments.size() / 4)
        path.segments.shrink_to_fit();
    return path;
}
