#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "ftp/FtpTestServer.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachineOptions.h"
#include "machines/MachinesWindow.h"
#include "machines/SerialPortsWindow.h"
#include "platform/Paths.h"
#include "platform/ftp/FtpClient.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/SerialPortNames.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "serial/PtyPair.h"
#include "serial/Ser2NetServer.h"
#include "platform/serial/SerialPortLock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTcpServer>
#include <QTreeWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class tst_MachinesWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void registerWithEveryFieldBlank();
    void registerTrimsAndChangeKeepsAsTyped();
    void networkDirectoryIsStoredAsDirnet();
    void ftpToSerialAndBackKeepsOneRowPerTable();
    void ftpMachineWithoutRowGetsOneOnChange();
    void verifyByReadingBackIsKeptInTheSettings();
    void noRowUnderCursor();
    void machineDeletedElsewhere();
    void viewIsReadOnlyButTestsRun();
    void passwordIsMasked();
    void folderButtonAddsSeparator();
    void ftpTest();
    void ftpTestSaysWhy_data();
    void ftpTestSaysWhy();
    void ftpTestConnectingCanBeCancelled();
    void serialTest();
    void serialTestThroughDeviceServer();
    void portListShowsDevices();
    void devicesWindowWritesSerialPorts();
    void devicesWindowTakesNetworkPorts();
    void devicesButtonOpensTheWindow();

private:
    TForm_Maquinas *w() { return TForm_Maquinas::instance(); }
    QLineEdit *edit(const char *name) { return w()->findChild<QLineEdit *>(QLatin1String(name)); }
    QComboBox *combo(const char *name) { return w()->findChild<QComboBox *>(QLatin1String(name)); }
    void choose(const char *name, int position);
    void fillMachine(const char *number, const char *description);
    int rows(const char *table, const QString &id);
    void openEdit(const QString &id);
    // A scratch folder standing for /dev, with links to the ends of a pty pair.
    QString scratchDevices(const PtyPair &pty);
    void ftpFields(quint16 port, const QString &password);

    QTemporaryDir m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    QString m_cursorId;
    int m_db = 0;
};

void tst_MachinesWindow::initTestCase()
{
    TForm_Maquinas::listCursorMachineId = [this]() -> std::optional<QString> { return m_cursorId; };
}

void tst_MachinesWindow::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    const QString db = m_dir.filePath(QStringLiteral("m%1.db").arg(++m_db));
    DatabaseSchema::createDatabase(db, false);
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\nVALUE=" + db.toUtf8() + "\n[LANGUAGE]\nVALUE=EN\n");
    m_main = startWindows(m_dir.path());
    m_dialogs->clear();
    m_cursorId.clear();
}

void tst_MachinesWindow::cleanup()
{
    Application::destroyWindows();
    delete m_shell;
    delete m_dialogs;
}

void tst_MachinesWindow::choose(const char *name, int position)
{
    combo(name)->setCurrentIndex(position);
    if (QByteArray(name) == "ComboBox1")
        w()->ComboBox1Change();
    else if (QByteArray(name) == "ComboBox2")
        w()->ComboBox2Change();
}

void tst_MachinesWindow::fillMachine(const char *number, const char *description)
{
    edit("Edit1")->setText(QLatin1String(number));
    edit("Edit2")->setText(QString::fromUtf8(description));
    choose("ComboBox2", 4);
    edit("Edit9")->setText(QStringLiteral("/progs/"));
}

int tst_MachinesWindow::rows(const char *table, const QString &id)
{
    QSqlQuery q(QSqlDatabase::database(QLatin1String(TDataModule1::MainConnection)));
    q.exec(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE ID_MAQUINA=%2").arg(QLatin1String(table), id));
    q.next();
    return q.value(0).toInt();
}

void tst_MachinesWindow::openEdit(const QString &id)
{
    m_cursorId = id;
    w()->prepare(TForm_Maquinas::Mode::Edit);
    app().EditMachineId = id;
    w()->FUNC_Listar_BD_Maquinas(id);
}

void tst_MachinesWindow::registerWithEveryFieldBlank()
{
    w()->prepare(TForm_Maquinas::Mode::Register);
    w()->show();
    w()->BitBtn1Click();
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("INFORMATION: Please fill the \"Machine Number\" field.")});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);
    QCOMPARE(w()->focusWidget(), edit("Edit1"));
    QVERIFY(TDataModule1::instance().allMachines().isEmpty());

    // Only the chosen type's page is checked, in order.
    fillMachine("7", "Mill");
    choose("ComboBox1", 3);
    edit("Edit4")->setText(QStringLiteral("host"));
    m_dialogs->clear();
    w()->BitBtn1Click();
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("INFORMATION: Please fill the \"Port\" field.")});
    QCOMPARE(w()->focusWidget(), edit("Edit5"));
    w()->hide();
}

