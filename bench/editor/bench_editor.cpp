// Benchmarks of the CNC editor on a generated 1,000,000-line program (~37 MB).
// Each measurement runs in a process of its own so that its peak memory is its
// own. Baselines are measured in the same run on the same file.
//
//   bench_editor            all measurements
//   bench_editor MODE FILE  one measurement (open, find, replace, undo, lines, typing, goto)
//   bench_editor generate FILE  writes the program only

#include "editor/CncEditor.h"
#include "editor/GoToTarget.h"
#include "editor/ProgramFile.h"
#include "tools/EditorToolLines.h"
#include "tools/StartEndTool.h"
#include "tools/ToolRun.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <ctime>

namespace {

constexpr int Lines = 1000000;

long statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// CPU time of this process: on a machine shared with other work it varies far less
// than the wall time.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void generate(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block;
    for (int i = 1; i <= Lines; ++i) {
        const double x = (i % 2000) * 0.137 - 100, y = (i % 3000) * 0.071 - 50;
        block += QByteArray("N") + QByteArray::number(i).rightJustified(6, '0') + " G01 X" + QByteArray::number(x, 'f', 3)
                 + " Y" + QByteArray::number(y, 'f', 3) + (i % 10 == 0 ? " M08" : " F1500") + "\r\n";
        if (block.size() > (1 << 20)) {
            f.write(block);
            block.clear();
        }
    }
    f.write(block);
}

double baseline(const QString &shell)
{
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), shell + QStringLiteral(" >/dev/null")});
    return t.nsecsElapsed() / 1e6;
}

void load(CncEditor &editor, const QString &path)
{
    editor.loadDocument(readProgramDocument(path));
    editor.resize(1000, 700);
    editor.show();
    editor.repaint();
    QApplication::processEvents();
}

int runOpen(const QString &path)
{
    const double size = QFile(path).size();
    CncEditor editor;
    editor.resize(1000, 700);
    editor.show();
    QApplication::processEvents();
    const long before = statusKb("VmRSS:");
    QElapsedTimer t;
    const double cpu0 = cpuMs();
    t.start();
    ProgramDocument document = readProgramDocument(path);
    const double readMs = t.nsecsElapsed() / 1e6;
    editor.loadDocument(std::move(document));
    const double loadMs = t.nsecsElapsed() / 1e6 - readMs;
    editor.repaint();
    QApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpu0;
    const long peak = statusKb("VmHWM:");
    const long styled = editor.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
    const double base = baseline(QStringLiteral("wc -l '%1'").arg(path));
    std::printf("open+paint   %8.1f ms  (cpu %.1f ms; %d lines; first %ld bytes styled)  wc -l %6.1f ms  ratio %5.1f\n",
                ms, cpu, editor.count(), styled, base, ms / base);
    std::printf("  (read and decode %.1f ms, into the control %.1f ms, paint %.1f ms)\n", readMs, loadMs,
                ms - readMs - loadMs);
    std::printf("open memory  %8.1f MB over %.1f MB before = %.2f x file size (%.1f MB)\n",
                (peak - before) / 1024.0, before / 1024.0, (peak - before) * 1024.0 / size, size / 1048576.0);

    // Jumping to the end colours every line on the way.
    t.restart();
    editor.SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    editor.repaint();
    QApplication::processEvents();
    std::printf("  (jump to the end and paint, colouring all lines: %.1f ms, %ld bytes styled)\n", t.nsecsElapsed() / 1e6,
                editor.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED));
    return 0;
}

int runFind(const QString &path)
{
    CncEditor editor;
    load(editor, path);
    EditorSearchOptions o;
    o.entireScope = true;
    // Plain in both letter cases, then a regular expression (matched line by line).
    for (int run = 0; run < 3; ++run) {
        const bool matchCase = run != 1;
        o.matchCase = matchCase;
        o.regularExpression = run == 2;
        editor.setCursorPosition(0, 0);
        QElapsedTimer t;
        const double cpu0 = cpuMs();
        t.start();
        const int found = editor.searchReplace(o.regularExpression ? QStringLiteral("N9{6} G") : QStringLiteral("N999999 "),
                                               QString(), o);
        const double ms = t.nsecsElapsed() / 1e6;
        const double cpu = cpuMs() - cpu0;
        int line, index;
        editor.getCursorPosition(&line, &index);
        const double base = o.regularExpression
                                ? baseline(QStringLiteral("grep -c -E 'N9{6} G' '%1'").arg(path))
                                : baseline(QStringLiteral("grep -c %1'N999999 ' '%2'")
                                               .arg(matchCase ? QString() : QStringLiteral("-i "), path));
        std::printf("find next    %8.1f ms  (cpu %.1f ms; %s, found %d at line %d)  grep -c %6.1f ms  ratio %5.1f\n",
                    ms, cpu, o.regularExpression ? "regex" : matchCase ? "match case" : "any case", found, line + 1,
                    base, ms / base);
    }
    return 0;
}

