// Benchmarks of the machine lists (run by hand, see README.md).
//
//   bench_machines [MACHINES [STARTUP_MACHINES]]
//       filter and repaint of the "Machines" page over MACHINES machines (10000),
//       against the sqlite3 command line running the same query on the same file;
//       then start-up to a shown main window with STARTUP_MACHINES (1000), each
//       start in a fresh process.
//   bench_machines startup FOLDER
//       one start-up from FOLDER's Zavrin.ini (the child of the run above).

#include "app/Application.h"
#include "app/MainWindow.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachineList.h"
#include "machines/MachineListArea.h"
#include "machines/MachineListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

QElapsedTimer g_processClock;

// Processor time of this process: steadier than the clock on a busy machine.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

void writeIni(const QString &folder, const QString &db)
{
    QFile f(folder + QStringLiteral("/Zavrin.ini"));
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write Zavrin.ini");
    f.write("[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=EN\r\n");
}

QString makeDatabase(const QTemporaryDir &dir, const QString &name, int machines)
{
    const QString path = dir.filePath(name);
    DatabaseSchema::createDatabase(path, true, dir.path(), machines - 7);
    return path;
}

// The same statement through the sqlite3 command line, counting the rows.
double sqliteBaseline(const QString &db, const QString &name, const QString &number)
{
    QString sql = QStringLiteral("SELECT * FROM ZVRD_MAQUINAS WHERE 1=1");
    if (!name.isEmpty())
        sql += QStringLiteral(" AND DSC_MAQUINA LIKE '%%1%'").arg(name);
    if (!number.isEmpty())
        sql += QStringLiteral(" AND NUM_MAQUINA LIKE '%%1%'").arg(number);
    sql += QStringLiteral(" ORDER BY NUM_MAQUINA;");
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {db, sql});
    p.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}