void tst_MachinesWindow::registerTrimsAndChangeKeepsAsTyped()
{
    w()->prepare(TForm_Maquinas::Mode::Register);
    fillMachine("  42 ", "O'Neil's \"big\" lathe ");
    choose("ComboBox1", 1);
    edit("Edit3")->setText(QStringLiteral(" /share/m42/ "));
    bool refreshed = false;
    TForm_Maquinas::refreshMachineList = [&refreshed] { refreshed = true; };
    w()->BitBtn1Click();
    TForm_Maquinas::refreshMachineList = nullptr;
    QVERIFY(refreshed);
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("INFORMATION: Register New Machine \"O'Neil's \"big\" lathe \" performed successfully."));
    const QString id = app().EditMachineId;
    const auto m = TDataModule1::instance().loadMachine(id);
    QCOMPARE(m->number, QStringLiteral("42"));
    QCOMPARE(m->description, QStringLiteral("O'Neil's \"big\" lathe"));
    QCOMPARE(m->transferType, QStringLiteral("DIRLOCAL"));
    QCOMPARE(m->pictureId, QStringLiteral("4"));
    // Parameters are stored as typed.
    QCOMPARE(TDataModule1::instance().loadPathParameters(id).directory, QStringLiteral(" /share/m42/ "));

    openEdit(id);
    QCOMPARE(edit("Edit1")->text(), QStringLiteral("42"));
    QCOMPARE(edit("Edit3")->text(), QStringLiteral(" /share/m42/ "));
    edit("Edit1")->setText(QStringLiteral(" 42 "));
    w()->BitBtn2Click();
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("INFORMATION: Data Editing Machine \"O'Neil's \"big\" lathe\" performed successfully."));
    QCOMPARE(TDataModule1::instance().loadMachine(id)->number, QStringLiteral(" 42 "));
    QCOMPARE(rows("ZVRD_PATH", id), 1);
}

void tst_MachinesWindow::networkDirectoryIsStoredAsDirnet()
{
    MachineRecord m;
    m.number = QStringLiteral("1");
    m.description = QStringLiteral("Old");
    m.transferType = QStringLiteral("DIRREDE");
    m.pictureId = QStringLiteral("2");
    m.programDirectory = QStringLiteral("/p/");
    const QString id = TDataModule1::instance().insertMachine(m);
    TDataModule1::instance().insertPathParameters(id, {QStringLiteral("//server/cnc/")});
    openEdit(id);
    QCOMPARE(combo("ComboBox1")->currentIndex(), 2);
    QCOMPARE(w()->ChosenTransferType, QStringLiteral("DIRNET"));
    auto *pages = w()->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    QVERIFY(pages->isTabVisible(0));
    QVERIFY(!pages->isTabVisible(1));
    QCOMPARE(pages->tabText(0), QStringLiteral("Transfer Parameters Network Directory"));
    w()->BitBtn2Click();
    QCOMPARE(TDataModule1::instance().loadMachine(id)->transferType, QStringLiteral("DIRNET"));
}

void tst_MachinesWindow::ftpToSerialAndBackKeepsOneRowPerTable()
{
    w()->prepare(TForm_Maquinas::Mode::Register);
    fillMachine("5", "Lathe");
    choose("ComboBox1", 3);
    for (const char *name : {"Edit4", "Edit5", "Edit6", "Edit7", "Edit8"})
        edit(name)->setText(QStringLiteral("x"));
    w()->BitBtn1Click();
    const QString id = app().EditMachineId;

    openEdit(id);
    choose("ComboBox1", 4);
    for (const char *name : {"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6", "ComboBox7", "ComboBox8"})
        combo(name)->setCurrentIndex(2);
    w()->BitBtn2Click();
    QCOMPARE(rows("ZVRD_FTP", id), 1);
    QCOMPARE(rows("ZVRD_SERIAL", id), 1);
    QCOMPARE(TDataModule1::instance().loadSerialParameters(id).port, QStringLiteral("COM2"));

    openEdit(id);
    QCOMPARE(combo("ComboBox8")->currentIndex(), 2);
    choose("ComboBox1", 3);
    for (const char *name : {"Edit5", "Edit6", "Edit7", "Edit8"})
        edit(name)->setText(QStringLiteral("y"));
    edit("Edit4")->setText(QStringLiteral("new-host"));
    w()->BitBtn2Click();
    QCOMPARE(rows("ZVRD_FTP", id), 1);
    QCOMPARE(rows("ZVRD_SERIAL", id), 1);
    QCOMPARE(TDataModule1::instance().loadFtpParameters(id).host, QStringLiteral("new-host"));
}