int runReplace(const QString &path)
{
    CncEditor editor;
    load(editor, path);
    EditorSearchOptions o;
    o.replace = o.replaceAll = true;
    o.entireScope = true;
    o.matchCase = true;
    QElapsedTimer t;
    const double cpu0 = cpuMs();
    t.start();
    const int replaced = editor.searchReplace(QStringLiteral("M08"), QStringLiteral("M09"), o);
    editor.repaint();
    const double ms = t.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpu0;
    const double base = baseline(QStringLiteral("gawk '{gsub(/M08/,\"M09\")}1' '%1'").arg(path));
    std::printf("replace all  %8.1f ms  (cpu %.1f ms; %d occurrences)  gawk gsub %6.1f ms  ratio %5.1f\n", ms, cpu,
                replaced, base, ms / base);
    return 0;
}

// Undo and redo of that replace all, each with the paint that follows: the
// operator's Ctrl+Z after replacing every occurrence.
int runUndoReplace(const QString &path)
{
    CncEditor editor;
    load(editor, path);
    EditorSearchOptions o;
    o.replace = o.replaceAll = true;
    o.entireScope = true;
    o.matchCase = true;
    QElapsedTimer t;
    t.start();
    const int replaced = editor.searchReplace(QStringLiteral("M08"), QStringLiteral("M09"), o);
    editor.repaint();
    const double replaceMs = t.nsecsElapsed() / 1e6;
    const auto step = [&](const char *name, const auto &action) {
        const double cpu0 = cpuMs();
        t.restart();
        action();
        editor.repaint();
        QApplication::processEvents();
        const double ms = t.nsecsElapsed() / 1e6;
        std::printf("%-16s %8.1f ms  (cpu %.1f ms; %d occurrences; the replace took %.1f ms)  ratio to it %5.2f\n",
                    name, ms, cpuMs() - cpu0, replaced, replaceMs, ms / replaceMs);
    };
    step("undo replace all", [&] { editor.undo(); });
    const bool restored = editor.text().count(QStringLiteral("M09")) == 0;
    step("redo replace all", [&] { editor.redo(); });
    if (!restored)
        std::printf("  (the undo did not bring the text back)\n");
    return 0;
}

// The progress of a run as the progress window shows it: events through every
// 25 ms, the bar and the percentage when the whole percentage changes, Cancel
// looked at on every line.
class BarMonitor : public ToolRunMonitor
{
public:
    BarMonitor(QProgressBar &bar, QLabel &label) : m_bar(bar), m_label(label) { m_sinceEvents.start(); }
    void processEvents() override
    {
        if (m_sinceEvents.elapsed() >= 25) {
            QApplication::processEvents();
            m_sinceEvents.restart();
        }
    }
    void showProgress(int position, qint64 percent) override
    {
        m_bar.setValue(position);
        m_label.setText(QString::number(percent) + QLatin1Char('%'));
    }
    bool cancelRequested() const override { return cancelled; }
    bool cancelled = false;

private:
    QProgressBar &m_bar;
    QLabel &m_label;
    QElapsedTimer m_sinceEvents;
};

// A tool run inside the editor that changes every line (";" added at the end of
// each), with its progress, as one undo step; then that undo. Baseline: gawk
// doing the same. For comparison, the same lines replaced one by one through
// the editor's line operations inside one bulk change.
int runLines(const QString &path)
{
    CncEditor editor;
    load(editor, path);
    QProgressBar bar;
    QLabel label;
    bar.setMaximum(editor.count());
    bar.show();
    label.show();
    BarMonitor monitor(bar, label);
    StartEndTool tool(StartEndTool::Position::End, QStringLiteral(";"));
    QElapsedTimer t;
    double cpu0 = cpuMs();
    t.start();
    ToolRunResult result;
    {
        EditorToolLines lines(editor, editor);
        result = FUNC_Aplicar_Ferramenta(lines, tool, ToolRange(), &monitor);
    }
    editor.setModified(true);
    editor.repaint();
    double ms = t.nsecsElapsed() / 1e6;
    double cpu = cpuMs() - cpu0;
    const double base = baseline(QStringLiteral("gawk '{print $0 \";\"}' '%1'").arg(path));
    std::printf("tool lines   %8.1f ms  (cpu %.1f ms; %d of %d lines changed)  gawk %6.1f ms  ratio %5.1f\n", ms, cpu,
                result.changedLines, editor.count(), base, ms / base);
    t.restart();
    editor.undo();
    editor.repaint();
    std::printf("  (its undo, one step: %.1f ms, %s)\n", t.nsecsElapsed() / 1e6,
                editor.SendScintilla(QsciScintillaBase::SCI_CANUNDO) ? "more to undo" : "nothing left to undo");

    cpu0 = cpuMs();
    t.restart();
    {
        EditorBulkChange bulk(editor);
        const int n = editor.count();
        for (int i = 0; i < n; ++i)
            editor.replaceLine(i, editor.line(i) + QStringLiteral(";"));
    }
    editor.repaint();
    ms = t.nsecsElapsed() / 1e6;
    cpu = cpuMs() - cpu0;
    std::printf("  (one by one through the line operations, one bulk change: %.1f ms, cpu %.1f ms)\n", ms, cpu);

    // The same without the bulk change, on 10,000 lines only.
    t.restart();
    for (int i = 0; i < 10000; ++i)
        editor.replaceLine(i, editor.line(i) + QStringLiteral(" "));
    std::printf("  (10,000 lines without a bulk change: %.1f ms)\n", t.nsecsElapsed() / 1e6);
    return 0;
}
// A keystroke in the middle of the program, then its undo and redo, each with
// the paint that follows: what an operator feels when editing a long program.
int runTyping(const QString &path)
{
    CncEditor editor;
    load(editor, path);
    editor.setCursorPosition(editor.count() / 2, 5);
    editor.repaint();
    QApplication::processEvents();
    const auto step = [&](const char *name, const auto &action) {
        QElapsedTimer t;
        t.start();
        action();
        editor.repaint();
        QApplication::processEvents();
        std::printf("%-12s %8.1f ms\n", name, t.nsecsElapsed() / 1e6);
    };
    step("keystroke", [&] { editor.SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1UL, "7"); });
    step("undo", [&] { editor.undo(); });
    step("redo", [&] { editor.redo(); });
    step("new line", [&] { editor.SendScintilla(QsciScintillaBase::SCI_NEWLINE); });
    step("undo", [&] { editor.undo(); });
    return 0;
}

