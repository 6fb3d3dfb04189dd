// The machine register on a PostgreSQL server on this machine (run by hand, see
// README.md):
//
//   bench_pgmachines [MACHINES] [CHANGES]
//       the filtered list's statement over MACHINES machines (10000) on the server
//       and on a SQLite file with the same rows, five filters, 15 rounds each; then
//       CHANGES (20) changes made by a second workstation, each timed from its
//       commit to the "Machines" page of this one showing it.

#include "PgTestServer.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachineList.h"
#include "machines/MachineListArea.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

double worst(const QList<double> &v) { return v.isEmpty() ? 0 : *std::max_element(v.begin(), v.end()); }

struct Case
{
    const char *label;
    QString name, number;
};

const Case Cases[] = {
    {"no filter (every machine)", QString(), QString()},
    {"name \"Cell 1\"", QStringLiteral("Cell 1"), QString()},
    {"number \"5\"", QString(), QStringLiteral("5")},
    {"name and number", QStringLiteral("Cell"), QStringLiteral("77")},
    {"nothing matches", QStringLiteral("no such machine"), QString()},
};

// Median and worst of the filtered list's statement with its rows read, per case.
QList<QPair<double, double>> timeFilters(const QString &location, QList<int> *rows)
{
    TDataModule1 &db = TDataModule1::instance();
    db.DataModuleCreate(location);
    QList<QPair<double, double>> out;
    for (const Case &c : Cases) {
        QList<double> ms;
        for (int i = 0; i < 15; ++i) {
            QElapsedTimer t;
            t.start();
            const int n = int(db.filteredMachines(c.name, c.number).size());
            ms << t.nsecsElapsed() / 1e6;
            if (i == 0 && rows)
                rows->append(n);
        }
        out.append({median(ms), worst(ms)});
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication a(argc, argv);
    const int machines = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int changes = argc > 2 ? std::atoi(argv[2]) : 20;

    PgTestServer server;
    QString error;
    if (!server.start(&error) || !server.createDatabase(QStringLiteral("bench"), &error)) {
        std::fprintf(stderr, "bench_pgmachines: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("machines.db"));
    const QString url = server.url(QStringLiteral("bench"));
    DatabaseSchema::createDatabase(file, true, dir.path(), machines - 7);
    DatabaseSchema::copyDatabase(file, url, false);

    QList<int> rows;
    const auto onServer = timeFilters(url, &rows);
    const auto onFile = timeFilters(file, nullptr);
    std::printf("%d machines; the filtered list's statement with its rows read, 15 rounds\n", machines);
    std::printf("| filter                     | rows   | PostgreSQL median ms | worst ms | SQLite median ms | worst ms |\n");
    std::printf("|----------------------------|--------|----------------------|----------|------------------|----------|\n");
    for (int i = 0; i < int(std::size(Cases)); ++i)
        std::printf("| %-26s | %6d | %20.1f | %8.1f | %16.1f | %8.1f |\n", Cases[i].label, rows.at(i),
                    onServer.at(i).first, onServer.at(i).second, onFile.at(i).first, onFile.at(i).second);

    // Workstation A: the real windows on the server; workstation B: a second connection.
    QFile ini(dir.filePath(QStringLiteral("Zavrin.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[DIRBD]\nVALUE=" + url.toUtf8() + "\n[LANGUAGE]\nVALUE=EN\n");
    ini.close();
    Application::Options options;
    options.appDirectory = dir.path();
    options.showSplash = false;
    TForm_Main *main = Application::createWindows(options);
    Application::firstShow(main, options);
    MachineList *list = filteredMachineList();
    QSqlDatabase b = TDataModule1::openConnection(QStringLiteral("B"), url);
    QList<double> seen;
    for (int i = 0; i < changes; ++i) {
        const QString text = QStringLiteral("Changed at B %1").arg(i);
        QSqlQuery q(b);
        q.prepare(QStringLiteral("UPDATE ZVRD_MAQUINAS SET DSC_MAQUINA=?, DATA_ALTERACAO=LOCALTIMESTAMP WHERE ID_MAQUINA=1"));
        q.addBindValue(text);
        QElapsedTimer t;
        t.start();
        if (!q.exec() || !q.exec(QStringLiteral("SELECT pg_notify('zavrin_machines', '1')")))
            std::fprintf(stderr, "bench_pgmachines: workstation B: %s\n", qPrintable(q.lastError().text()));
        auto shown = [list, &text] {
            for (const MachineRecord &m : list->rows())
                if (m.id == QLatin1String("1"))
                    return m.description == text;
            return false;
        };
        while (!shown()) {
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
            if (t.elapsed() > 10000)
                break;
        }
        seen << t.nsecsElapsed() / 1e6;
        QApplication::processEvents(QEventLoop::AllEvents, 200);
    }
    std::printf("change at workstation B to A's \"Machines\" page showing it (%d changes, %d machines listed):\n"
                "median %.0f ms, worst %.0f ms (of which 100 ms is the wait that gathers a burst of changes)\n",
                changes, int(list->rowCount()), median(seen), worst(seen));
    Application::destroyWindows();
    b.close();
    return 0;
}