void tst_MachinesWindow::ftpMachineWithoutRowGetsOneOnChange()
{
    MachineRecord m;
    m.number = QStringLiteral("9");
    m.description = QStringLiteral("Bare");
    m.transferType = QStringLiteral("FTP");
    m.pictureId = QStringLiteral("1");
    m.programDirectory = QStringLiteral("/p/");
    const QString id = TDataModule1::instance().insertMachine(m);
    edit("Edit4")->setText(QStringLiteral("stale"));
    openEdit(id);
    QVERIFY(edit("Edit4")->text().isEmpty());
    for (const char *name : {"Edit4", "Edit5", "Edit6", "Edit7", "Edit8"})
        edit(name)->setText(QStringLiteral("v"));
    w()->BitBtn2Click();
    QCOMPARE(rows("ZVRD_FTP", id), 1);
}

void tst_MachinesWindow::verifyByReadingBackIsKeptInTheSettings()
{
    auto *verify = w()->findChild<QCheckBox *>(QStringLiteral("CheckBoxVerify"));
    QVERIFY(verify);
    w()->prepare(TForm_Maquinas::Mode::Register);
    QVERIFY(verify->isChecked()); // on for a new machine
    fillMachine("6", "Mill");
    choose("ComboBox1", 3);
    for (const char *name : {"Edit4", "Edit5", "Edit6", "Edit7", "Edit8"})
        edit(name)->setText(QStringLiteral("x"));
    verify->setChecked(false);
    w()->BitBtn1Click();
    const QString id = app().EditMachineId;
    const QString ini = app().mainSettingsPath();
    QCOMPARE(MachineOptions::read(ini, id).verifyByReadBack, false);
    // The other keys of the file stay as they were.
    QVERIFY(TestSupport::readBytes(ini).contains("[LANGUAGE]"));

    openEdit(id);
    QVERIFY(!verify->isChecked());
    verify->setChecked(true);
    w()->BitBtn2Click();
    QCOMPARE(MachineOptions::read(ini, id).verifyByReadBack, true);

    // Viewing shows it and does not let it change.
    w()->prepare(TForm_Maquinas::Mode::View);
    QVERIFY(!verify->isEnabled());
}

void tst_MachinesWindow::noRowUnderCursor()
{
    m_cursorId.clear();
    w()->SpeedButton6Click();
    w()->SpeedButton7Click();
    QCOMPARE(m_dialogs->messages(),
             (QStringList{QStringLiteral("INFORMATION: Please select machine to edit the data."),
                          QStringLiteral("INFORMATION: Please select Machine to Data View.")}));
    QVERIFY(!w()->isVisible());
}

// Another workstation deletes the machine: "Edit" must not open an empty form,
// and "Change" of a form already open must neither report success nor write a
// parameter row for a machine that is not there.
void tst_MachinesWindow::machineDeletedElsewhere()
{
    MachineRecord m;
    m.number = QStringLiteral("5");
    m.description = QStringLiteral("Gone lathe");
    m.transferType = QStringLiteral("DIRLOCAL");
    m.pictureId = QStringLiteral("4");
    m.programDirectory = QStringLiteral("/p/");
    TDataModule1 &db = TDataModule1::instance();
    const QString id = db.insertMachine(m);
    db.insertPathParameters(id, {QStringLiteral("/share/5/")});
    openEdit(id);
    db.deleteMachine(id);
    QSqlQuery(QSqlDatabase::database(QLatin1String(TDataModule1::MainConnection)))
        .exec(QStringLiteral("DELETE FROM ZVRD_PATH"));
    int refreshed = 0;
    TForm_Maquinas::refreshMachineList = [&refreshed] { ++refreshed; };

    w()->BitBtn2Click();
    const QString gone = QStringLiteral("ERROR: This machine no longer exists in the machine database: it was deleted, "
                                        "perhaps on another workstation. Nothing was changed.");
    QCOMPARE(m_dialogs->messages(), QStringList{gone});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QCOMPARE(rows("ZVRD_PATH", id), 0);
    QCOMPARE(rows("ZVRD_MAQUINAS", id), 0);
    QCOMPARE(refreshed, 1);

    m_dialogs->clear();
    TForm_Maquinas::listCursorMachineId = [id]() -> std::optional<QString> { return id; };
    bool shown = false;
    QTimer::singleShot(0, w(), [this, &shown] {
        if (w()->isVisible()) {
            shown = true;
            w()->reject();
        }
    });
    w()->SpeedButton6Click();
    QCoreApplication::processEvents();
    TForm_Maquinas::refreshMachineList = nullptr;
    QVERIFY(!shown);
    QCOMPARE(m_dialogs->messages(), QStringList{gone});
    QCOMPARE(refreshed, 2);
}

