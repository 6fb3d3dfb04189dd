// zavrin-cnc: the program tools of the editor, for scripts and batch work.
#include "CommandLine.h"
#include "DocumentLines.h"
#include "OutputSink.h"
#include "ProgramInput.h"
#ifdef Q_OS_UNIX
#include "StreamedLines.h"
#endif
#include "JournalCommand.h"
#include "StatsCommand.h"

#include "editor/GCodeScanner.h"
#include "editor/ProgramFile.h"
#include "lang/Texts.h"
#include "platform/SystemFormats.h"
#include "tools/LineTool.h"
#include "tools/ToolLines.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

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

void writeStandardOutput(const QByteArray &bytes)
{
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
        || std::fflush(stdout) != 0)
        throw Error(QStringLiteral("cannot write standard output: %1").arg(qt_error_string(errno)));
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

void refuseBinary(const CommandLine &command, QByteArrayView head)
{
    if (!command.binaryOk && ProgramInput::looksBinary(head))
        throw Error(QStringLiteral("%1 looks like a binary file, not a program (NUL bytes and control characters in "
                                   "its first %2 bytes); nothing was written. Give --binary-ok to work on it anyway")
                        .arg(ProgramInput::displayName(command.inputFile),
                             QString::number(ProgramInput::BinaryCheckBytes)));
}

#ifdef Q_OS_UNIX
// A UTF-8 file, worked on in blocks: memory stays the same whatever its size.
int runStreamed(const CommandLine &command, ProgramInput::InputFile &input, const ProgramInput::Survey &survey)
{
    std::unique_ptr<OutputSink> sink;
    if (command.inPlace)
        sink = std::make_unique<FileSink>(command.inputFile);
    else if (!command.outputFile.isEmpty())
        sink = std::make_unique<FileSink>(command.outputFile);
    else
        sink = std::make_unique<StandardOutputSink>();
    StreamedLines lines(input, survey.size, int(survey.lines), survey.byteOrderMark ? 3 : 0, *sink);
    if (!apply(command, lines))
        return 1;
    lines.finish();
    sink->commit();
    return 0;
}
#endif

int run(const CommandLine &command)
{
    if (command.systemDecimal)
        SystemFormats::setDecimalSeparator(*command.systemDecimal);

    if (command.inPlace && !ProgramInput::isRegularFile(command.inputFile) && QFileInfo::exists(command.inputFile))
        throw Error(QStringLiteral("cannot replace %1: --in-place needs a regular file").arg(command.inputFile));
    QByteArray bytes;
#ifdef Q_OS_UNIX
    {
        ProgramInput::InputFile input(command.inputFile);
        if (input.isRegular()) {
            const ProgramInput::Survey survey = input.survey();
            if (survey.utf8 && survey.lines <= std::numeric_limits<int>::max()) {
                refuseBinary(command, survey.head);
                return runStreamed(command, input, survey);
            }
        }
        bytes = input.readAll();
    }
#else
    bytes = ProgramInput::readAll(command.inputFile);
#endif
    refuseBinary(command, bytes);

    QByteArray result;
#ifdef Q_OS_WIN
    const bool eightBit = false; // the system's code page: decoded as a whole
#else
    // What decodeProgramDocument reads as UTF-16: the mark, and an even length.
    const bool eightBit = !(bytes.size() >= 2 && bytes.size() % 2 == 0
                            && ((uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE)
                                || (uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF)));
#endif
    if (eightBit) {
        ProgramDocument document = decodeProgramDocument(std::move(bytes));
        // 8-bit files: lines split in the buffer, unchanged lines kept as bytes.
        DocumentLines lines(std::move(document.utf8), document.form.editorLineEnd());
        if (!apply(command, lines))
            return 1;
        // UTF-8 without a mark is the buffer itself; the rest is converted.
        const bool plainUtf8 = document.form.encoding == ProgramEncoding::Utf8 && !document.form.utf8ByteOrderMark;
        result = plainUtf8 ? lines.utf8() : encodeProgramDocument(lines.utf8(), document.form);
    } else {
        ProgramText program = decodeProgramFile(bytes);
        bytes = QByteArray();
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
    // "stats --help" shows the usage; anywhere else -h is a value or a file name.
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("stats")
        && arguments.value(1) != QLatin1String("--help") && arguments.value(1) != QLatin1String("-h")) {
        try {
            return runStatsCommand(arguments.mid(1));
        } catch (const Error &error) {
            printError(error.message());
            return 1;
        }
    }
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("journal")
        && arguments.value(1) != QLatin1String("--help") && arguments.value(1) != QLatin1String("-h")) {
        try {
            return runJournalCommand(arguments.mid(1));
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
    } catch (const std::bad_alloc &) {
        // Everything the run held is released by now; nothing was written.
        printError(QStringLiteral("not enough memory to work on %1; nothing was written")
                       .arg(ProgramInput::displayName(command.inputFile)));
        return 1;
    }
}
