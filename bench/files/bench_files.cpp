// Not a test: prints figures. See README.md.
#include "files/FolderListModel.h"
#include "files/FolderListing.h"
#include "files/ShellListView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void makePrograms(const QString &folder, int count)
{
    const QByteArray program = "%\nO1000\nG90 G54 G00 X0 Y0\nG01 Z-1.000 F300\nM30\n%\n";
    for (int i = 0; i < count; ++i) {
        // One program in ten has "G1" in its name, in varying case.
        const QString name = i % 10 == 0 ? QStringLiteral("P%1_%2.nc").arg(i, 5, 10, QLatin1Char('0')).arg(i % 20 ? QStringLiteral("g1") : QStringLiteral("G1"))
                                         : QStringLiteral("O%1.NC").arg(i, 5, 10, QLatin1Char('0'));
        QFile f(folder + QLatin1Char('/') + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(program) != program.size())
            qFatal("cannot write %s", qPrintable(f.fileName()));
    }
    for (int i = 0; i < 20; ++i)
        QDir(folder).mkdir(QStringLiteral("job%1").arg(i));
}

// Shows the folder in a fresh list and waits until every item is in it, sorted
// and painted. Returns milliseconds.
double listFolder(ShellListView &list, const QString &folder, int expected)
{
    QElapsedTimer t;
    t.start();
    double loadedAt = -1;
    auto c = QObject::connect(&list, &ShellListView::folderLoaded, [&] { loadedAt = ms(t); });
    list.setFolder(folder);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (list.model()->rowCount() == expected)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    // The model sorts once the folder is read; let that and a paint happen.
    QCoreApplication::processEvents();
    list.currentView()->viewport()->repaint();
    QObject::disconnect(c);
    std::printf("  (read by the model after %.0f ms, shown after %.0f ms)\n", loadedAt, ms(t));
    return ms(t);
}

double timed(const std::function<void()> &job)
{
    QElapsedTimer t;
    t.start();
    job();
    return ms(t);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("programs"));
    QDir().mkpath(folder);
    makePrograms(folder, count);
    const int items = count + 20;
    const int matching = (count + 9) / 10;
    std::printf("Folder of %d programs and 20 folders (%d names contain G1 or g1)\n\n", count, matching);

    for (int run = 1; run <= 3; ++run) {
        const double qdir = timed([&] {
            QDir d(folder);
            const QFileInfoList l = d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::DirsFirst | QDir::Name);
            if (l.size() != items)
                qFatal("QDir listed %d", int(l.size()));
        });
        const double ls = timed([&] {
            QProcess p;
            p.setStandardOutputFile(QProcess::nullDevice());
            p.start(QStringLiteral("ls"), {QStringLiteral("-l"), folder});
            p.waitForFinished(-1);
        });

        QList<FolderEntry> entries;
        const double read = timed([&] { entries = FolderListing::read(folder); });
        const double sorted = timed([&] { FolderListing::sort(entries, FolderListing::Order()); });
        std::printf("  (FolderListing: read %.0f ms, sort %.0f ms)\n", read, sorted);

        ShellListView list;
        list.resize(1100, 600);
        list.show();
        const double listed = listFolder(list, folder, items);
        const double filtered = timed([&] {
            list.setFilterText(QStringLiteral("g1"));
            list.currentView()->viewport()->repaint();
        });
        const int shownFiltered = list.model()->rowCount();
        const double cleared = timed([&] {
            list.setFilterText(QString());
            list.currentView()->viewport()->repaint();
        });
        double styles[5] = {};
        for (int style : {1, 2, 3, 4}) {
            styles[style] = timed([&] {
                list.setViewStyle(style);
                QCoreApplication::processEvents();
                list.currentView()->viewport()->repaint();
            });
        }
        if (shownFiltered != matching)
            qFatal("filter showed %d, expected %d", shownFiltered, matching);
        std::printf("run %d: list %.0f ms (baselines: ls -l %.0f ms, ratio %.2f; QDir names only %.0f ms); "
                    "filter %.1f ms (%d shown), clear %.1f ms; styles large %.0f, small %.0f, list %.0f, details %.0f ms\n",
                    run, listed, ls, listed / ls, qdir, filtered, shownFiltered, cleared, styles[1], styles[2],
                    styles[3], styles[4]);
    }
    return 0;
}
