#pragma once

#include <QByteArray>

// Whether a program's text ends as a complete program: an end-of-program word (M30, M02,
// M2, M99) or a closing "%" in one of its last non-blank lines. A reception that ended by
// silence without one may have been cut off.
namespace ProgramEnd {

// How many of the last non-blank lines are looked at: controls send a few blocks after
// the end word (a closing "%", a sequence number, tape trailer).
constexpr int LinesLookedAt = 3;

bool hasEndMark(const QByteArray &text);

} // namespace ProgramEnd
