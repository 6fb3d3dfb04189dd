#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "ftp/FtpTestServer.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachinesWindow.h"
#include "platform/Paths.h"
#include "platform/ftp/FtpClient.h"
#include "platform/serial/SerialPort.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "serial/PtyPair.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
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
    void noRowUnderCursor();
    void machineDeletedElsewhere();
    void viewIsReadOnlyButTestsRun();
    void passwordIsMasked();
    void folderButtonAddsSeparator();
    void ftpTest();
    void serialTest();

private:
    TForm_Maquinas *w() { return TForm_Maquinas::instance(); }
    QLineEdit *edit(const char *name) { return w()->findChild<QLineEdit *>(QLatin1String(name)); }
    QComboBox *combo(const char *name) { return w()->findChild<QComboBox *>(QLatin1String(name)); }
    void choose(const char *name, int position);
    void fillMachine(const char *number, const char *description);
    int rows(const char *table, const QString &id);
    void openEdit(const QString &id);

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
    edit("Edit8")->setText(QStringLiteral("/missing"));
    w()->Button1Click();
    QCOMPARE(m_dialogs->last().text, failure.arg(QStringLiteral("/missing")));
    edit("Edit8")->setText(QStringLiteral("/nc"));
    edit("Edit7")->setText(QStringLiteral("wrong"));
    w()->Button1Click();
    QCOMPARE(m_dialogs->last().text, failure.arg(QStringLiteral("/nc")));
    edit("Edit5")->setText(QStringLiteral("twenty-one"));
    w()->Button1Click();
    QCOMPARE(m_dialogs->last().text, failure.arg(QStringLiteral("/nc")));
    QVERIFY(!w()->ftpClient()->connected());
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
    QCOMPARE(m_dialogs->last().text, QStringLiteral("ERROR: Failed Test Port Communication \"COM4\".\r"
                                                    "Please check the serial communication parameters."));
    QVERIFY(w()->findChild<QPushButton *>(QStringLiteral("Button2"))->isEnabled());
}

QTEST_MAIN(tst_MachinesWindow)
#include "tst_machineswindow.moc"