void tst_MachinesWindow::viewIsReadOnlyButTestsRun()
{
    MachineRecord m;
    m.number = QStringLiteral("3");
    m.description = QStringLiteral("Viewed");
    m.transferType = QStringLiteral("DIRLOCAL");
    m.pictureId = QStringLiteral("8"); // no such picture: none shown
    m.programDirectory = QStringLiteral("/p/");
    const QString id = TDataModule1::instance().insertMachine(m);
    TDataModule1::instance().insertPathParameters(id, {m_dir.path()});
    w()->prepare(TForm_Maquinas::Mode::View);
    w()->FUNC_Listar_BD_Maquinas(id);
    QVERIFY(edit("Edit1")->isReadOnly());
    QVERIFY(!combo("ComboBox1")->isEnabled());
    QVERIFY(!w()->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->isEnabled());
    QVERIFY(!w()->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->isEnabled());
    QVERIFY(w()->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull());
    w()->Button3Click();
    QCOMPARE(m_dialogs->last().text, QStringLiteral("INFORMATION: Test communication with Directory \"")
                                         + m_dir.path() + QStringLiteral("\" performed successfully."));
    edit("Edit3")->setText(m_dir.filePath(QStringLiteral("gone")));
    w()->Button3Click();
    QCOMPARE(m_dialogs->last().text, QStringLiteral("ERROR: Failed Test communication with Directory \"")
                                         + m_dir.filePath(QStringLiteral("gone"))
                                         + QStringLiteral("\".\rPlease check the parameters of Communication Directory."));
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QVERIFY(w()->findChild<QPushButton *>(QStringLiteral("Button3"))->isEnabled());
}

void tst_MachinesWindow::passwordIsMasked() { QCOMPARE(edit("Edit7")->echoMode(), QLineEdit::Password); }

void tst_MachinesWindow::folderButtonAddsSeparator()
{
    w()->prepare(TForm_Maquinas::Mode::Register);
    m_dialogs->answerPath(QStringLiteral("  /cnc/programs  "));
    w()->BitBtn4Click();
    QCOMPARE(edit("Edit9")->text(), Paths::withTrailingSeparator(QStringLiteral("/cnc/programs")));
    w()->BitBtn5Click(); // cancelled: unchanged
    QVERIFY(edit("Edit3")->text().isEmpty());
}

void tst_MachinesWindow::ftpTest()
{
    QTemporaryDir root;
    QDir(root.path()).mkdir(QStringLiteral("nc"));
    FtpTestServer server(root.path());
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    w()->prepare(TForm_Maquinas::Mode::Register);
    choose("ComboBox1", 3);
    edit("Edit4")->setText(QStringLiteral("127.0.0.1"));
    edit("Edit6")->setText(FtpTestServer::user());
    edit("Edit7")->setText(FtpTestServer::password());
    edit("Edit8")->setText(QStringLiteral("/nc"));
    w()->Button1Click(); // the port is missing: focus only
    QVERIFY(m_dialogs->messages().isEmpty());
    edit("Edit5")->setText(QString::number(server.port()));
    w()->Button1Click();
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("INFORMATION: Testing FTP communication \"127.0.0.1/nc\" performed successfully."));
    QVERIFY(!w()->ftpClient()->connected());

    const QString failure = QStringLiteral("ERROR: Failed Communication Test FTP \"127.0.0.1%1\".\r"
                                           "Please check the parameters for FTP communication.");
    // The fixed message, then why, then the client's own text.
    const auto shown = [&] { return m_dialogs->last().text.section(QLatin1Char('\r'), 0, 1); };
    const auto reason = [&] { return m_dialogs->last().text.section(QLatin1Char('\r'), 2); };
    edit("Edit8")->setText(QStringLiteral("/missing"));
    w()->Button1Click();
    QCOMPARE(shown(), failure.arg(QStringLiteral("/missing")));
    QVERIFY2(reason().startsWith(QStringLiteral("The FTP server 127.0.0.1:%1 refused the request.\n").arg(server.port())),
             qPrintable(reason()));
    QVERIFY2(reason().contains(QLatin1String("550")), qPrintable(reason()));
    edit("Edit8")->setText(QStringLiteral("/nc"));
    edit("Edit7")->setText(QStringLiteral("wrong"));
    w()->Button1Click();
    QCOMPARE(shown(), failure.arg(QStringLiteral("/nc")));
    edit("Edit5")->setText(QStringLiteral("twenty-one"));
    w()->Button1Click();
    QCOMPARE(shown(), failure.arg(QStringLiteral("/nc")));
    QCOMPARE(reason(), QStringLiteral("Invalid port \"twenty-one\""));
    QVERIFY(!w()->ftpClient()->connected());
}

