#include "Application.h"

#include "AppState.h"
#include "HelpWindow.h"
#include "QtTranslations.h"
#include "MainWindow.h"
#include "MessagesWindow.h"
#include "SplashWindow.h"
#include "Startup.h"
#include "WindowFactories.h"
#include "lang/ApplyLanguage.h"
#include "journal/JournalRecorder.h"
#include "journal/JournalSettings.h"
#include "lang/Texts.h"
#include "machines/Database.h"
#include "machines/MachinesWindow.h"
#include "dnc/AppDnc.h"
#include "editor/OpenFromBrowser.h"
#include "journalview/JournalCommands.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/WindowRules.h"

#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>

namespace Application {

namespace {
QList<QWidget *> g_windows;
QPointer<TForm_Screen> g_splash;

void add(QWidget *w)
{
    g_windows.append(w);
    // Secondary dialogs never stay maximised.
    if (qobject_cast<QDialog *>(w) && w->objectName() != QLatin1String("Form_Screen")
        && w->objectName() != QLatin1String("Form_EDT_Progress"))
        WindowRules::keepNormalWhenMaximised(w);
}
} // namespace

// The journal of the run's transfers: written as each transfer ends; a failure to write
// it is told once in the messages panel and in the error box, and the transfers go on.
void installJournal(TForm_Main *main)
{
    auto *recorder = new JournalRecorder(JournalSettings::location(app().mainSettingsPath()), main);
    JournalRecorder::setCurrent(recorder);
    recorder->setFailureReport([](const QString &message) {
        if (MessageReport *panel = messageReport())
            panel->report(QString(), Texts::extra("Extra.JournalPanelTitle"), {message}, MessageReport::Tone::Alarm);
        dialogs().errorBox(message);
    });
}

const QList<QWidget *> &windows() { return g_windows; }

QWidget *window(const QString &objectName)
{
    for (QWidget *w : g_windows) {
        if (w->objectName() == objectName)
            return w;
    }
    return nullptr;
}

TForm_Main *createWindows(const Options &options)
{
    QApplication::setApplicationName(QStringLiteral("Zavrin"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/zavrin.png")));

    // 1. The main window: settings first, everything else reads them.
    Startup::initialiseState(app(), options.appDirectory.isEmpty() ? Paths::applicationDirectory()
                                                                   : options.appDirectory);
    auto *main = new TForm_Main;
    g_windows.append(main);

    // 2. The splash: its timers run from now.
    g_splash = new TForm_Screen;
    add(g_splash);

    // 3. The database connection; a failure is shown and start-up goes on. A
    // server that wants a password libpq did not find asks for it here.
    TDataModule1::setPasswordPrompt([](const QString &user, const QString &server) {
        return dialogs().askText(nullptr, Texts::extra("Extra.ServerPassword").arg(user, server), QString(), true);
    });
    guarded([] { TDataModule1::instance().DataModuleCreate(app().DatabaseFile); });

    // 4. The remaining windows, in their fixed order.
    using Factory = QWidget *(*)();
    const Factory factories[] = {
        createForm_Imagens,       createForm_Maquinas,     createForm_Selecionar_Maquina,
        createForm_EDT1,          createForm_EDT_Progress, createForm_EDT2,
        createForm_EDT3,          createForm_EDT4,         createForm_EDT5,
        nullptr /* messages */,   createForm_EDT_COR,      createForm_DIR,
        createForm_Transfer_FTP,  createForm_Transfer_DIR, createForm_Transfer_SERIAL232,
        createForm_Font,          createForm_Transfer_SERIAL232_R, createForm_Config,
        createForm_EDT7,
    };
    for (Factory f : factories) {
        if (f) {
            add(f());
        } else {
            auto *messages = new TForm_MSG(main->Panel7());
            messages->hide();
            g_windows.append(messages);
            setMessageReport(messages);
        }
    }

    installJournal(main);
    installMachineListArea(main);
    installBrowserArea(main);
    installEditorArea(main);
    installToolCommands(main);
    installProgramViewCommands(main);
    installTransferCommands(main);
    installJournalCommands(main);
    installSettingsCommands(main);
    installRegistrationCommands(main);
    AppDnc::install(main);
    installOpenFromBrowser(main);
    setHelpViewer([](const QString &path) { HelpWindow::showHelpPage(path); });
    WindowRules::keepCaptionsAsTitles();
    return main;
}

void applyLanguage()
{
    Startup::runLanguage(app());
    QtTranslations::install(app().LanguageCode, app().AppDirectory);
    FUNC_Aplicar_Idioma(g_windows);
    if (!g_windows.isEmpty())
        applyProgramViewTexts(g_windows.first());
    if (auto *main = qobject_cast<TForm_Main *>(g_windows.value(0)))
        applyJournalTexts(main);
    for (QWidget *w : g_windows) {
        if (w->isWindow() && w != g_windows.first()) // the main window keeps its own caption
            WindowRules::showCaptionAsTitle(w);
    }
    if (HelpWindow *help = HelpWindow::instance())
        help->retranslate();
}

void firstShow(TForm_Main *main, const Options &options)
{
    suppressSystemErrorDialogs();
    applyLanguage();
    if (options.showSplash && g_splash)
        g_splash->exec();
    if (options.maximise) {
        // Without a window manager "maximised" alone does not fill the screen.
        if (QScreen *screen = main->screen())
            main->setGeometry(screen->availableGeometry());
        main->showMaximized();
    }
    else
        main->show();
    // The machine lists need the database: when that fails, the rest of the show
    // step is skipped and the user can pick another database in the settings.
    if (!guarded([main] { startMachineLists(main); }))
        return;
    main->showMessagesPanel();
    main->ribbonPages()->setCurrentIndex(0);
    main->FUNC_ViewRibbon(0);
    refreshBrowserColumns(main);
    main->update();
    AppDnc::start();
}

void destroyWindows()
{
    // A program the control is punching out right now is stored as received so far.
    AppDnc::shutdown();
    setHelpViewer({});
    HelpWindow::destroy();
    setMessageReport(nullptr);
    QList<QWidget *> windows = g_windows;
    g_windows.clear();
    // Children of the main window (the messages panel) go with it.
    for (int i = windows.size() - 1; i >= 0; --i) {
        QWidget *w = windows.at(i);
        if (!w->parent())
            delete w;
    }
}

int run(int argc, char **argv)
{
    QApplication application(argc, argv);
    Options options;
    TForm_Main *main = createWindows(options);
    firstShow(main, options);
    const int result = application.exec();
    destroyWindows();
    return result;
}

} // namespace Application