// Go to the block N999999 (the last line) and a line near the end; and what the
// status bar's position field asks of the control after every keystroke, with
// the caret on the last line.
int runGoTo(const QString &path)
{
    using SB = QsciScintillaBase;
    CncEditor editor;
    load(editor, path);
    QElapsedTimer t;
    double cpu0 = cpuMs();
    t.start();
    const auto *bytes = reinterpret_cast<const char *>(editor.SendScintilla(SB::SCI_GETCHARACTERPOINTER));
    const long line = findBlockNumberLine(QByteArrayView(bytes, editor.SendScintilla(SB::SCI_GETLENGTH)),
                                          parseGoToTarget(QStringLiteral("N999999")).number);
    editor.setCaretLine(int(line + 1));
    editor.repaint();
    QApplication::processEvents();
    double ms = t.nsecsElapsed() / 1e6;
    double cpu = cpuMs() - cpu0;
    const double base = baseline(QStringLiteral("grep -n -m1 '^N999999 ' '%1'").arg(path));
    std::printf("go to block  %8.1f ms  (cpu %.1f ms; N999999 at line %ld)  grep -n -m1 %6.1f ms  ratio %5.1f\n", ms,
                cpu, line + 1, base, ms / base);

    t.restart();
    editor.setCaretLine(Lines - 7);
    editor.repaint();
    QApplication::processEvents();
    std::printf("go to line   %8.1f ms\n", t.nsecsElapsed() / 1e6);

    // The position field's values, 1,000 times, caret at the end of the last
    // program line (the file ends with a break, so that is the line before last).
    editor.SendScintilla(SB::SCI_GOTOPOS, (unsigned long)(editor.SendScintilla(SB::SCI_GETLENGTH) - 2));
    long sink = 0;
    t.restart();
    for (int i = 0; i < 1000; ++i) {
        const long pos = editor.SendScintilla(SB::SCI_GETCURRENTPOS);
        const long l = editor.SendScintilla(SB::SCI_LINEFROMPOSITION, (unsigned long)pos);
        const long start = editor.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)l);
        sink += editor.SendScintilla(SB::SCI_COUNTCHARACTERS, (unsigned long)start, pos) + editor.count();
    }
    const double each = t.nsecsElapsed() / 1e3 / 1000;
    t.restart();
    editor.SendScintilla(SB::SCI_ADDTEXT, 1UL, "7");
    editor.repaint();
    QApplication::processEvents();
    std::printf("position     %8.3f us per keystroke (sink %ld)  the keystroke itself %.1f ms\n", each, sink % 7,
                t.nsecsElapsed() / 1e6);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() == 3) {
        const QString mode = args[1];
        if (mode == QLatin1String("open"))
            return runOpen(args[2]);
        if (mode == QLatin1String("find"))
            return runFind(args[2]);
        if (mode == QLatin1String("replace"))
            return runReplace(args[2]);
        if (mode == QLatin1String("undo"))
            return runUndoReplace(args[2]);
        if (mode == QLatin1String("lines"))
            return runLines(args[2]);
        if (mode == QLatin1String("typing"))
            return runTyping(args[2]);
        if (mode == QLatin1String("goto"))
            return runGoTo(args[2]);
        if (mode == QLatin1String("generate")) {
            generate(args[2]);
            return 0;
        }
        return 2;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.nc"));
    generate(path);
    std::printf("program: %s, %d lines, %.1f MB\n", qPrintable(path), Lines, QFile(path).size() / 1048576.0);
    std::fflush(stdout);
    for (const char *mode : {"open", "find", "replace", "undo", "lines", "typing", "goto"}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(args[0], {QLatin1String(mode), path});
        child.waitForFinished(-1);
    }
    return 0;
}
