#include "StatsCommand.h"

#include "editor/ProgramFile.h"
#include "platform/Error.h"
#include "view/ToolpathInterpreter.h"
#include "view/ToolpathReport.h"

#include "SubcommandOutput.h"

#include <cstdio>

namespace {

using SubcommandOutput::usage;
using SubcommandOutput::write;

} // namespace

int runStatsCommand(const QStringList &arguments)
{
    ToolpathOptions options;
    options.syntax = NumberSyntax::current();
    bool json = false;
    QString file;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        const auto value = [&]() -> QString {
            if (i + 1 >= arguments.size())
                throw Error(QStringLiteral("%1 needs a value").arg(a));
            return arguments[++i];
        };
        try {
            if (a == QLatin1String("--json")) {
                json = true;
            } else if (a == QLatin1String("--diameter")) {
                options.xIsDiameter = true;
            } else if (a == QLatin1String("--ij")) {
                const QString v = value();
                if (v != QLatin1String("abs") && v != QLatin1String("inc"))
                    return usage(QStringLiteral("--ij takes abs or inc, not \"%1\"").arg(v));
                options.absoluteArcCentres = v == QLatin1String("abs");
            } else if (a == QLatin1String("--rapid")) {
                const QString v = value();
                bool ok = false;
                options.rapidRate = v.toDouble(&ok);
                if (!ok || !(options.rapidRate > 0))
                    return usage(QStringLiteral("--rapid takes a rate above 0 in mm/min, not \"%1\"").arg(v));
            } else if (a.startsWith(QLatin1String("--"))) {
                return usage(QStringLiteral("stats has no option %1").arg(a));
            } else if (file.isEmpty()) {
                file = a;
            } else {
                return usage(QStringLiteral("stats takes one file, not also \"%1\"").arg(a));
            }
        } catch (const Error &error) {
            return usage(error.message());
        }
    }
    if (file.isEmpty())
        return usage(QStringLiteral("stats needs a FILE"));

    const Toolpath path = interpretToolpath(readProgramDocument(file).utf8, options);
    write(stdout, json ? toolpathReportJson(path) : toolpathReportText(path).toUtf8());
    if (path.stopLine) {
        write(stderr, QStringLiteral("zavrin-cnc: %1: the path cannot be followed from %2\n")
                          .arg(file, toolpathStopText(path))
                          .toLocal8Bit());
        return 1;
    }
    return 0;
}
