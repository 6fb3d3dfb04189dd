// zavrin-cnc: the program tools of the editor, for scripts and batch work.
#include "CommandLine.h"

#include "editor/GCodeScanner.h"
#include "editor/ProgramFile.h"
#include "platform/SystemFormats.h"
#include "tools/LineTool.h"
#include "tools/ToolLines.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

void printError(const QString &message)
{
    const QByteArray text = QStringLiteral("zavrin-cnc: %1\n").arg(message).toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
}

QByteArray readStandardInput()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot read standard input: %1").arg(in.errorString()));
    return in.readAll();
}

void writeStandardOutput(const QByteArray &bytes)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || std::fflush(stdout) != 0)
        throw Error(QStringLiteral("cannot write standard output"));
}

QStringList tokenLines(const QStringList &lines)
{
    QStringList result;
    result.reserve(lines.size());
    for (const QString &line : lines)
        result << formatGCodeTokens(scanGCodeLine(line));
    return result;
}

int run(const CommandLine &command)
{
    if (command.systemDecimal)
        SystemFormats::setDecimalSeparator(*command.systemDecimal);

    ProgramText program = command.inputFile.isEmpty() ? decodeProgramFile(readStandardInput())
                                                      : readProgramFile(command.inputFile);
    if (command.listsTokens()) {
        program.lines = tokenLines(program.lines);
    } else {
        const std::unique_ptr<LineTool> tool = command.makeTool(NumberSyntax::current());
        StringListLines lines(std::move(program.lines));
        try {
            FUNC_Aplicar_Ferramenta(lines, *tool, command.range);
        } catch (const ToolLineError &error) {
            printError(error.message());
            return 1;
        }
        program.lines = lines.takeLines();
    }

    if (command.inPlace)
        writeProgramFile(command.inputFile, program);
    else if (!command.outputFile.isEmpty())
        writeProgramFile(command.outputFile, program);
    else
        writeStandardOutput(encodeProgramFile(program));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QCoreApplication application(argc, argv);
    CommandLine command;
    try {
        command = parseCommandLine(application.arguments().mid(1));
    } catch (const UsageError &error) {
        printError(error.message());
        printError(QStringLiteral("try \"zavrin-cnc --help\""));
        return 2;
    }
    if (command.help) {
        writeStandardOutput(commandLineHelp().toUtf8());
        return 0;
    }
    try {
        return run(command);
    } catch (const Error &error) {
        printError(error.message());
        return 1;
    }
}
