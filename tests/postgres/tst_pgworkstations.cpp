#include "PgTestServer.h"
#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/ConfigWindow.h"
#include "app/MainWindow.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachineList.h"
#include "machines/MachineListArea.h"
#include "machines/MachinesWindow.h"
#include "platform/Error.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferRules.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

// Two workstations on one server: this process's windows are workstation A, a
// second connection is workstation B.
class tst_PgWorkstations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void changedAtBWhileOpenAtA_data();
    void changedAtBWhileOpenAtA();
    void listsFollowTheOtherWorkstation();
    void selectedMachineDeletedAtB();
    void settingsAcceptAServer();
    void startWithTheServerAway();

private:
    // B's change of a machine, announced as the application announces its own.
    void changeAtB(const QString &sql);
    TForm_Maquinas *w() { return TForm_Maquinas::instance(); }
    QLineEdit *edit(const char *name) { return w()->findChild<QLineEdit *>(QLatin1String(name)); }
    QString machineAt(const QString &id, const char *column);

    QTemporaryDir m_dir;
    PgTestServer m_server;
    QString m_url;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    int m_count = 0;
};

void tst_PgWorkstations::initTestCase()
{
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void tst_PgWorkstations::cleanupTestCase()
{
    QSqlDatabase::removeDatabase(QStringLiteral("B"));
    QSqlDatabase::removeDatabase(QLatin1String(TDataModule1::MainConnection));
    m_server.stop();
}

void tst_PgWorkstations::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    const QString name = QStringLiteral("shop%1").arg(++m_count);
    QString error;
    QVERIFY2(m_server.createDatabase(name, &error), qPrintable(error));
    m_url = m_server.url(name);
    DatabaseSchema::createDatabase(m_url, true, m_dir.path());
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\nVALUE=" + m_url.toUtf8() + "\n[LANGUAGE]\nVALUE=EN\n");
    m_main = startWindows(m_dir.path());
    QVERIFY2(m_dialogs->messages().isEmpty(), qPrintable(m_dialogs->messages().join(QLatin1Char('\n'))));
    QSqlDatabase::removeDatabase(QStringLiteral("B"));
    TDataModule1::openConnection(QStringLiteral("B"), m_url);
}

void tst_PgWorkstations::cleanup()
{
    Application::destroyWindows();
    {
        QSqlDatabase b = QSqlDatabase::database(QStringLiteral("B"), false);
        b.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("B"));
    delete m_shell;
    delete m_dialogs;
}

void tst_PgWorkstations::changeAtB(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("B"), false));
    QVERIFY2(q.exec(sql), qPrintable(q.lastError().text()));
    QVERIFY(q.exec(QStringLiteral("SELECT pg_notify('zavrin_machines', '')")));
}

QString tst_PgWorkstations::machineAt(const QString &id, const char *column)
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("B"), false));
    q.exec(QStringLiteral("SELECT %1 FROM ZVRD_MAQUINAS WHERE ID_MAQUINA=%2").arg(QLatin1String(column), id));
    return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}

void tst_PgWorkstations::changedAtBWhileOpenAtA_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("stored");     // description in the register afterwards
    QTest::addColumn<QString>("shown");      // description in A's window afterwards
    QTest::addColumn<bool>("stillOpen");

    QTest::newRow("Yes: B's values are shown, nothing written")
        << int(Dialogs::Yes) << "Mill of B" << "Mill of B" << true;
    QTest::newRow("No: A's values over B's") << int(Dialogs::No) << "Mill of A" << "Mill of A" << false;
    QTest::newRow("Cancel: back to editing, nothing written")
        << int(Dialogs::Cancel) << "Mill of B" << "Mill of A" << true;
}

