#pragma once

#include "Toolpath.h"

#include <QByteArray>
#include <QString>

// A path's figures for people and scripts: extents, lengths, the time
// estimate, counts of moves by kind, and the problems.

// One "key: value" a line, in English.
QString toolpathReportText(const Toolpath &path);
// The same figures as a JSON object.
QByteArray toolpathReportJson(const Toolpath &path);
// "line 12: the value of X is a variable (...)", empty when the path can be followed.
QString toolpathStopText(const Toolpath &path);
// The estimate in minutes: feed moves at their F, rapids at the rapid rate.
inline double estimatedMinutes(const Toolpath &path) { return path.feedMinutes + path.rapidMinutes; }
