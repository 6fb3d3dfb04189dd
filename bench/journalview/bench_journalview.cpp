// The journal window over generated entries (default 100,000): opening it, filtering through
// its controls, sorting and scrolling, each with the time of the same selection done by a bare
// loop over the entries as a baseline. Not a test: prints the figures.

#include "JournalSamples.h"

#include "journalview/JournalModel.h"
#include "journalview/JournalWindow.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// Milliseconds of `action` followed by the window's repaint.
double timed(QWidget *window, const std::function<void()> &action)
{
    QElapsedTimer t;
    t.start();
    action();
    window->repaint();
    settle();
    return double(t.nsecsElapsed()) / 1e6;
}

double baseline(const QVector<JournalEntry> &entries, const std::function<bool(const JournalEntry &)> &keep)
{
    QElapsedTimer t;
    t.start();
    volatile qsizetype n = std::count_if(entries.begin(), entries.end(), keep);
    (void)n;
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    Texts::FUNC_Textos_EN();
    ScriptedDialogs dialogs;
    const QVector<JournalEntry> entries = sampleJournal(count);

    JournalWindow window;
    window.setLoader([&](QString *) { return entries; });
    std::printf("Platform %s, %d entries\n", qPrintable(QApplication::platformName()), count);
    const double open = timed(&window, [&] { window.show(); });
    QElapsedTimer copy;
    copy.start();
    volatile qsizetype copied = QVector<JournalEntry>(entries).size(); // what the loader's copy costs
    (void)copied;
    std::printf("%-44s %8.1f ms  (copying the entries: %.1f ms)\n", "open: show, read, prepare, first paint", open,
                double(copy.nsecsElapsed()) / 1e6);

    auto *machine = window.findChild<QComboBox *>(QStringLiteral("JournalMachine"));
    auto *medium = window.findChild<QComboBox *>(QStringLiteral("JournalMedium"));
    auto *outcome = window.findChild<QComboBox *>(QStringLiteral("JournalOutcome"));
    auto *text = window.findChild<QLineEdit *>(QStringLiteral("JournalFileText"));
    struct Case
    {
        const char *what;
        std::function<void()> apply;
        std::function<bool(const JournalEntry &)> keep;
    };
    const Case cases[] = {
        {"filter: machine", [&] { machine->setCurrentIndex(2); },
         [](const JournalEntry &e) { return e.machineId == QLatin1String("2"); }},
        {"  + outcome", [&] { outcome->setCurrentIndex(1); },
         [](const JournalEntry &e) { return e.machineId == QLatin1String("2") && e.outcome == JournalEntry::Outcome::Done; }},
        {"  + file name text \"o12\"", [&] { text->setText(QStringLiteral("o12")); },
         [](const JournalEntry &e) {
             return e.machineId == QLatin1String("2") && e.outcome == JournalEntry::Outcome::Done
                    && e.localPath.contains(QLatin1String("o12"), Qt::CaseInsensitive);
         }},
        {"clear: everything shown", [&] { window.clearFilterClick(); }, [](const JournalEntry &) { return true; }},
        {"filter: way FTP", [&] { medium->setCurrentIndex(2); },
         [](const JournalEntry &e) { return e.medium == JournalEntry::Medium::Ftp; }},
        {"file name text matching nothing", [&] { window.clearFilterClick(); text->setText(QStringLiteral("zzz")); },
         [](const JournalEntry &e) { return e.localPath.contains(QLatin1String("zzz"), Qt::CaseInsensitive); }},
        {"file name text, typed \"O1\" one letter at a time",
         [&] {
             window.clearFilterClick();
             text->setText(QStringLiteral("O"));
             text->setText(QStringLiteral("O1"));
         },
         [](const JournalEntry &e) { return e.localPath.contains(QLatin1String("O1"), Qt::CaseInsensitive); }},
    };
    for (const Case &c : cases) {
        const double ms = timed(&window, c.apply);
        const double base = baseline(entries, c.keep);
        std::printf("%-44s %8.1f ms  %6d rows  (bare loop: %.1f ms)\n", c.what, ms, window.model()->rowCount(), base);
    }
    window.clearFilterClick();
    for (const auto &[column, name] : {std::pair{int(JournalModel::File), "sort: local file"},
                                       std::pair{int(JournalModel::Bytes), "sort: bytes"},
                                       std::pair{int(JournalModel::Time), "sort: time, newest first"}}) {
        const double ms = timed(&window, [&, column = column] {
            window.table()->sortByColumn(column, column == JournalModel::Time ? Qt::DescendingOrder : Qt::AscendingOrder);
        });
        std::printf("%-44s %8.1f ms\n", name, ms);
    }
    QScrollBar *bar = window.table()->verticalScrollBar();
    double worst = 0, total = 0;
    const int steps = 50;
    for (int i = 0; i < steps; ++i) {
        const double ms = timed(&window, [&] { bar->setValue(int(qint64(bar->maximum()) * i / (steps - 1))); });
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf("%-44s %8.1f ms mean, %.1f ms worst\n", "scroll: a jump and a repaint, 50 places", total / steps, worst);
    return 0;
}