void tst_PgWorkstations::changedAtBWhileOpenAtA()
{
    QFETCH(int, answer);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(bool, stillOpen);
    const QString id = QStringLiteral("1");
    w()->prepare(TForm_Maquinas::Mode::Edit);
    app().EditMachineId = id;
    QVERIFY(w()->FUNC_Listar_BD_Maquinas(id));
    w()->show();
    changeAtB(QStringLiteral("UPDATE ZVRD_MAQUINAS SET DSC_MAQUINA='Mill of B', "
                             "DATA_ALTERACAO=DATA_ALTERACAO + interval '1 second' WHERE ID_MAQUINA=1"));
    edit("Edit2")->setText(QStringLiteral("Mill of A"));
    m_dialogs->clear();
    m_dialogs->answer(Dialogs::Button(answer));
    w()->BitBtn2Click();

    const QStringList messages = m_dialogs->messages();
    QVERIFY2(!messages.isEmpty(), "no question: the change was written over B's");
    QCOMPARE(messages.first(),
             QStringLiteral("QUESTION: The machine \"Mill of A\" was changed on another workstation after you opened "
                            "it here. Yes: show the values saved there (your changes here are dropped). No: save your "
                            "values over them. Cancel: go back to editing."));
    QCOMPARE(m_dialogs->calls().first().buttons, int(Dialogs::Yes | Dialogs::No | Dialogs::Cancel));
    QCOMPARE(machineAt(id, "DSC_MAQUINA"), stored);
    QCOMPARE(edit("Edit2")->text(), shown);
    QCOMPARE(w()->isVisible(), stillOpen);
    if (answer == Dialogs::Yes) {
        // B's version is now the one loaded: a second Change goes through.
        m_dialogs->clear();
        edit("Edit2")->setText(QStringLiteral("Mill of A again"));
        w()->BitBtn2Click();
        QCOMPARE(machineAt(id, "DSC_MAQUINA"), QStringLiteral("Mill of A again"));
        QVERIFY(m_dialogs->messages().value(0).startsWith(QLatin1String("INFORMATION: Data Editing Machine")));
    }
    w()->hide();
}

// B registers, renames and deletes machines: A's filtered list follows within
// 2 s, with its filter and its cursor on the machine it was on.
void tst_PgWorkstations::listsFollowTheOtherWorkstation()
{
    auto *name = m_main->findChild<QLineEdit *>(QStringLiteral("Edit3"));
    name->setText(QStringLiteral("Centre"));
    m_main->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    MachineList *list = filteredMachineList();
    QCOMPARE(list->rowCount(), 3);
    QVERIFY(list->setPosition(2));
    const QString cursorId = list->current()->id;

    changeAtB(QStringLiteral("INSERT INTO ZVRD_MAQUINAS (NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,DIR_PROGRAMAS,"
                             "DATA_CRIACAO,DATA_ALTERACAO) VALUES ('0999','Boring Centre BC-1','DIRLOCAL',1,'/p/',"
                             "LOCALTIMESTAMP,LOCALTIMESTAMP)"));
    QTRY_COMPARE_WITH_TIMEOUT(list->rowCount(), 4, 2000);
    QCOMPARE(list->rows().first().description, QStringLiteral("Boring Centre BC-1"));
    QCOMPARE(list->current()->id, cursorId);

    changeAtB(QStringLiteral("UPDATE ZVRD_MAQUINAS SET DSC_MAQUINA='Renamed at B' WHERE NUM_MAQUINA='0999'"));
    QTRY_COMPARE_WITH_TIMEOUT(list->rowCount(), 3, 2000);
    QCOMPARE(list->current()->id, cursorId);
    QVERIFY(m_dialogs->messages().isEmpty());

    // The selection window's list follows as well.
    MachineList *all = allMachineList();
    FUNC_Listar_ALL_Maquinas();
    QCOMPARE(all->rowCount(), 8);
    changeAtB(QStringLiteral("DELETE FROM ZVRD_MAQUINAS WHERE NUM_MAQUINA='0999'"));
    QTRY_COMPARE_WITH_TIMEOUT(all->rowCount(), 7, 2000);
}