void tst_MachinesWindow::ftpFields(quint16 port, const QString &password)
{
    w()->prepare(TForm_Maquinas::Mode::Register);
    choose("ComboBox1", 3);
    edit("Edit4")->setText(QStringLiteral("127.0.0.1"));
    edit("Edit5")->setText(QString::number(port));
    edit("Edit6")->setText(FtpTestServer::user());
    edit("Edit7")->setText(password);
    edit("Edit8")->setText(QStringLiteral("/"));
}

void tst_MachinesWindow::ftpTestSaysWhy_data()
{
    QTest::addColumn<QString>("server"); // "ftp": the test server, "closed": nothing listens, "silent"
    QTest::addColumn<QString>("reason"); // %1: host and port
    QTest::addColumn<QString>("detail"); // in the client's own text
    QTest::newRow("refused login") << "ftp" << "The FTP server %1 refused the login: check the user and the password." << "530";
    QTest::newRow("closed port") << "closed"
                                 << "No FTP server answers at %1: check the host and the port, and that the machine's FTP "
                                    "server is running."
                                 << "onnect";
    QTest::newRow("silent server") << "silent" << "The FTP server %1 did not answer within the time limit." << "timed out";
}

// A wrong password and a dead server no longer give the same words.
void tst_MachinesWindow::ftpTestSaysWhy()
{
    QFETCH(QString, server);
    QFETCH(QString, reason);
    QFETCH(QString, detail);
    QTemporaryDir root;
    FtpTestServer ftp(root.path());
    QTcpServer listener; // accepts connections (the system does) and never says a word
    quint16 port = 0;
    if (server == QLatin1String("ftp")) {
        QString error;
        QVERIFY2(ftp.start(&error), qPrintable(error));
        port = ftp.port();
    } else {
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        port = listener.serverPort();
        if (server == QLatin1String("closed"))
            listener.close();
    }
    // pyftpdlib answers a wrong password only after a pause of its own.
    w()->ftpClient()->setConnectTimeoutMs(server == QLatin1String("silent") ? 1500 : 10000);
    ftpFields(port, QStringLiteral("wrong"));
    w()->Button1Click();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    const QStringList lines = m_dialogs->last().text.split(QRegularExpression(QStringLiteral("[\r\n]")));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0), QStringLiteral("ERROR: Failed Communication Test FTP \"127.0.0.1/\"."));
    QCOMPARE(lines.at(2), reason.arg(QStringLiteral("127.0.0.1:%1").arg(port)));
    QVERIFY2(lines.at(3).contains(detail), qPrintable(lines.at(3)));
    w()->ftpClient()->setConnectTimeoutMs(10000);
}

void tst_MachinesWindow::ftpTestConnectingCanBeCancelled()
{
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost));
    ftpFields(listener.serverPort(), FtpTestServer::password());
    QString text;
    bool buttonPressed = false;
    std::function<void()> pressCancel = [&] {
        auto *notice = w()->findChild<QDialog *>(QStringLiteral("ConnectingNotice"));
        if (!notice || !notice->isVisible()) {
            QTimer::singleShot(20, w(), pressCancel);
            return;
        }
        text = notice->findChild<QLabel *>(QStringLiteral("ConnectingText"))->text();
        notice->findChild<QPushButton *>(QStringLiteral("ConnectingCancel"))->click();
        buttonPressed = true;
    };
    QTimer::singleShot(0, w(), pressCancel);
    w()->Button1Click();
    QVERIFY(buttonPressed);
    QCOMPARE(text, QStringLiteral("Connecting to 127.0.0.1:%1 ...").arg(listener.serverPort()));
    QCOMPARE(m_dialogs->messages(), QStringList(QStringLiteral("INFORMATION: Operation Cancelled.")));
    QVERIFY(!w()->ftpClient()->connected());
    QVERIFY(!w()->findChild<QDialog *>(QStringLiteral("ConnectingNotice")));
}

