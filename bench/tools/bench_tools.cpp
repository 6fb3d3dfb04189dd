// The program tools on a 1,000,000-line program.
//   1. zavrin-cnc translate --x 10 and renumber, against the same jobs as gawk
//      scripts (translate.awk, renumber.awk), on the same file in the same run;
//      the outputs are compared too.
//   2. The run loop in the process over 1,000,000 lines held in memory.
//   3. The same runs in the application: the tool windows' Apply over an open
//      editor tab (offscreen), with the progress window, caret and history.
#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/CncEditor.h"
#include "editor/EditorArea.h"
#include "editor/ProgramFile.h"
#include "platform/ScriptedDialogs.h"
#include "tools/RenumberWindow.h"
#include "tools/ToolSpinBox.h"
#include "tools/TranslateWindow.h"
#include "tools/RenumberTool.h"
#include "tools/ToolLines.h"
#include "tools/ToolRun.h"
#include "tools/TranslateTool.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <QFileInfo>
#include <random>
#include <vector>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr int LineCount = 1000000;

QByteArray programLine(int i)
{
    const double x = (i % 2000) * 0.125 - 100.375;
    const double y = (i % 777) * 0.003 - 1.1;
    switch (i % 10) {
    case 0: return QByteArray("N") + QByteArray::number(i) + " G01 X" + QByteArray::number(x, 'f', 3) + " Y"
                   + QByteArray::number(y, 'f', 3) + " F500";
    case 1: return QByteArray("G02 X") + QByteArray::number(x, 'f', 3) + " Y" + QByteArray::number(y, 'f', 3)
                   + " I2.5 J-1.25";
    case 2: return "(FINISH PASS X100)";
    case 3: return QByteArray("G01 Z-1.5 X") + QByteArray::number(x, 'f', 3);
    case 4: return "M03 S1200";
    case 5: return QByteArray("N") + QByteArray::number(i) + " G00 X" + QByteArray::number(x, 'f', 3) + " Y0";
    case 6: return QByteArray("X") + QByteArray::number(x, 'f', 3) + "Y" + QByteArray::number(y, 'f', 3);
    case 7: return "";
    case 8: return QByteArray("G03 X") + QByteArray::number(-x, 'f', 3) + " Y1 R5";
    default: return QByteArray("G01 X") + QByteArray::number(x, 'f', 3) + " (X AT " + QByteArray::number(i) + ")";
    }
}

QByteArray makeProgram()
{
    QByteArray bytes = "%\r\nO1000\r\n";
    bytes.reserve(40 * LineCount);
    for (int i = 2; i < LineCount - 1; ++i)
        bytes += programLine(i) + "\r\n";
    bytes += "M30";
    return bytes;
}

