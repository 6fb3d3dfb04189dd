// zavrin-newdb LOCATION [--demo] [--machines N]: creates an empty machine database, or
// one with demo machines of every transfer type (their folders beside the file).
// zavrin-newdb --copy FROM TO [--replace]: copies a whole register between two
// locations. A location is a file path or a postgresql:// URL.
#include "DatabaseSchema.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {
const char Usage[] =
    "usage: zavrin-newdb LOCATION [--demo] [--machines N] [--root DIR]\n"
    "       zavrin-newdb --copy FROM TO [--replace]\n"
    "Creates a machine database. LOCATION is a new SQLite file, or the URL of an\n"
    "existing, empty PostgreSQL database (postgresql://user@host:5432/dbname; the\n"
    "password comes from the pgpass file or PGPASSWORD, never from the URL).\n"
    "--demo adds machines of every transfer type; --machines adds N more directory\n"
    "machines (for benchmarks); --root is the folder that holds the demo machines'\n"
    "program folders (default: beside LOCATION, or the current folder for a server);\n"
    "a relative DIR is stored as it is and read relative to the application folder.\n"
    "--copy copies every machine with its ids, parameter rows and dates from FROM to\n"
    "TO (creating TO's tables when it has none); a TO that holds machines is refused\n"
    "unless --replace is given, which replaces them.\n";
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication a(argc, argv);
    QStringList args = a.arguments().mid(1);
    QTextStream err(stderr);
    bool demo = false;
    bool copy = false;
    bool replace = false;
    int extra = 0;
    QStringList locations;
    QString root;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--demo")) {
            demo = true;
        } else if (arg == QLatin1String("--copy")) {
            copy = true;
        } else if (arg == QLatin1String("--replace")) {
            replace = true;
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
            QTextStream(stdout) << Usage;
            return 0;
        } else if (!arg.startsWith(QLatin1String("--"))) {
            locations << arg;
        } else {
            err << "zavrin-newdb: unknown argument \"" << arg << "\"\n";
            return 2;
        }
    }
    if (copy ? (locations.size() != 2 || demo || extra > 0) : (locations.size() != 1 || replace)) {
        err << Usage;
        return 2;
    }
    try {
        if (copy) {
            const DatabaseSchema::CopyCount n = DatabaseSchema::copyDatabase(locations.at(0), locations.at(1), replace);
            QTextStream(stdout) << "zavrin-newdb: copied " << n.machines << " machines, " << n.pathRows
                                << " directory rows, " << n.ftpRows << " FTP rows and " << n.serialRows
                                << " serial rows from " << locations.at(0) << " to " << locations.at(1) << "\n";
        } else {
            DatabaseSchema::createDatabase(locations.at(0), demo || extra > 0, root, extra);
        }
    } catch (const Error &e) {
        err << "zavrin-newdb: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