void tst_MachinesWindow::serialTest()
{
    PtyPair pty;
    QString error;
    QVERIFY2(pty.start(m_dir.path(), &error), qPrintable(error));
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[SERIALPORTS]\nCOM3=" + pty.endA().toUtf8() + "\nCOM4=" + m_dir.filePath(QStringLiteral("nothere")).toUtf8() + "\n");
    w()->prepare(TForm_Maquinas::Mode::Register);
    choose("ComboBox1", 4);
    combo("ComboBox3")->setCurrentIndex(3); // COM3
    combo("ComboBox4")->setCurrentIndex(7); // 9600
    combo("ComboBox5")->setCurrentIndex(4); // 8
    combo("ComboBox6")->setCurrentIndex(3); // NONE
    combo("ComboBox7")->setCurrentIndex(2); // 1
    w()->Button2Click(); // flow control missing: focus only
    QVERIFY(m_dialogs->messages().isEmpty());
    combo("ComboBox8")->setCurrentIndex(2); // HARDWARE
    w()->Button2Click();
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("INFORMATION: Testing the Communication Port \"COM3\" performed successfully."));
    QStringList readings;
    for (int i = 1; i <= 8; ++i)
        readings << w()->findChild<QLabel *>(QStringLiteral("Reading%1").arg(i))->text();
    QCOMPARE(readings, (QStringList{"Handshake", "Handshake", "True", "False", "False", "False", "#17", "#19"}));
    QVERIFY(!w()->serialPort()->isOpen());
    // A new flow choice forgets the readings.
    w()->ComboBox8Change();
    QCOMPARE(w()->findChild<QLabel *>(QStringLiteral("Reading1"))->text(), QStringLiteral("____________"));

    combo("ComboBox3")->setCurrentIndex(4); // COM4: no such device
    w()->Button2Click();
    // The fixed message, then the device the port stands for and why it failed.
    const QStringList lines = m_dialogs->last().text.split(QRegularExpression(QStringLiteral("[\r\n]")));
    QCOMPARE(lines.mid(0, 2), QStringList({QStringLiteral("ERROR: Failed Test Port Communication \"COM4\"."),
                                           QStringLiteral("Please check the serial communication parameters.")}));
    QCOMPARE(lines.value(2), QStringLiteral("The device \"%1\" does not exist: is the serial adapter plugged in, and is "
                                            "this the port's device?")
                                 .arg(m_dir.filePath(QStringLiteral("nothere"))));
    QVERIFY2(lines.value(3).contains(QLatin1String("No such file")), qPrintable(lines.value(3)));
    QVERIFY(w()->findChild<QPushButton *>(QStringLiteral("Button2"))->isEnabled());
}

// The port test reaches a port on a device server (RFC 2217): the server is asked for the
// settings; one that is not there, or a port another Zavrin program holds, fails with its reason.
void tst_MachinesWindow::serialTestThroughDeviceServer()
{
    PtyPair pty;
    QString error;
    QVERIFY2(pty.start(m_dir.path(), &error), qPrintable(error));
    Ser2NetServer server;
    server.addConnection(pty.endB(), Ser2NetServer::Mode::Rfc2217);
    QVERIFY2(server.start(m_dir.path(), &error), qPrintable(error));
    SerialPortLock::setFolder(m_dir.filePath(QStringLiteral("locks")));
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[SERIALPORTS]\nCOM5=" + server.url(0).toUtf8() + "\nCOM6=tcp://127.0.0.1:"
                                + QByteArray::number(Ser2NetServer::freePort()) + "\n");
    w()->prepare(TForm_Maquinas::Mode::Register);
    choose("ComboBox1", 4);
    combo("ComboBox3")->setCurrentIndex(5); // COM5
    combo("ComboBox4")->setCurrentIndex(9); // 19200
    combo("ComboBox5")->setCurrentIndex(4); // 8
    combo("ComboBox6")->setCurrentIndex(4); // ODD
    combo("ComboBox7")->setCurrentIndex(3); // 2
    combo("ComboBox8")->setCurrentIndex(4); // SOFTWARE
    w()->Button2Click();
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("INFORMATION: Testing the Communication Port \"COM5\" performed successfully."));
    QCOMPARE(w()->findChild<QLabel *>(QStringLiteral("Reading6"))->text(), QStringLiteral("True"));
    QVERIFY(!w()->serialPort()->isOpen());

    // Held by another port of Zavrin's.
    SerialSettings s = SerialSettings::registrationTestDesign();
    s.portName = QStringLiteral("COM5");
    SerialPort holder(s);
    holder.open();
    w()->Button2Click();
    QStringList lines = m_dialogs->last().text.split(QRegularExpression(QStringLiteral("[\r\n]")));
    QCOMPARE(lines.value(0), QStringLiteral("ERROR: Failed Test Port Communication \"COM5\"."));
    QCOMPARE(lines.value(2), QStringLiteral("The port \"%1\" is in use: port in use by tst_machineswindow (process %2). "
                                            "Close the port there first, or wait until its transfer has ended.")
                                 .arg(server.url(0)).arg(QCoreApplication::applicationPid()));
    holder.close();

    combo("ComboBox3")->setCurrentIndex(6); // COM6: nobody listens there
    w()->Button2Click();
    lines = m_dialogs->last().text.split(QRegularExpression(QStringLiteral("[\r\n]")));
    QCOMPARE(lines.value(0), QStringLiteral("ERROR: Failed Test Port Communication \"COM6\"."));
    QVERIFY2(lines.value(2).startsWith(QStringLiteral("The device server \"tcp://127.0.0.1:")), qPrintable(lines.value(2)));
    QVERIFY(w()->findChild<QPushButton *>(QStringLiteral("Button2"))->isEnabled());
}

