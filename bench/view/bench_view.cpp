// Benchmarks of the program view (run by hand, see README.md):
//   bench_view FILE               reading, drawing and typing figures
//   bench_view FILE --shot PNG    also saves the editor with the view beside it
// FILE: for example the editor benchmark's program (bench_editor generate FILE).
#include "editor/CncEditor.h"
#include "editor/ProgramFile.h"
#include "lang/Texts.h"
#include "view/ProgramViewPanel.h"
#include "view/ToolpathInterpreter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QSplitter>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double baseline(const QString &shell)
{
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), shell + QStringLiteral(" >/dev/null")});
    return t.nsecsElapsed() / 1e6;
}

void waitShown(ProgramViewPanel *panel)
{
    QEventLoop loop;
    QObject::connect(panel, &ProgramViewPanel::pathShown, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void interpretFigures(const QString &path, const QByteArray &text)
{
    std::vector<double> wall, cpu;
    Toolpath result;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        const double c0 = cpuMs();
        t.start();
        result = interpretToolpath(text, ToolpathOptions());
        wall.push_back(t.nsecsElapsed() / 1e6);
        cpu.push_back(cpuMs() - c0);
    }
    const double wc = baseline(QStringLiteral("wc -l '%1'").arg(path));
    const double translate =
        baseline(QStringLiteral("'%1' translate --x 10 '%2'").arg(QStringLiteral(ZAVRIN_CNC_PATH), path));
    std::printf("interpret    median %7.1f ms (cpu %.1f ms, best %.1f ms); %d lines, %zu segments, %zu arcs\n",
                median(wall), median(cpu), *std::min_element(wall.begin(), wall.end()), result.lineCount,
                result.segments.size(), result.arcs.size());
    std::printf("  baselines  wc -l %.1f ms (ratio %.1f), zavrin-cnc translate --x 10 %.1f ms (ratio %.2f)\n", wc,
                median(wall) / wc, translate, median(wall) / translate);
    std::printf("  storage    %.1f MB for a %.1f MB file = %.2f x\n", result.storageBytes() / 1048576.0,
                text.size() / 1048576.0, double(result.storageBytes()) / double(text.size()));
}

void drawingFigures(const QByteArray &text)
{
    auto path = std::make_shared<const Toolpath>(interpretToolpath(text, ToolpathOptions()));
    ToolpathCanvas canvas;
    canvas.resize(1440, 900);
    canvas.show();
    QApplication::processEvents();
    canvas.setPath(path, true);
    std::vector<double> full;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        canvas.setPath(path, false); // forgets the cached drawing
        canvas.repaint();
        full.push_back(t.nsecsElapsed() / 1e6);
    }
    // Dragging: one frame a mouse move.
    const QPointF from(720, 450);
    QMouseEvent press(QEvent::MouseButtonPress, from, canvas.mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&canvas, &press);
    std::vector<double> frames;
    for (int i = 1; i <= 30; ++i) {
        const QPointF at = from + QPointF(i * 7, i * 3);
        QMouseEvent move(QEvent::MouseMove, at, canvas.mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(&canvas, &move);
        canvas.repaint();
        frames.push_back(t.nsecsElapsed() / 1e6);
    }
    const QPointF end = from + QPointF(210, 90);
    QMouseEvent release(QEvent::MouseButtonRelease, end, canvas.mapToGlobal(end), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&canvas, &release);
    // Wheel zoom frames, then the full drawing once the mouse rests.
    std::vector<double> zoomFrames;
    for (int i = 0; i < 10; ++i) {
        QWheelEvent wheel(end, canvas.mapToGlobal(end), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(&canvas, &wheel);
        canvas.repaint();
        zoomFrames.push_back(t.nsecsElapsed() / 1e6);
    }
    QElapsedTimer t;
    t.start();
    canvas.setPath(path, false);
    canvas.repaint();
    const double settled = t.nsecsElapsed() / 1e6;
    std::printf("first full drawing 1440x900  median %.1f ms (rounds %.1f, %.1f, %.1f)\n", median(full), full[0],
                full[1], full[2]);
    std::printf("pan frames   median %.1f ms, worst %.1f ms; zoom frames median %.1f ms; full drawing after the "
                "mouse rests (zoomed 9.3x) %.1f ms\n",
                median(frames), *std::max_element(frames.begin(), frames.end()), median(zoomFrames), settled);
}

// A keystroke with its paint on the middle line, with the view closed and open.
void typingFigures(const QString &file)
{
    CncEditor editor;
    editor.loadDocument(readProgramDocument(file));
    editor.resize(900, 800);
    editor.show();
    ProgramViewPanel panel;
    panel.resize(700, 800);
    QApplication::processEvents();
    const auto type = [&](int count) {
        std::vector<double> ms;
        const int middle = editor.count() / 2;
        for (int i = 0; i < count; ++i) {
            editor.setCursorPosition(middle, 8);
            QElapsedTimer t;
            t.start();
            editor.insert(QStringLiteral("1"));
            editor.repaint();
            QApplication::processEvents();
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        return median(ms);
    };
    const double closed = type(15);
    panel.show();
    QTimer::singleShot(0, &panel, [&] { panel.setEditor(&editor); });
    waitShown(&panel);
    const double open = type(15);
    // What a reading costs the user interface thread: the copy of the text
    // and the start of the worker.
    std::vector<double> starts;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        panel.refresh();
        starts.push_back(t.nsecsElapsed() / 1e6);
        waitShown(&panel);
    }
    std::printf("keystroke    view closed median %.1f ms, view open median %.1f ms (the view reads after a pause)\n",
                closed, open);
    std::printf("  a reading's part on the user interface thread (copy of the text, worker start): median %.1f ms\n",
                median(starts));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Texts::FUNC_Textos_EN();
    const QStringList args = application.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_view FILE [--shot PNG]\n");
        return 2;
    }
    const QString file = args[1];
    const QByteArray text = readProgramDocument(file).utf8;
    if (args.size() >= 4 && args[2] == QLatin1String("--shot")) {
        QSplitter window;
        auto *editorWidget = new CncEditor(&window);
        CncEditor &editor = *editorWidget;
        editor.loadDocument(readProgramDocument(file));
        window.addWidget(editorWidget);
        auto *panel = new ProgramViewPanel(&window);
        window.addWidget(panel);
        window.resize(1440, 900);
        window.setSizes({600, 840});
        window.show();
        QTimer::singleShot(0, panel, [&] { panel->setEditor(&editor); });
        waitShown(panel);
        editor.setCursorPosition(editor.count() / 3, 0);
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QThread::msleep(20);
        }
        window.grab().save(args[3]);
        std::printf("saved %s\n", qPrintable(args[3]));
        return 0;
    }
    interpretFigures(file, text);
    drawingFigures(text);
    typingFigures(file);
    return 0;
}
