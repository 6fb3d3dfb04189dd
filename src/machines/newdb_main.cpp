// zavrin-newdb PATH [--demo] [--machines N]: creates an empty machine database, or
// one with demo machines of every transfer type (their folders beside the file).
#include "DatabaseSchema.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication a(argc, argv);
    QStringList args = a.arguments().mid(1);
    QTextStream err(stderr);
    bool demo = false;
    int extra = 0;
    QString path;
    QString root;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--demo")) {
            demo = true;
        } else if (arg == QLatin1String("--machines") && i + 1 < args.size()) {
            bool ok = false;
            extra = args.at(++i).toInt(&ok);
            if (!ok || extra < 0) {
                err << "zavrin-newdb: --machines needs a count, not \"" << args.at(i) << "\"\n";
                return 2;
            }
        } else if (arg == QLatin1String("--root") && i + 1 < args.size()) {
            root = args.at(++i);
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            QTextStream(stdout) << "usage: zavrin-newdb PATH [--demo] [--machines N] [--root DIR]\n"
                                   "Creates a machine database. --demo adds machines of every transfer type;\n"
                                   "--machines adds N more directory machines (for benchmarks); --root is the folder\n"
                                   "that holds the demo machines' program folders (default: beside PATH); a relative\n"
                                   "DIR is stored as it is and read relative to the application folder.\n";
            return 0;
        } else if (path.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            path = arg;
        } else {
            err << "zavrin-newdb: unknown argument \"" << arg << "\"\n";
            return 2;
        }
    }
    if (path.isEmpty()) {
        err << "usage: zavrin-newdb PATH [--demo] [--machines N]\n";
        return 2;
    }
    try {
        DatabaseSchema::createDatabase(path, demo || extra > 0, root, extra);
    } catch (const Error &e) {
        err << "zavrin-newdb: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