QString tst_MachinesWindow::scratchDevices(const PtyPair &pty)
{
    const QDir dev(m_dir.filePath(QStringLiteral("dev%1").arg(m_db)));
    dev.mkpath(QStringLiteral("serial/by-id"));
    QFile::link(pty.endA(), dev.filePath(QStringLiteral("ttyUSB0")));
    QFile::link(pty.endB(), dev.filePath(QStringLiteral("ttyACM0")));
    QFile::link(QStringLiteral("../../ttyUSB0"), dev.filePath(QStringLiteral("serial/by-id/usb-Shop_Adapter_77-if00-port0")));
    return dev.path();
}

void tst_MachinesWindow::portListShowsDevices()
{
    PtyPair pty;
    QString error;
    QVERIFY2(pty.start(m_dir.path(), &error), qPrintable(error));
    const QString dev = scratchDevices(pty);
    const QString byId = dev + QStringLiteral("/serial/by-id/usb-Shop_Adapter_77-if00-port0");
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[SERIALPORTS]\nCOM3=" + byId.toUtf8() + "\nCOM4=" + dev.toUtf8() + "/ttyUSB7\n");
    w()->prepare(TForm_Maquinas::Mode::Register);
    choose("ComboBox1", 4);
    QComboBox *ports = combo("ComboBox3");
    // The entries stay the COM names (what is stored), each with its device beside it.
    QCOMPARE(ports->itemText(3), QStringLiteral("COM3"));
    QCOMPARE(ports->itemData(3, TForm_Maquinas::PortDeviceRole).toString(), byId + QStringLiteral(" (present)"));
    QCOMPARE(ports->itemData(4, TForm_Maquinas::PortDeviceRole).toString(), dev + QStringLiteral("/ttyUSB7 (not found)"));
    QVERIFY(ports->itemData(0, TForm_Maquinas::PortDeviceRole).toString().isEmpty());
    auto *beside = w()->findChild<QLabel *>(QStringLiteral("PortDevice"));
    QVERIFY(beside->text().isEmpty());
    ports->setCurrentIndex(4);
    QCOMPARE(beside->text(), dev + QStringLiteral("/ttyUSB7 (not found)"));
    // A device that appears (an adapter plugged in) shows the next time the list opens.
    QVERIFY(QFile::link(pty.endB(), dev + QStringLiteral("/ttyUSB7")));
    ports->showPopup();
    ports->hidePopup();
    QCOMPARE(beside->text(), dev + QStringLiteral("/ttyUSB7 (present)"));
}

void tst_MachinesWindow::devicesWindowWritesSerialPorts()
{
    PtyPair pty;
    QString error;
    QVERIFY2(pty.start(m_dir.path(), &error), qPrintable(error));
    const QString dev = scratchDevices(pty);
    const QString ini = m_dir.filePath(QStringLiteral("Zavrin.ini"));
    const QByteArray before = TestSupport::readBytes(ini) + "[SERIALPORTS]\nCOM4=/dev/old\n";
    TestSupport::writeBytes(ini, before);

    SerialPortsWindow window(dev);
    window.load(QStringLiteral("COM3"));
    QStringList found;
    for (int i = 0; i < window.foundList()->topLevelItemCount(); ++i)
        found << window.foundList()->topLevelItem(i)->text(0);
    QCOMPARE(found, QStringList({dev + QStringLiteral("/serial/by-id/usb-Shop_Adapter_77-if00-port0"),
                                 dev + QStringLiteral("/ttyUSB0"), dev + QStringLiteral("/ttyACM0")}));
    QCOMPARE(window.deviceField(QStringLiteral("COM4"))->currentText(), QStringLiteral("/dev/old"));
    QCOMPARE(window.portList()->topLevelItem(3)->text(2), QStringLiteral("not found"));
    // A double click on a found device gives it to the port under the cursor.
    window.FoundDeviceActivated(window.foundList()->topLevelItem(0));
    QCOMPARE(window.deviceField(QStringLiteral("COM3"))->currentText(), found.at(0));
    QCOMPARE(window.portList()->topLevelItem(2)->text(2), QStringLiteral("present"));
    window.deviceField(QStringLiteral("COM4"))->setEditText(QString()); // back to the default
    window.deviceField(QStringLiteral("COM5"))->setEditText(QStringLiteral("ttyUSB0"));
    window.SaveClick();
    QCOMPARE(m_dialogs->last().text, QStringLiteral("ERROR: The device \"ttyUSB0\" of the port \"COM5\" is not valid: a "
                                                    "device is a path that begins with \"/\"."));
    QCOMPARE(TestSupport::readBytes(ini), before);
    window.deviceField(QStringLiteral("COM5"))->setEditText(QStringLiteral("/dev/ttyUSB0\n[LANGUAGE]"));
    window.SaveClick();
    QCOMPARE(TestSupport::readBytes(ini), before);
    window.deviceField(QStringLiteral("COM5"))->setEditText(QString());
    window.SaveClick();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    const QByteArray after = TestSupport::readBytes(ini);
    QVERIFY2(after.startsWith(before.left(before.indexOf("[SERIALPORTS]"))), after.constData());
    QVERIFY2(after.endsWith("[SERIALPORTS]\nCOM4=\nCOM3=" + found.at(0).toUtf8() + "\n"), after.constData());
    QCOMPARE(SerialPortNames::deviceFor(QStringLiteral("COM3")), found.at(0));
    QCOMPARE(SerialPortNames::deviceFor(QStringLiteral("COM4")), QStringLiteral("/dev/ttyS3"));
}

