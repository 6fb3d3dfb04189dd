#include "CommandLine.h"

#include "tools/ArcCentreTool.h"
#include "tools/MirrorTool.h"
#include "tools/RenumberTool.h"
#include "tools/SpacesTool.h"
#include "tools/StartEndTool.h"
#include "tools/ToolTexts.h"
#include "tools/TranslateTool.h"

#include <QHash>
#include <QSet>

namespace {

// The limits of the tool windows' spin boxes.
constexpr int MaxLine = 100000000;
constexpr int MaxBlockNumber = 100000000;

QString text(const char *s) { return QString::fromUtf8(s); }

// Options of one tool: flags, and options that take a value.
struct ToolSyntax
{
    QStringList flags;
    QStringList valued;
};

const QHash<QString, ToolSyntax> &toolSyntaxes()
{
    static const QHash<QString, ToolSyntax> syntaxes{
        {text("spaces"), {{text("--add"), text("--remove")}, {}}},
        {text("renumber"), {{text("--renumber")}, {text("--digits"), text("--start"), text("--increment")}}},
        {text("ij"), {{text("--plus")}, {text("--mode")}}},
        {text("translate"), {{text("--plus")}, {text("--x"), text("--y"), text("--z")}}},
        {text("mirror"),
         {{text("--x"), text("--y"), text("--swap-g02"), text("--swap-g03"), text("--swap-g41"), text("--swap-g42"),
           text("--plus")},
          {}}},
        {text("addchar"), {{text("--start"), text("--end")}, {text("--text")}}},
        {text("tokens"), {{}, {}}},
    };
    return syntaxes;
}

int integerValue(const QString &option, const QString &value, int minimum, int maximum)
{
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (!ok || n < minimum || n > maximum)
        throw UsageError(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                             .arg(option, QString::number(minimum), QString::number(maximum), ToolTexts::shortened(value)));
    return int(n);
}

ToolRange parseRange(const QString &value)
{
    const QStringList parts = value.split(QLatin1Char(':'));
    if (parts.size() != 2)
        throw UsageError(QStringLiteral("--lines takes FIRST:LAST, not \"%1\"").arg(ToolTexts::shortened(value)));
    ToolRange range;
    range.wholeFile = false;
    range.firstLine = integerValue(QStringLiteral("--lines FIRST"), parts[0], 1, MaxLine);
    range.lastLine = integerValue(QStringLiteral("--lines LAST"), parts[1], 1, MaxLine);
    return range;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine command;
    // Help counts only where an option may stand: an option's value and what
    // follows "--" are taken as they are.
    const auto isHelp = [](const QString &argument) {
        return argument == QLatin1String("--help") || argument == QLatin1String("-h");
    };
    if (!arguments.isEmpty() && isHelp(arguments.first())) {
        command.help = true;
        return command;
    }
    if (arguments.isEmpty())
        throw UsageError(QStringLiteral("no tool given"));
    command.toolName = arguments.first();
    const auto found = toolSyntaxes().constFind(command.toolName);
    if (found == toolSyntaxes().constEnd())
        throw UsageError(QStringLiteral("unknown tool \"%1\"").arg(ToolTexts::shortened(command.toolName)));
    const ToolSyntax &syntax = *found;

    QSet<QString> flags;
    QHash<QString, QString> values;
    bool rangeGiven = false;
    bool outputGiven = false;
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        const bool isOption = !optionsEnded && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-");
        if (!isOption) {
            if (!command.inputFile.isEmpty() || argument.isEmpty())
                throw UsageError(QStringLiteral("unexpected argument \"%1\"").arg(ToolTexts::shortened(argument)));
            command.inputFile = argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (isHelp(argument)) {
            command.help = true;
            return command;
        }
        std::optional<QString> inlineValue;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (argument.startsWith(QLatin1String("--")) && equals > 0) {
            inlineValue = argument.mid(equals + 1);
            argument.truncate(equals);
        }
        const bool takesValue = syntax.valued.contains(argument) || argument == QLatin1String("--lines")
                                || argument == QLatin1String("--system-decimal") || argument == QLatin1String("-o");
        const bool isFlag = syntax.flags.contains(argument) || argument == QLatin1String("--in-place")
                            || argument == QLatin1String("--binary-ok");
        if (!takesValue && !isFlag)
            throw UsageError(QStringLiteral("unknown option \"%1\" for %2").arg(ToolTexts::shortened(argument), command.toolName));
        if (isFlag) {
            if (inlineValue)
                throw UsageError(QStringLiteral("%1 takes no value").arg(ToolTexts::shortened(argument)));
            flags.insert(argument);
            continue;
        }
        // The value is the next argument as it is, so that "--x -5" works.
        QString value;
        if (inlineValue) {
            value = *inlineValue;
        } else {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value").arg(argument));
            value = arguments[++i];
        }
        if (argument == QLatin1String("--lines")) {
            if (rangeGiven)
                throw UsageError(QStringLiteral("--lines is given twice"));
            command.range = parseRange(value);
            rangeGiven = true;
        } else if (argument == QLatin1String("--system-decimal")) {
            if (value != QLatin1String(".") && value != QLatin1String(","))
                throw UsageError(QStringLiteral("--system-decimal is \".\" or \",\", not \"%1\"").arg(ToolTexts::shortened(value)));
            command.systemDecimal = value.at(0);
        } else if (argument == QLatin1String("-o")) {
            if (outputGiven || value.isEmpty())
                throw UsageError(QStringLiteral("-o needs one output file"));
            command.outputFile = value;
            outputGiven = true;
        } else {
            if (values.contains(argument))
                throw UsageError(QStringLiteral("%1 is given twice").arg(argument));
            values.insert(argument, value);
        }
    }
    command.inPlace = flags.contains(QStringLiteral("--in-place"));
    command.binaryOk = flags.contains(QStringLiteral("--binary-ok"));
    if (command.inPlace && outputGiven)
        throw UsageError(QStringLiteral("-o and --in-place exclude each other"));
    if (command.inPlace && (command.inputFile.isEmpty() || command.inputFile == QLatin1String("-")))
        throw UsageError(QStringLiteral("--in-place needs a FILE"));
    if (command.inputFile == QLatin1String("-"))
        command.inputFile.clear();

    const QString &tool = command.toolName;
    const auto has = [&](const char *flag) { return flags.contains(QLatin1String(flag)); };
    if (tool == QLatin1String("tokens")) {
        if (rangeGiven)
            throw UsageError(QStringLiteral("tokens lists every line; --lines does not apply"));
        return command;
    }
    if (tool == QLatin1String("spaces")) {
        if (has("--add") == has("--remove"))
            throw UsageError(QStringLiteral("spaces needs one of --add and --remove"));
        const auto mode = has("--add") ? SpacesTool::Mode::Add : SpacesTool::Mode::Remove;
        command.makeTool = [mode](const NumberSyntax &) { return std::make_unique<SpacesTool>(mode); };
    } else if (tool == QLatin1String("renumber")) {
        RenumberTool::Options options;
        if (values.contains(QStringLiteral("--digits"))) {
            options.digitsOn = true;
            options.digits = integerValue(QStringLiteral("--digits"), values.value(QStringLiteral("--digits")), 1,
                                          MaxBlockDigits);
        }
        options.renumber = has("--renumber");
        if (values.contains(QStringLiteral("--start")))
            options.start = integerValue(QStringLiteral("--start"), values.value(QStringLiteral("--start")), 0,
                                         MaxBlockNumber);
        if (values.contains(QStringLiteral("--increment")))
            options.increment = integerValue(QStringLiteral("--increment"),
                                             values.value(QStringLiteral("--increment")), 1, MaxBlockNumber);
        command.makeTool = [options](const NumberSyntax &) { return std::make_unique<RenumberTool>(options); };
    } else if (tool == QLatin1String("ij")) {
        static const QHash<QString, ArcCentreTool::Mode> modes{
            {QStringLiteral("abs-start"), ArcCentreTool::Mode::AbsoluteStart},
            {QStringLiteral("inc-start"), ArcCentreTool::Mode::IncrementalStart},
            {QStringLiteral("abs-end"), ArcCentreTool::Mode::AbsoluteEnd},
            {QStringLiteral("inc-end"), ArcCentreTool::Mode::IncrementalEnd}};
        const QString name = values.value(QStringLiteral("--mode"));
        if (!modes.contains(name))
            throw UsageError(QStringLiteral("ij needs --mode abs-start, inc-start, abs-end or inc-end"));
        const ArcCentreTool::Mode mode = modes.value(name);
        const bool plus = has("--plus");
        command.makeTool = [mode, plus](const NumberSyntax &s) { return std::make_unique<ArcCentreTool>(mode, plus, s); };
    } else if (tool == QLatin1String("translate")) {
        const auto axis = [&](const char *option) {
            TranslateTool::Axis a;
            a.on = values.contains(QLatin1String(option));
            a.increment = values.value(QLatin1String(option));
            return a;
        };
        const TranslateTool::Axis x = axis("--x"), y = axis("--y"), z = axis("--z");
        const bool plus = has("--plus");
        command.makeTool = [x, y, z, plus](const NumberSyntax &s) {
            return std::make_unique<TranslateTool>(x, y, z, plus, s);
        };
    } else if (tool == QLatin1String("mirror")) {
        MirrorTool::Options o;
        o.x = has("--x");
        o.y = has("--y");
        o.g02 = has("--swap-g02");
        o.g03 = has("--swap-g03");
        o.g41 = has("--swap-g41");
        o.g42 = has("--swap-g42");
        o.plus = has("--plus");
        command.makeTool = [o](const NumberSyntax &s) { return std::make_unique<MirrorTool>(o, s); };
    } else if (tool == QLatin1String("addchar")) {
        if (!values.contains(QStringLiteral("--text")))
            throw UsageError(QStringLiteral("addchar needs --text"));
        if (has("--start") == has("--end"))
            throw UsageError(QStringLiteral("addchar needs one of --start and --end"));
        const auto position = has("--start") ? StartEndTool::Position::Start : StartEndTool::Position::End;
        const QString added = values.value(QStringLiteral("--text"));
        command.makeTool = [position, added](const NumberSyntax &) {
            return std::make_unique<StartEndTool>(position, added);
        };
    }
    return command;
}
