// zavrin-gallery OUTDIR [LANG]: starts Zavrin offscreen on the demo workspace and
// saves a picture of every window (the main window on each ribbon page, the find
// and replace dialogs and the replace question over a demo program), for the
// screenshot gallery and the help pages.
#include "app/AppState.h"
#include "app/Application.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "editor/CncEditor.h"
#include "editor/ConfirmReplaceDialog.h"
#include "editor/EditorArea.h"
#include "editor/GoToWindow.h"
#include "editor/TextSearchDialog.h"
#include "journalview/JournalCommands.h"
#include "journalview/JournalModel.h"
#include "journalview/JournalWindow.h"
#include "machines/MachinesWindow.h"
#include "machines/SerialPortsWindow.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/ProfileFile.h"
#include "platform/ScriptedDialogs.h"
#include "lang/Texts.h"
#include "platform/WindowRules.h"
#include "tools/RenumberWindow.h"
#include "tools/ToolSpinBox.h"
#include "transfer/SerialMonitorPanel.h"
#include "transfer/SerialSendWindow.h"
#include "view/ProgramViewPanel.h"

#include "JournalSamples.h"
#include "PtyPair.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QSerialPort>
#include <QTableView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QToolButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

bool save(QWidget *w, const QString &path)
{
    settle();
    const bool ok = w->grab().save(path);
    QTextStream(stdout) << (ok ? "saved " : "FAILED ") << path << "\n";
    return ok;
}

// Clicks the ribbon command that opens the find or replace dialog, types the texts
// in and saves the picture, as the operator would. The find dialog is cancelled;
// the replace dialog is confirmed, and the question the run asks at the first
// occurrence is saved too and answered with Cancel.
bool saveSearchDialog(const std::function<void()> &click, const QString &find, const QString &replaceWith,
                      const QString &path, const QString &confirmPath = QString())
{
    bool saved = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal)
            return;
        if (auto *dialog = qobject_cast<TextSearchDialog *>(modal)) {
            dialog->cbSearchText()->setCurrentText(find);
            if (dialog->cbReplaceText())
                dialog->cbReplaceText()->setCurrentText(replaceWith);
            saved = save(dialog, path);
            if (!confirmPath.isEmpty()) {
                dialog->BitBtn1Click();
                return;
            }
        } else if (qobject_cast<ConfirmReplaceDialog *>(modal)) {
            save(modal, confirmPath);
        }
        poll.stop();
        modal->reject();
    });
    poll.start();
    click();
    poll.stop();
    if (!saved)
        QTextStream(stdout) << "FAILED " << path << " (the dialog did not open)\n";
    return saved;
}

// Opens the Go-to window, types a block number in and saves the picture.
bool saveGoToWindow(EditorArea *editor, const QString &typed, const QString &path)
{
    bool saved = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *window = qobject_cast<GoToWindow *>(QApplication::activeModalWidget());
        if (!window)
            return;
        poll.stop();
        window->Edit1()->setText(typed);
        saved = save(window, path);
        window->reject();
    });
    poll.start();
    editor->showGoToWindow();
    poll.stop();
    if (!saved)
        QTextStream(stdout) << "FAILED " << path << " (the window did not open)\n";
    return saved;
}

// The journal window over generated transfers, the third newest selected.
void saveJournalWindow(const QString &path)
{
    JournalWindow *journal = journalWindow();
    if (!journal) {
        QTextStream(stdout) << "FAILED " << path << " (no journal window)\n";
        return;
    }
    const QVector<JournalEntry> entries = sampleJournal(100000, QDateTime(QDate(2026, 12, 1), QTime(7, 30), Qt::UTC));
    journal->setLoader([entries](QString *) { return entries; });
    journal->setCsvWriter(writeSampleCsv); // stands for the journal's own writer
    journal->resize(1400, 720);
    journal->show();
    journal->table()->setCurrentIndex(journal->model()->index(2, 0));
    save(journal, path);
    journal->hide();
}