// Device servers on the network: checked as addresses, shown without a presence check.
void tst_MachinesWindow::devicesWindowTakesNetworkPorts()
{
    PtyPair pty;
    QString error;
    QVERIFY2(pty.start(m_dir.path(), &error), qPrintable(error));
    const QString ini = m_dir.filePath(QStringLiteral("Zavrin.ini"));
    const QByteArray before = TestSupport::readBytes(ini);
    SerialPortsWindow window(scratchDevices(pty));
    window.load(QStringLiteral("COM6"));
    for (const QString &bad : {QStringLiteral("tcp://10.0.0.7:0"), QStringLiteral("rfc2217://10.0.0.7"),
                               QStringLiteral("tcp://bad host:4001")}) {
        window.deviceField(QStringLiteral("COM6"))->setEditText(bad);
        window.SaveClick();
        QCOMPARE(m_dialogs->last().text,
                 QStringLiteral("ERROR: The address \"%1\" of the port \"COM6\" is not valid. A network port is written "
                                "tcp://host:port or rfc2217://host:port, with a port number from 1 to 65535.").arg(bad));
        QCOMPARE(TestSupport::readBytes(ini), before);
    }
    window.deviceField(QStringLiteral("COM6"))->setEditText(QStringLiteral("rfc2217://10.0.0.7:2217"));
    QCOMPARE(window.portList()->topLevelItem(5)->text(2), QStringLiteral("network"));
    window.deviceField(QStringLiteral("COM7"))->setEditText(QStringLiteral(" tcp://[fe80::1]:4001 "));
    window.SaveClick();
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(SerialPortNames::deviceFor(QStringLiteral("COM6")), QStringLiteral("rfc2217://10.0.0.7:2217"));
    QCOMPARE(SerialPortNames::deviceFor(QStringLiteral("COM7")), QStringLiteral("tcp://[fe80::1]:4001"));

    // The registration window shows the address as it is, without "(not found)".
    w()->prepare(TForm_Maquinas::Mode::Register);
    choose("ComboBox1", 4);
    combo("ComboBox3")->setCurrentIndex(6);
    QCOMPARE(w()->findChild<QLabel *>(QStringLiteral("PortDevice"))->text(), QStringLiteral("rfc2217://10.0.0.7:2217"));
}

void tst_MachinesWindow::devicesButtonOpensTheWindow()
{
    PtyPair pty;
    QString error;
    QVERIFY2(pty.start(m_dir.path(), &error), qPrintable(error));
    w()->setSerialDeviceRoot(scratchDevices(pty));
    w()->prepare(TForm_Maquinas::Mode::Register);
    choose("ComboBox1", 4);
    combo("ComboBox3")->setCurrentIndex(2);
    QString title;
    QTimer::singleShot(0, w(), [&] {
        auto *window = qobject_cast<SerialPortsWindow *>(QApplication::activeModalWidget());
        QVERIFY(window);
        title = window->windowTitle();
        // It opens on the port chosen in the list.
        QCOMPARE(window->portList()->currentItem()->text(0), QStringLiteral("COM2"));
        window->deviceField(QStringLiteral("COM2"))->setEditText(pty.endA());
        window->SaveClick();
    });
    w()->Button4Click();
    QCOMPARE(title, QStringLiteral("Zavrin - Serial Port Devices"));
    QCOMPARE(w()->findChild<QLabel *>(QStringLiteral("PortDevice"))->text(), pty.endA() + QStringLiteral(" (present)"));
    QCOMPARE(w()->findChild<QPushButton *>(QStringLiteral("Button4"))->text(), QStringLiteral("&Devices..."));
}

QTEST_MAIN(tst_MachinesWindow)
#include "tst_machineswindow.moc"