// A program as CAM systems write it: every block numbered, coordinates with four
// decimals anywhere in +-500 ("N1230 G01 X-462.5043 Y-66.3543 Z-46.5072"); every
// tenth block a rapid, every tenth an arc with I, J and F, every tenth a
// comment. The same bytes on every run and every platform (a fixed seed and a
// generator the standard defines exactly).
QByteArray makeCamProgram()
{
    std::mt19937 random(20261210);
    const auto coordinate = [&](QByteArray &out, char letter) {
        const int64_t v = int64_t(random() % 10000000u) - 5000000; // ten-thousandths
        const int64_t a = v < 0 ? -v : v;
        char text[24];
        const int n = std::snprintf(text, sizeof text, " %c%s%lld.%04lld", letter, v < 0 ? "-" : "",
                                    (long long)(a / 10000), (long long)(a % 10000));
        out.append(text, n);
    };
    QByteArray bytes = "%\r\nO2000\r\n";
    bytes.reserve(43 * LineCount);
    for (int i = 2; i < LineCount - 1; ++i) {
        const QByteArray number = "N" + QByteArray::number(i * 10);
        switch (i % 10) {
        case 3:
            bytes += number + " G00";
            coordinate(bytes, 'X');
            coordinate(bytes, 'Y');
            coordinate(bytes, 'Z');
            break;
        case 6:
            bytes += number + " G02";
            coordinate(bytes, 'X');
            coordinate(bytes, 'Y');
            coordinate(bytes, 'I');
            coordinate(bytes, 'J');
            bytes += " F" + QByteArray::number(100 + int(random() % 900u));
            break;
        case 9:
            bytes += "(CONTOUR " + QByteArray::number(i / 10) + " - FINISH PASS)";
            break;
        default:
            bytes += number + " G01";
            coordinate(bytes, 'X');
            coordinate(bytes, 'Y');
            coordinate(bytes, 'Z');
        }
        bytes += "\r\n";
    }
    bytes += "M30\r\n%";
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

struct Timing
{
    double wall = 1e9;  // seconds
    double cpu = 1e9;   // user + system seconds of the process
    double user = 1e9;  // of the run with the least processor time
    double system = 1e9;
    double maxRssMb = 0; // the largest resident size of any run
};

#ifdef Q_OS_UNIX
// Runs a command with its output going to a file, a few times; the best
// wall-clock and processor times, and the peak memory, each process measured
// on its own (wait4).
Timing timed(const QString &program, const QStringList &arguments, const QString &outputFile, int repeats)
{
    Timing best;
    // A spawned child's peak memory counts the spawning process's own peak (the
    // child starts as a copy of it), so the peak is taken by /usr/bin/time,
    // a small process, when it is there.
    const QString rssFile = outputFile + QStringLiteral(".rss");
    const bool haveTime = QFileInfo(QStringLiteral("/usr/bin/time")).isExecutable();
    std::vector<QByteArray> storage;
    if (haveTime)
        storage = {"/usr/bin/time", "-f", "%M", "-o", QFile::encodeName(rssFile)};
    storage.push_back(QFile::encodeName(program));
    for (const QString &a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const QByteArray out = QFile::encodeName(outputFile);
    for (int i = 0; i < repeats; ++i) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QElapsedTimer timer;
        timer.start();
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            qFatal("%s does not start", qPrintable(program));
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            qFatal("%s failed", qPrintable(program));
        const double user = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6;
        const double system = usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
        best.wall = std::min(best.wall, timer.nsecsElapsed() / 1e9);
        if (user + system < best.cpu) {
            best.cpu = user + system;
            best.user = user;
            best.system = system;
        }
        const double rssKb = haveTime ? readFile(rssFile).trimmed().toDouble() : double(usage.ru_maxrss);
        best.maxRssMb = std::max(best.maxRssMb, rssKb / 1024.0); // kilobytes on Linux
    }
    return best;
}
#endif

void compareJob(const char *name, const QString &input, const QStringList &cncArguments, const QString &awkScript,
                const QString &gawk, const QString &dir, double inputMb)
{
    const QString cncOut = dir + QStringLiteral("/cnc.out");
    const QString awkOut = dir + QStringLiteral("/awk.out");
    const Timing cnc = timed(QStringLiteral(ZAVRIN_CNC_PATH), cncArguments + QStringList{input}, cncOut, 5);
    const Timing awk = timed(gawk, {QStringLiteral("-f"), QStringLiteral(ZAVRIN_BENCH_TOOLS_DIR "/") + awkScript, input},
                             awkOut, 5);
    // gawk writes a break after the last line; zavrin-cnc keeps the file's form.
    QByteArray awkBytes = readFile(awkOut);
    if (awkBytes.endsWith('\n'))
        awkBytes.chop(1);
    const QByteArray cncBytes = readFile(cncOut);
    if (cncBytes == awkBytes) {
        std::printf("%s (same output: yes)\n", name);
    } else {
        // gawk's double arithmetic loses digits where a sum nearly cancels
        // (-0.8441 comes out as -0.844099999999999): say how many lines differ.
        const QList<QByteArray> a = cncBytes.split('\n'), b = awkBytes.split('\n');
        qsizetype differ = std::abs(a.size() - b.size());
        for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
            differ += a[i] != b[i];
        std::printf("%s (same output: NO, %lld of %lld lines differ)\n", name, (long long)differ, (long long)a.size());
    }
    std::printf("  wall      zavrin-cnc %6.3f s   gawk %6.3f s   ratio %5.1fx\n", cnc.wall, awk.wall, awk.wall / cnc.wall);
    std::printf("  processor zavrin-cnc %6.3f s   gawk %6.3f s   ratio %5.1fx\n", cnc.cpu, awk.cpu, awk.cpu / cnc.cpu);
    std::printf("    (user + system: zavrin-cnc %.3f + %.3f s, gawk %.3f + %.3f s)\n", cnc.user, cnc.system, awk.user,
                awk.system);
    std::printf("  memory    zavrin-cnc %6.1f MB  gawk %6.1f MB  (%.2f and %.2f times the file)\n", cnc.maxRssMb,
                awk.maxRssMb, cnc.maxRssMb / inputMb, awk.maxRssMb / inputMb);
}

void compareJobs(const char *title, const QString &input, double inputMb, const QString &gawk, const QString &dir)
{
    std::printf("%s\n", title);
    compareJob("translate --x 10", input, {QStringLiteral("translate"), QStringLiteral("--x"), QStringLiteral("10")},
               QStringLiteral("translate.awk"), gawk, dir, inputMb);
    compareJob("renumber --start 10 --inc 10", input,
               {QStringLiteral("renumber"), QStringLiteral("--renumber"), QStringLiteral("--start"),
                QStringLiteral("10"), QStringLiteral("--increment"), QStringLiteral("10")},
               QStringLiteral("renumber.awk"), gawk, dir, inputMb);
    std::printf("\n");
}

// What the progress window does per line: look at the clock, and let events
// through every 50 ms.
class WindowLikeMonitor : public ToolRunMonitor
{
public:
    WindowLikeMonitor() { m_timer.start(); }
    void processEvents() override
    {
        if (m_timer.elapsed() >= 50) {
            QCoreApplication::processEvents();
            m_timer.restart();
        }
    }

private:
    QElapsedTimer m_timer;
};

void inProcess(const char *name, const QStringList &lines, LineTool &tool)
{
    StringListLines program(lines);
    WindowLikeMonitor monitor;
    QElapsedTimer timer;
    timer.start();
    const ToolRunResult result = FUNC_Aplicar_Ferramenta(program, tool, ToolRange(), &monitor);
    std::printf("%-28s %6.3f s   (%d lines changed; target 3 s)\n", name, timer.nsecsElapsed() / 1e9,
                result.changedLines);
}

} // namespace