int filterBenchmark(int machines, int startupMachines, const QString &self)
{
    QTemporaryDir dir;
    QElapsedTimer t;
    t.start();
    const QString db = makeDatabase(dir, QStringLiteral("machines.db"), machines);
    std::printf("database of %d machines written in %.0f ms\n", machines, t.nsecsElapsed() / 1e6);
    writeIni(dir.path(), db);

    Application::Options options;
    options.appDirectory = dir.path();
    options.showSplash = false;
    options.maximise = false;
    TForm_Main *main = Application::createWindows(options);
    main->resize(1459, 900);
    Application::firstShow(main, options);
    main->ribbonPages()->setCurrentIndex(1);
    QApplication::processEvents();

    auto *name = main->findChild<QLineEdit *>(QStringLiteral("Edit3"));
    auto *number = main->findChild<QLineEdit *>(QStringLiteral("Edit4"));
    auto *search = main->findChild<QPushButton *>(QStringLiteral("Button2"));
    auto *view = main->findChild<MachineListView *>(QStringLiteral("MachineListView1"));

    struct Case
    {
        const char *label;
        QString name, number;
    };
    const Case cases[] = {
        {"no filter (every machine)", QString(), QString()},
        {"name \"Cell 1\"", QStringLiteral("Cell 1"), QString()},
        {"number \"5\"", QString(), QStringLiteral("5")},
        {"name and number", QStringLiteral("Cell"), QStringLiteral("77")},
        {"nothing matches", QStringLiteral("no such machine"), QString()},
    };
    constexpr int Rounds = 15;
    std::printf("\nfilter (Search) and repaint of the list, %d rounds, median / worst:\n", Rounds);
    std::printf("%-28s %6s %10s %9s %11s %11s %6s\n", "case", "rows", "median ms", "worst ms", "median CPU",
                "sqlite3 ms", "ratio");
    bool within = true;
    for (const Case &c : cases) {
        QList<double> times;
        QList<double> cpu;
        QList<double> baselines;
        for (int i = 0; i < Rounds; ++i) {
            // Alternate between a full list and the case, so every round really changes the list.
            name->clear();
            number->clear();
            search->click();
            QApplication::processEvents();
            name->setText(c.name);
            number->setText(c.number);
            QElapsedTimer r;
            const double cpuStart = cpuMs();
            r.start();
            search->click();
            view->viewport()->repaint();
            times << r.nsecsElapsed() / 1e6;
            cpu << cpuMs() - cpuStart;
            baselines << sqliteBaseline(db, c.name, c.number);
        }
        const double m = median(times);
        const double worst = *std::max_element(times.begin(), times.end());
        const double base = median(baselines);
        within = within && m < 100;
        std::printf("%-28s %6d %10.1f %9.1f %11.1f %11.1f %5.2fx\n", c.label, int(filteredMachineList()->rowCount()),
                    m, worst, median(cpu), base, m / base);
    }

    // Where the time of the full list goes: the query and reading of the rows, then
    // the list taking them and the view painting.
    {
        QList<double> query, show;
        for (int i = 0; i < Rounds; ++i) {
            QElapsedTimer r;
            r.start();
            const QList<MachineRecord> rows = TDataModule1::instance().filteredMachines(QString(), QString());
            query << r.nsecsElapsed() / 1e6;
            r.restart();
            filteredMachineList()->close();
            filteredMachineList()->open(rows);
            view->viewport()->repaint();
            show << r.nsecsElapsed() / 1e6;
        }
        std::printf("\nfull list split: query and reading %.1f ms, list and repaint %.1f ms (medians)\n", median(query),
                    median(show));
    }

    // Scrolling through the whole list: every key press moves and repaints.
    name->clear();
    number->clear();
    search->click();
    QList<double> steps;
    for (int key : {int(Qt::Key_End), int(Qt::Key_Home), int(Qt::Key_PageDown), int(Qt::Key_PageDown), int(Qt::Key_End)}) {
        QElapsedTimer r;
        r.start();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        view->viewport()->repaint();
        steps << r.nsecsElapsed() / 1e6;
    }
    std::printf("\ncursor keys over %d rows (End, Home, PageDown, PageDown, End) with repaint: median %.1f ms, worst %.1f ms\n",
                int(filteredMachineList()->rowCount()), median(steps), *std::max_element(steps.begin(), steps.end()));
    Application::destroyWindows();

    // Start-up, each in a new process, so nothing is warm but the file cache.
    QTemporaryDir startDir;
    writeIni(startDir.path(), makeDatabase(startDir, QStringLiteral("machines.db"), startupMachines));
    std::printf("\nstart-up to a shown main window, %d machines, no splash (fresh process each):\n", startupMachines);
    std::printf("%6s %22s %22s\n", "run", "in process ms", "whole process ms");
    QList<double> inProcess;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer r;
        r.start();
        QProcess p;
        p.start(self, {QStringLiteral("startup"), startDir.path()});
        p.waitForFinished(-1);
        const double whole = r.nsecsElapsed() / 1e6;
        const double shown = p.readAllStandardOutput().trimmed().toDouble();
        inProcess << shown;
        std::printf("%6d %22.0f %22.0f\n", i + 1, shown, whole);
    }
    std::printf("median %.0f ms (target under 1000 ms)\n", median(inProcess));
    std::printf("\nfilter and repaint: median %s 100 ms in every case\n", within ? "under" : "NOT under");
    return 0;
}

// From process start to the main window shown with its lists filled and painted.
int startupOnce(const QString &folder, int argc, char **argv)
{
    QApplication a(argc, argv);
    Application::Options options;
    options.appDirectory = folder;
    options.showSplash = false;
    TForm_Main *main = Application::createWindows(options);
    Application::firstShow(main, options);
    main->repaint();
    QApplication::processEvents();
    std::printf("%.1f\n", g_processClock.nsecsElapsed() / 1e6);
    Application::destroyWindows();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    g_processClock.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && QByteArray(argv[1]) == "startup")
        return startupOnce(QString::fromLocal8Bit(argv[2]), argc, argv);
    QApplication a(argc, argv);
    const int machines = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const int startupMachines = argc > 2 ? QByteArray(argv[2]).toInt() : 1000;
    if (machines < 7 || startupMachines < 7) {
        std::fprintf(stderr, "usage: bench_machines [MACHINES [STARTUP_MACHINES]] (at least 7 each)\n");
        return 2;
    }
    return filterBenchmark(machines, startupMachines, QCoreApplication::applicationFilePath());
}