void tst_PgWorkstations::selectedMachineDeletedAtB()
{
    FUNC_Selecionar_Maquina(1);
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("1001"));
    changeAtB(QStringLiteral("DELETE FROM ZVRD_MAQUINAS WHERE NUM_MAQUINA='1001'"));
    m_dialogs->clear();
    TransferCommands::dispatch(QString(), TransferRules::Receive);
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("ERROR: This machine no longer exists in the machine database: it was deleted, "
                                        "perhaps on another workstation. Nothing was changed.")});
    QVERIFY(app().SelectedMachineId.isEmpty());
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("--------------------"));
    QCOMPARE(m_main->findChild<QLabel *>(QStringLiteral("Label4"))->text(), QStringLiteral("--------------------"));

    // Delete at A of a machine B deleted a moment ago (before A's list heard of
    // it): told, not reported as done.
    MachineList *list = filteredMachineList();
    QVERIFY(list->setPosition(1));
    const QString id = list->current()->id;
    changeAtB(QStringLiteral("DELETE FROM ZVRD_MAQUINAS WHERE ID_MAQUINA=%1").arg(id));
    m_dialogs->clear();
    m_dialogs->answer(Dialogs::Yes);
    m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton8"))->click();
    QCOMPARE(m_dialogs->messages().size(), 2);
    QVERIFY(m_dialogs->messages().at(0).startsWith(QLatin1String("QUESTION: Would You Like to Delete")));
    QVERIFY(m_dialogs->messages().at(1).startsWith(QLatin1String("ERROR: This machine no longer exists")));
    QCOMPARE(list->rowCount(), 6);
}

void tst_PgWorkstations::settingsAcceptAServer()
{
    auto *config = qobject_cast<TForm_Config *>(Application::window(QStringLiteral("Form_Config")));
    QVERIFY(config);
    config->FormShow();
    QCOMPARE(config->serverButton()->text(), QStringLiteral("Server..."));
    const QString name = QStringLiteral("other%1").arg(m_count);
    QString error;
    QVERIFY(m_server.createDatabase(name, &error));
    const QString other = m_server.url(name, PgTestServer::superuser(), QStringLiteral("sslmode=disable"));
    DatabaseSchema::createDatabase(other, false);

    m_dialogs->clear();
    m_dialogs->answerText(QStringLiteral("postgresql://op:pw@127.0.0.1/x"));
    config->serverButtonClick();
    QVERIFY(!config->databaseFileAccepted());
    QVERIFY2(m_dialogs->messages().value(0).contains(QLatin1String("password")), qPrintable(m_dialogs->messages().value(0)));
    QCOMPARE(config->Edit1()->text(), m_url);

    m_dialogs->clear();
    m_dialogs->answerText(QStringLiteral("  ") + other);
    config->serverButtonClick();
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(config->databaseFileAccepted());
    QCOMPARE(config->Edit1()->text(), other);
    config->BitBtn1Click();
    QCOMPARE(app().DatabaseFile, other);
    QVERIFY(TestSupport::readBytes(m_dir.filePath(QStringLiteral("Zavrin.ini"))).contains("VALUE=" + other.toUtf8()));
    // The new register has no machines: both lists are empty.
    QCOMPARE(filteredMachineList()->rowCount(), 0);
}

// Start-up while the server is stopped: told with the server's name, without a
// second wait for it; the first action after it is back works.
void tst_PgWorkstations::startWithTheServerAway()
{
    Application::destroyWindows();
    QString error;
    QVERIFY2(m_server.stop(&error), qPrintable(error));
    m_dialogs->clear();
    QElapsedTimer t;
    t.start();
    m_main = startWindows(m_dir.path());
    QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
    const QStringList messages = m_dialogs->messages();
    QVERIFY(!messages.isEmpty());
    for (const QString &m : messages)
        QVERIFY2(m.startsWith(QStringLiteral("ERROR: The machine database server \"") + m_url), qPrintable(m));
    QVERIFY2(m_server.start(&error), qPrintable(error));
    QCoreApplication::processEvents();
    m_dialogs->clear();
    m_main->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
    QVERIFY(m_dialogs->messages().isEmpty());
    QCOMPARE(filteredMachineList()->rowCount(), 7);
}

QTEST_MAIN(tst_PgWorkstations)
#include "tst_pgworkstations.moc"