// Opens the program in an editor tab of the application and times a tool
// window's Apply.
void inApplication(const QString &programPath, const QString &appDirectory)
{
    ScriptedDialogs dialogs; // a missing database is answered, not shown
    writeFile(appDirectory + QStringLiteral("/Zavrin.ini"), "[LANGUAGE]\r\nVALUE=EN\r\n");
    Application::Options options;
    options.appDirectory = appDirectory;
    options.showSplash = false;
    options.maximise = false;
    TForm_Main *main = Application::createWindows(options);
    Application::firstShow(main, options);
    main->showMessagesPanel(); // docked by the show step only when a database opened
    EditorArea *area = EditorArea::instance();

    const auto timedApply = [&](const char *name, ToolWindow *window) {
        area->FUNC_Abrir_Arquivo(programPath);
        QElapsedTimer timer;
        timer.start();
        window->BitBtn1Click();
        const double seconds = timer.nsecsElapsed() / 1e9;
        timer.restart();
        area->CurrentEditor()->undo(); // the whole run is one undo step
        QApplication::processEvents();
        const double undo = timer.nsecsElapsed() / 1e9;
        std::printf("%-28s %6.3f s   (target 3 s; one undo %.3f s)\n", name, seconds, undo);
        area->CurrentEditor()->setModified(false);
        area->SpeedButton14Click(); // close the tab
    };
    auto *translate = qobject_cast<TForm_EDT4 *>(Application::window(QStringLiteral("Form_EDT4")));
    translate->CheckBox1()->setChecked(true);
    translate->Edit1()->setText(QStringLiteral("10"));
    timedApply("translate X by 10", translate);
    auto *renumber = qobject_cast<TForm_EDT2 *>(Application::window(QStringLiteral("Form_EDT2")));
    renumber->CheckBox3()->setChecked(true);
    renumber->SpinEdit4()->setValue(10);
    renumber->SpinEdit5()->setValue(10);
    timedApply("renumber 10 by 10", renumber);
    Application::destroyWindows();
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString gawk = QStandardPaths::findExecutable(QStringLiteral("gawk"));
    if (gawk.isEmpty()) {
        std::fprintf(stderr, "gawk is needed (apt-get install gawk)\n");
        return 1;
    }
    // "--keep DIR" leaves the program and the last outputs in DIR for a look.
    QTemporaryDir temporary;
    const int keep = int(application.arguments().indexOf(QStringLiteral("--keep")));
    const QString folder = keep > 0 && keep + 1 < application.arguments().size() ? application.arguments().at(keep + 1)
                                                                                 : temporary.path();
    const QString input = folder + QStringLiteral("/program.nc");
    const QByteArray bytes = makeProgram();
    writeFile(input, bytes);
    std::printf("Program: %d lines, %.1f MB, CR LF\n", LineCount, bytes.size() / 1e6);
    const QString camInput = folder + QStringLiteral("/cam.nc");
    {
        const QByteArray cam = makeCamProgram();
        writeFile(camInput, cam);
        std::printf("CAM program: %d lines, %.1f MB, CR LF\n\n", LineCount, cam.size() / 1e6);
    }
    const double camMb = QFileInfo(camInput).size() / 1e6;

    // "--application" runs only the last part (for profiling it).
    if (application.arguments().contains(QStringLiteral("--application"))) {
        inApplication(input, folder);
        return 0;
    }
    compareJobs("Program:", input, bytes.size() / 1e6, gawk, folder);
    compareJobs("CAM program:", camInput, camMb, gawk, folder);
    // "--cli" stops after the command-line jobs.
    if (application.arguments().contains(QStringLiteral("--cli")))
        return 0;

    std::printf("\nRun loop in the process (lines in memory):\n");
    const QStringList lines = decodeProgramFile(bytes).lines;
    TranslateTool translate({true, QStringLiteral("10")}, {}, {}, false, NumberSyntax());
    inProcess("translate X by 10", lines, translate);
    RenumberTool::Options options;
    options.renumber = true;
    options.start = 10;
    options.increment = 10;
    RenumberTool renumber(options);
    inProcess("renumber 10 by 10", lines, renumber);

    std::printf("\nIn the application (editor tab, Apply of the tool window, offscreen):\n");
    inApplication(input, folder);
    return 0;
}
