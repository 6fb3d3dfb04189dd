#pragma once

#include "Toolpath.h"
#include "tools/NumberText.h"

#include <QByteArray>
#include <atomic>

// How a program is read into its path.
struct ToolpathOptions
{
    // I/J/K are absolute coordinates instead of distances from the arc's
    // start. A G90.1 or G91.1 in the program overrides it from there on.
    bool absoluteArcCentres = false;
    // X words are diameters (lathes); G7 and G8 in the program switch it.
    bool xIsDiameter = false;
    // Rapid rate for the time estimate, in millimetres per minute.
    double rapidRate = 5000;
    // Largest difference between an arc's start and end radius, millimetres.
    double arcTolerance = 0.01;
    // The number syntax the tools use; take it on the thread that owns the settings.
    NumberSyntax syntax;
};

// Reads the program text (UTF-8, any of CR LF, LF or CR between lines) into
// its path. Never throws: a line that cannot be followed ends the path and is
// named in Toolpath::stopLine. With `cancel` set (checked every few thousand
// lines), returns early with Toolpath::cancelled.
Toolpath interpretToolpath(const QByteArray &text, const ToolpathOptions &options,
                           const std::atomic<bool> *cancel = nullptr);
