// zavrin-cnc: the program tools of the editor, for scripts and batch work.
#include "CommandLine.h"
#include "DocumentLines.h"
#include "StatsCommand.h"

#include "editor/GCodeScanner.h"
#include "editor/ProgramFile.h"
#include "lang/Texts.h"
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

// Applies the command to the lines; false after a line the tool could not
// transform (the message is printed).
bool apply(const CommandLine &command, ToolLines &lines)
{
    if (command.listsTokens()) {
        for (int i = 0; i < lines.count(); ++i)
            lines.replaceLine(i, formatGCodeTokens(scanGCodeLine(lines.line(i))));
        return true;
    }
    const std::unique_ptr<LineTool> tool = command.makeTool(NumberSyntax::current());
    try {
        FUNC_Aplicar_Ferramenta(lines, *tool, command.range);
    } catch (const ToolLineError &error) {
        printError(error.message());
        return false;
    }
    return true;
}

int run(const CommandLine &command)
{
    if (command.systemDecimal)
        SystemFormats::setDecimalSeparator(*command.systemDecimal);

    const QByteArray bytes = command.inputFile.isEmpty() ? readStandardInput() : readFileBytes(command.inputFile);
    QByteArray result;
    ProgramDocument document = decodeProgramDocument(bytes);
    if (document.form.encoding == ProgramEncoding::Utf8 || document.form.encoding == ProgramEncoding::Latin1) {
        // 8-bit files: lines split in the buffer, unchanged lines kept as bytes.
        DocumentLines lines(std::move(document.utf8), document.form.editorLineEnd());
        if (!apply(command, lines))
            return 1;
        // UTF-8 without a mark is the buffer itself; the rest is converted.
        const bool plainUtf8 = document.form.encoding == ProgramEncoding::Utf8 && !document.form.utf8ByteOrderMark;
        result = plainUtf8 ? lines.utf8() : encodeProgramDocument(lines.utf8(), document.form);
    } else {
        ProgramText program = decodeProgramFile(bytes);
        StringListLines lines(std::move(program.lines));
        if (!apply(command, lines))
            return 1;
        program.lines = lines.takeLines();
        result = encodeProgramFile(program);
    }

    if (command.inPlace)
        writeFileBytes(command.inputFile, result);
    else if (!command.outputFile.isEmpty())
        writeFileBytes(command.outputFile, result);
    else
        writeStandardOutput(result);
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
    Texts::FUNC_Textos_EN(); // messages in English
    const QStringList arguments = application.arguments().mid(1);
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("stats") && !arguments.contains(QLatin1String("--help"))
        && !arguments.contains(QLatin1String("-h"))) {
        try {
            return runStatsCommand(arguments.mid(1));
        } catch (const Error &error) {
            printError(error.message());
            return 1;
        }
    }
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
