// zavrin-dnc: automatic receive and remote request for every serial machine that has them on,
// without a display. Reads the same Zavrin.ini and machine database as the application, logs
// to standard error for the system journal, reads the machines again on SIGHUP and stops on
// SIGTERM or SIGINT once the transfers in progress are over (or cut, leaving no file behind).

#include "DncService.h"
#include "ServiceLog.h"

#include "app/AppState.h"
#include "app/Settings.h"
#include "journal/JournalRecorder.h"
#include "journal/JournalSettings.h"
#include "machines/Database.h"
#include "platform/Error.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const char c = char(signal);
    // Nothing else is safe in a signal handler; the event loop reads the byte.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

const char *const Usage =
    "Usage: zavrin-dnc [--ini PATH]\n"
    "\n"
    "Automatic receive and remote request for every serial machine of the Zavrin machine\n"
    "database that has them on. Runs without a display; logs to standard error.\n"
    "\n"
    "  --ini PATH   the main settings file (default: Zavrin.ini beside this program)\n"
    "  --help       this text\n"
    "\n"
    "Signals: SIGHUP reads the settings and the machines again; SIGTERM and SIGINT stop once\n"
    "the transfers in progress are over (a receive still running after 5 s is cut, and nothing\n"
    "of it is stored).\n";

void logMessage(MachineListener::Severity s, const QString &text, const QString &) { ServiceLog::write(int(s), text); }

// Reads Zavrin.ini and opens the database it names; false (logged) when it cannot.
bool openDatabase()
{
    Settings::FUNC_LeIni(app());
    if (app().DatabaseFile.isEmpty()) {
        ServiceLog::write(3, QStringLiteral("%1 names no machine database ([DIRBD] VALUE).").arg(app().mainSettingsPath()));
        return false;
    }
    try {
        TDataModule1::instance().DataModuleCreate(app().DatabaseFile);
    } catch (const Error &e) {
        ServiceLog::write(3, e.message());
        return false;
    }
    return true;
}

bool reload(DncService &service)
{
    if (!openDatabase())
        return false;
    try {
        const int n = service.reload();
        if (n == 0)
            ServiceLog::write(5, QStringLiteral("No serial machine has automatic receive on; waiting for SIGHUP."));
        else
            ServiceLog::write(6, QStringLiteral("%1 machine(s) on automatic receive.").arg(n));
    } catch (const Error &e) {
        ServiceLog::write(3, e.message());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zavrin-dnc"));
    ServiceLog::installQtMessageHandler();

    QString ini;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--help") || args.at(i) == QLatin1String("-h")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (args.at(i) == QLatin1String("--ini") && i + 1 < args.size()) {
            ini = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1String("--ini="))) {
            ini = args.at(i).mid(6);
        } else {
            std::fprintf(stderr, "zavrin-dnc: unknown argument \"%s\"\n\n%s", qPrintable(args.at(i)), Usage);
            return 2;
        }
    }

    if (ini.isEmpty()) {
        app().AppDirectory = Paths::withTrailingSeparator(QCoreApplication::applicationDirPath());
    } else {
        const QFileInfo info(ini);
        app().AppDirectory = Paths::withTrailingSeparator(info.absolutePath());
        app().MainSettingsFile = info.absoluteFilePath();
    }
    if (!QFileInfo::exists(app().mainSettingsPath())) {
        ServiceLog::write(3, QStringLiteral("The settings file %1 does not exist.").arg(app().mainSettingsPath()));
        return 1;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        ServiceLog::write(3, QStringLiteral("Unable to set up signal handling."));
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : {SIGTERM, SIGINT, SIGHUP})
        sigaction(s, &action, nullptr);

    // The journal named in the settings, as the application writes it: an entry that cannot
    // be written is kept and tried again, and the failure is logged once.
    JournalRecorder recorder(JournalSettings::location(app().mainSettingsPath()));
    JournalRecorder::setCurrent(&recorder);
    recorder.setFailureReport([](const QString &message) { ServiceLog::write(3, message); });

    DncService service(app().mainSettingsPath());
    service.journal = [&recorder](const JournalEntry &entry) { recorder.record(entry); };
    QObject::connect(&service, &DncService::message, &service, &logMessage);
    QObject::connect(&service, &DncService::stopped, &application, [] {
        ServiceLog::write(6, QStringLiteral("Stopped."));
        QCoreApplication::exit(0);
    });

    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    bool stopping = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, &service, [&] {
        char c = 0;
        if (::read(g_signalPipe[0], &c, 1) != 1)
            return;
        if (c == SIGHUP && !stopping) {
            ServiceLog::write(6, QStringLiteral("Reading the machines again."));
            reload(service);
        } else if (c == SIGTERM || c == SIGINT) {
            if (!stopping)
                ServiceLog::write(6, QStringLiteral("Stopping."));
            stopping = true;
            service.stop(DncService::StopGrace);
        }
    });

    ServiceLog::write(6, QStringLiteral("Starting with %1.").arg(app().mainSettingsPath()));
    if (!reload(service))
        return 1;
    return QCoreApplication::exec();
}
