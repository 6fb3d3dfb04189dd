#pragma once

#include "platform/Error.h"
#include "tools/NumberText.h"
#include "tools/ToolRun.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class LineTool;

// A command line that cannot be carried out as written (exit code 2).
class UsageError : public Error
{
public:
    using Error::Error;
};

// What zavrin-cnc was asked to do:
//   zavrin-cnc TOOL [tool options] [--lines FIRST:LAST] [--system-decimal SEP]
//              [-o OUT | --in-place] [--binary-ok] [FILE]
struct CommandLine
{
    bool help = false;
    QString toolName;         // spaces, renumber, ij, translate, mirror, addchar, tokens
    ToolRange range;
    std::optional<QChar> systemDecimal;
    QString inputFile;        // empty: standard input
    QString outputFile;       // empty: standard output (or the input with --in-place)
    bool inPlace = false;
    bool binaryOk = false;    // work on a file that looks binary

    bool listsTokens() const { return toolName == QLatin1String("tokens"); }
    // Builds the tool for the given number syntax (not for "tokens").
    std::function<std::unique_ptr<LineTool>(const NumberSyntax &)> makeTool;
};

// The arguments after the program name. Throws UsageError.
CommandLine parseCommandLine(const QStringList &arguments);

// The text of --help.
QString commandLineHelp();