// The serial send window with its line monitor open, sending a program to a machine played on a
// socat pty pair, which holds the line with XOFF for a moment and lets it go with XON.
void saveSerialMonitor(const QString &folder, const QString &path)
{
    PtyPair pty;
    QString error;
    if (!pty.start(folder, &error)) {
        QTextStream(stdout) << "FAILED " << path << " (" << error << ")\n";
        return;
    }
    ProfileFile(app().mainSettingsPath()).writeString(QStringLiteral("SERIALPORTS"), QStringLiteral("COM1"), pty.endA(), &error);
    QByteArray program = "%\nO1000 (FLANGE 80X12)\nG21 G90 G40\n";
    for (int n = 1; program.size() < 160 * 1024; ++n)
        program += "N" + QByteArray::number(n * 10) + " G1 X" + QByteArray::number(n % 97) + ".5 Y-" +
                   QByteArray::number(n % 31) + ".25 F800\n";
    const QString file = QDir(folder).filePath(QStringLiteral("O1000.nc"));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(program) != program.size()) {
        QTextStream(stdout) << "FAILED " << path << " (" << f.errorString() << ")\n";
        return;
    }
    f.close();
    auto *send = qobject_cast<TForm_Transfer_SERIAL232 *>(Application::window(QStringLiteral("Form_Transfer_SERIAL232")));
    QSerialPort machine(pty.endB());
    if (!send || !machine.open(QIODevice::ReadWrite)) {
        QTextStream(stdout) << "FAILED " << path << " (no window or no machine end)\n";
        return;
    }
    bool xoff = false;
    QObject::connect(&machine, &QSerialPort::readyRead, &machine, [&] {
        machine.readAll();
        if (xoff)
            return;
        xoff = true;
        machine.write("\x13"); // XOFF
        QTimer::singleShot(1100, &machine, [&] { machine.write("\x11"); }); // XON
    });
    SerialTables::SerialCodes codes;
    codes.portName = QStringLiteral("COM1");
    codes.speed = QStringLiteral("13");
    codes.dataBits = QStringLiteral("4");
    codes.parity = QStringLiteral("3");
    codes.stopBits = QStringLiteral("2");
    codes.flow = QStringLiteral("4"); // SOFTWARE
    send->prepareSend(file, codes);
    WindowRules::setRibbonCaption(send, T("Form_Transfer_SERIAL232.Ribbon1"));
    send->adjustSize();
    send->show();
    send->findChild<QPushButton *>(QStringLiteral("MonitorButton"))->click();
    send->resize(760, 745); // the offscreen screen is smaller than a shop's: the window would stop at its height
    // Taken after the XON, while the rest of the program goes out.
    QTimer::singleShot(1500, send, [&] {
        // Scrolled back to where the line was held (the first marked line after data), as the
        // operator would look at it.
        auto *monitor = send->findChild<SerialMonitorPanel *>(QStringLiteral("MonitorPanel"));
        monitor->look();
        const SerialMonitorLog &log = monitor->log();
        qsizetype held = -1;
        for (qsizetype i = 0; i < log.lineCount() && held < 0; ++i)
            if (log.line(i).kind == SerialMonitorLog::Kind::Mark && i > 2 && log.line(i - 1).kind == SerialMonitorLog::Kind::Out)
                held = i;
        if (held >= 0)
            monitor->view()->verticalScrollBar()->setValue(int(qMax<qsizetype>(0, held - 6)));
        save(send, path);
        send->BitBtn3Click();
    });
    send->BitBtn1Click();
    send->findChild<QPushButton *>(QStringLiteral("MonitorButton"))->click();
    send->hide();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: zavrin-gallery OUTDIR [EN|PT-BR|ES|FR|DE]\n";
        return 2;
    }
    const QString out = args.at(1);
    const QString language = args.size() > 2 ? args.at(2) : QStringLiteral("EN");
    QDir().mkpath(out);

    // Nobody answers message boxes here: they are recorded and reported instead.
    ScriptedDialogs dialogsForPictures;
    Application::Options options;
    options.showSplash = false;
    options.maximise = false;
    TForm_Main *main = Application::createWindows(options);
    app().LanguageCode = language;
    app().HelpDirectory = app().helpDirectoryFor(language);
    Application::firstShow(main, options);
    main->resize(1440, 860);

    const QString suffix = QLatin1Char('-') + language.toLower() + QStringLiteral(".png");
    // The editor page is taken at the end, with a program open.
    const char *pages[] = {"main-browser", "main-machines"};
    for (int page = 0; page < 2; ++page) {
        main->ribbonPages()->setCurrentIndex(page);
        save(main, out + QLatin1Char('/') + QLatin1String(pages[page]) + suffix);
    }

    // The help window, asked from the browser page, after a search ("FTP" reads the
    // same in every language).
    main->ribbonPages()->setCurrentIndex(0);
    main->helpButtonClick();
    if (HelpWindow *help = HelpWindow::instance()) {
        help->resize(1100, 720);
        help->findChild<QLineEdit *>(QStringLiteral("HelpSearchEdit"))->setText(QStringLiteral("FTP"));
        help->searchClick();
        save(help, out + QStringLiteral("/form-help") + suffix);
        help->hide();
    }

    for (QWidget *w : Application::windows()) {
        auto *dialog = qobject_cast<QDialog *>(w);
        if (!dialog || w->objectName() == QLatin1String("Form_Imagens"))
            continue;
        const QString name = w->objectName().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
        if (auto *machines = qobject_cast<TForm_Maquinas *>(w)) {
            machines->prepare(TForm_Maquinas::Mode::Register);
            machines->show();
            for (int type = 1; type <= 4; ++type) {
                if (type == 2)
                    continue;
                machines->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setCurrentIndex(type);
                machines->ComboBox1Change();
                machines->findChild<QComboBox *>(QStringLiteral("ComboBox2"))->setCurrentIndex(type);
                machines->ComboBox2Change();
                // The serial page with a port chosen shows the device it stands for.
                machines->findChild<QComboBox *>(QStringLiteral("ComboBox3"))->setCurrentIndex(type == 4 ? 1 : 0);
                // Automatic receive on, so that its fields show as they are used.
                machines->findChild<QCheckBox *>(QStringLiteral("DncAutoReceive"))->setChecked(type == 4);
                save(machines, out + QLatin1Char('/') + name + QStringLiteral("-page%1").arg(type) + suffix);
            }
            // The window that sets the devices of the serial ports, from the serial page.
            SerialPortsWindow ports(QStringLiteral("/dev"), machines);
            ports.load(QStringLiteral("COM1"));
            // A port on a serial device server in the network, as typed.
            ports.deviceField(QStringLiteral("COM3"))->setEditText(QStringLiteral("rfc2217://192.168.10.31:4001"));
            ports.show();
            save(&ports, out + QStringLiteral("/form-serialports") + suffix);
            ports.hide();
            machines->hide();
            continue;
        }
        dialog->adjustSize();
        dialog->show();
        save(dialog, out + QLatin1Char('/') + name + suffix);
        dialog->hide();
    }
    // The find and replace dialogs are made when they are used: open a demo program
    // in the editor, then click Find and Replace and type the texts in.
    main->ribbonPages()->setCurrentIndex(2);
    QApplication::setCursorFlashTime(0); // the caret in the typed text is always drawn
    EditorArea *editor = EditorArea::instance();
    const QString program =
        QStringLiteral("demo/programs/VMC-850/vscode-gcode_haas-style-profile_pct-o-number-ij-arcs.nc");
    try {
        editor->FUNC_Abrir_Arquivo(QDir(app().AppDirectory).filePath(program));
    } catch (const Error &error) {
        QTextStream(stderr) << "demo program: " << error.message() << "\n";
    }
    settle();
    const QString find = QStringLiteral("G01");
    saveSearchDialog([editor] { editor->SpeedButton27Click(); }, find, QString(),
                     out + QStringLiteral("/form-find") + suffix);
    saveSearchDialog([editor] { editor->SpeedButton30Click(); }, find, QStringLiteral("G1"),
                     out + QStringLiteral("/form-replace") + suffix,
                     out + QStringLiteral("/confirmreplacedialog") + suffix);
    saveGoToWindow(editor, QStringLiteral("N1234"), out + QStringLiteral("/form-goto") + suffix);

    // The editor page once more, at work: the program coloured, renumbered by the
    // block numbering tool, and the messages panel holding what was done.
    if (auto *renumber = qobject_cast<TForm_EDT2 *>(Application::window(QStringLiteral("Form_EDT2")))) {
        renumber->CheckBox3()->setChecked(true);
        renumber->SpinEdit4()->setValue(10);
        renumber->SpinEdit5()->setValue(10);
        renumber->BitBtn1Click();
        renumber->hide();
    }
    if (QWidget *messages = Application::window(QStringLiteral("Form_MSG")))
        if (auto *tree = messages->findChild<QTreeWidget *>(QStringLiteral("TreeView1")))
            tree->expandAll();
    main->showNormal(); // a run maximises the main window: the offscreen screen is small
    main->resize(1440, 860);
    save(main, out + QStringLiteral("/main-editor") + suffix);

    // The program view beside the editor, on a real program of the demo.
    try {
        editor->FUNC_Abrir_Arquivo(QDir(app().AppDirectory)
                                       .filePath(QStringLiteral(
                                           "demo/programs/VMC-850/cncjs_circle-diamond-square_n-every-line-no-final-eol.gcode")));
    } catch (const Error &error) {
        QTextStream(stderr) << "demo program: " << error.message() << "\n";
    }
    auto *viewButton = main->findChild<QToolButton *>(QStringLiteral("SpeedButtonProgramView"));
    auto *view = main->findChild<ProgramViewPanel *>(QStringLiteral("ProgramView"));
    if (viewButton && view) {
        if (QWidget *messages = main->Panel7())
            messages->hide(); // room for the path
        viewButton->setChecked(true);
        settle();
        QElapsedTimer waited;
        waited.start();
        while (view->isReading() && waited.elapsed() < 10000) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        if (EditorArea::instance()->CurrentEditor())
            EditorArea::instance()->CurrentEditor()->setCursorPosition(12, 0); // a highlighted segment
        save(main, out + QStringLiteral("/main-view") + suffix);
    }

    saveJournalWindow(out + QStringLiteral("/form-journal") + suffix);
    saveSerialMonitor(QStringLiteral("/var/tmp/zavrin-gallery"), out + QStringLiteral("/form-transfer-serial232-monitor") + suffix);

    for (const QString &message : dialogsForPictures.messages())
        QTextStream(stderr) << "message shown: " << message << "\n";
    Application::destroyWindows();
    return 0;
}
