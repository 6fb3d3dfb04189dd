#include "StartWindows.h"
#include "TestSupport.h"
#include "serial/PtyPair.h"

#include "app/AppState.h"
#include "app/Application.h"
#include "app/MessagesWindow.h"
#include "dnc/AppDnc.h"
#include "dnc/DncService.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "machines/MachineOptions.h"
#include "machines/MachinesWindow.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "transfer/SerialReceiveWindow.h"
#include "transfer/TransferCommands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

// Automatic receive inside the application: the messages panel, the serial windows borrowing
// the port, and the settings on the registration window.
class tst_DncApp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void receivedProgramsInTheMessagesPanel();
    void receiveWindowBorrowsThePort();
    void registrationWindowWritesTheOptions();
    void programInProgressKeptWhenTheApplicationCloses();

private:
    MachineListener *listener() const { return AppDnc::service()->listenerFor(m_id); }
    void punch(const QByteArray &bytes);
    QString folder() const { return m_dir->filePath(QStringLiteral("programs")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<QSerialPort> m_control;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    QString m_id;
};

void tst_DncApp::init()
{
    TestSupport::resetAppState();
    m_dir = std::make_unique<QTemporaryDir>();
    QDir().mkpath(folder());
    m_pty = std::make_unique<PtyPair>();
    QString error;
    QVERIFY2(m_pty->start(m_dir->path(), &error), qPrintable(error));
    const QString db = m_dir->filePath(QStringLiteral("machines.db"));
    DatabaseSchema::createDatabase(db, false);
    TDataModule1::instance().DataModuleCreate(db);
    MachineRecord m;
    m.number = QStringLiteral("77");
    m.description = QStringLiteral("Lathe");
    m.transferType = TransferType::Serial;
    m.pictureId = QStringLiteral("1");
    m.programDirectory = folder() + QLatin1Char('/');
    m_id = TDataModule1::instance().insertMachine(m);
    SerialParameters p;
    p.speed = 13;
    p.dataBits = 4;
    p.parity = 3;
    p.stopBits = 2;
    p.flow = 3;
    p.port = QStringLiteral("COM3");
    TDataModule1::instance().insertSerialParameters(m_id, p);
    TestSupport::writeBytes(m_dir->filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=EN\r\n[SERIALPORTS]\r\nCOM3="
                                + m_pty->endA().toLocal8Bit() + "\r\n[MACHINE" + m_id.toLatin1()
                                + "]\r\nAUTORECEIVE=1\r\nREMOTEREQUEST=1\r\nANSWERDELAY=0\r\n");
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    startWindows(m_dir->path());
    m_dialogs->clear();
    m_control = std::make_unique<QSerialPort>(m_pty->endB());
    QVERIFY(m_control->open(QIODevice::ReadWrite));
    QVERIFY(AppDnc::service());
    QTRY_VERIFY(listener() && !listener()->isReleased());
}

void tst_DncApp::cleanup()
{
    Application::destroyWindows();
    m_control.reset();
    m_pty.reset();
    delete m_shell;
    delete m_dialogs;
    m_dir.reset();
}

void tst_DncApp::punch(const QByteArray &bytes)
{
    m_control->write(bytes);
    while (m_control->bytesToWrite() > 0)
        m_control->waitForBytesWritten(1000);
}

void tst_DncApp::receivedProgramsInTheMessagesPanel()
{
    punch("%\r\nO4711\r\nG0X1\r\nM30\r\n%\r\n");
    const QString stored = QDir::toNativeSeparators(folder() + QStringLiteral("/O4711.nc"));
    QTRY_VERIFY(QFileInfo::exists(stored));
    auto *panel = Application::window(QStringLiteral("Form_MSG"))->findChild<QTreeWidget *>();
    QVERIFY(panel);
    QTRY_VERIFY(!panel->findItems(stored, Qt::MatchStartsWith).isEmpty());
    QTreeWidgetItem *entry = panel->findItems(stored, Qt::MatchStartsWith).constFirst();
    QVERIFY(entry->text(0).endsWith(QLatin1String(" - Automatic receive")));
    QCOMPARE(entry->childCount(), 1);
    QVERIFY(entry->child(0)->text(0).contains(QLatin1String("program received and stored as ") + stored));
}

void tst_DncApp::receiveWindowBorrowsThePort()
{
    app().SelectedMachineId = m_id;
    app().SelectedTransferType = TransferType::Serial;
    app().SelectedProgramDirectory = folder() + QLatin1Char('/');
    auto *receive = qobject_cast<TForm_Transfer_SERIAL232_R *>(Application::window(QStringLiteral("Form_Transfer_SERIAL232_R")));
    QVERIFY(receive);
    bool started = false, releasedMeanwhile = false;
    QTimer press;
    press.setInterval(10);
    connect(&press, &QTimer::timeout, this, [&] {
        if (!receive->isVisible())
            return;
        if (!started) {
            started = true;
            releasedMeanwhile = listener()->isReleased();
            receive->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
            punch("%\r\nO88\r\nM30\r\n%\r\n");
        } else if (receive->statusText() == QLatin1String("CNC File Data Received successfully.")) {
            press.stop();
            receive->findChild<QLineEdit *>(QStringLiteral("Edit8"))->setText(QStringLiteral("BY-WINDOW.nc"));
            receive->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->click();
        }
    });
    press.start();
    TransferCommands::FUNC_Transfer_SERIAL232(QString(), 2);
    QVERIFY(releasedMeanwhile);
    // The window received the program, not the listener; afterwards the listener has the port again.
    QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList{QStringLiteral("BY-WINDOW.nc")});
    QVERIFY(!listener()->isReleased());
    punch("%\r\nO89\r\nM30\r\n%\r\n");
    QTRY_COMPARE(QDir(folder()).entryList(QDir::Files), (QStringList{QStringLiteral("BY-WINDOW.nc"), QStringLiteral("O89.nc")}));
}

void tst_DncApp::programInProgressKeptWhenTheApplicationCloses()
{
    QVector<JournalEntry> journaled;
    AppDnc::service()->journal = [&journaled](const JournalEntry &e) { journaled << e; };
    punch("%\r\nO512\r\nG0X1\r\nG1X2F100\r\n");
    QTRY_VERIFY(listener()->busy());
    Application::destroyWindows();
    const QString stored = folder() + QStringLiteral("/O512.nc");
    QVERIFY(QFileInfo::exists(stored));
    QCOMPARE(TestSupport::readBytes(stored), QByteArray("%\r\nO512\r\nG0X1\r\nG1X2F100\r\n"));
    QCOMPARE(journaled.size(), 1);
    QVERIFY(!journaled.first().notice.isEmpty()); // no end of program received
}

void tst_DncApp::registrationWindowWritesTheOptions()
{
    auto *w = TForm_Maquinas::instance();
    QVERIFY(w);
    const QString ini = app().mainSettingsPath();
    w->prepare(TForm_Maquinas::Mode::Edit);
    app().EditMachineId = m_id;
    QVERIFY(w->FUNC_Listar_BD_Maquinas(m_id));
    auto *autoReceive = w->findChild<QCheckBox *>(QStringLiteral("DncAutoReceive"));
    auto *pattern = w->findChild<QLineEdit *>(QStringLiteral("DncNamePattern"));
    QVERIFY(autoReceive->isChecked());
    QVERIFY(w->findChild<QCheckBox *>(QStringLiteral("DncRemoteRequest"))->isChecked());

    // A name that would leave the folder is refused, and nothing is saved.
    pattern->setText(QStringLiteral("../%1"));
    w->BitBtn2Click();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QVERIFY2(m_dialogs->messages().first().contains(QLatin1String("\"../%1\"")), qPrintable(m_dialogs->messages().first()));
    QCOMPARE(MachineOptions::read(ini, m_id).namePattern, QStringLiteral("%1"));
    m_dialogs->clear();

    // A good pattern and automatic receive off: written, and the application stops listening.
    pattern->setText(QStringLiteral("L77-%1"));
    autoReceive->setChecked(false);
    w->BitBtn2Click();
    const MachineOptions saved = MachineOptions::read(ini, m_id);
    QCOMPARE(saved.namePattern, QStringLiteral("L77-%1"));
    QVERIFY(!saved.autoReceive);
    QCOMPARE(saved.answerDelaySeconds, 0); // what the window does not show is kept
    QTRY_VERIFY(!listener());

    // On again: listening with the new name.
    w->prepare(TForm_Maquinas::Mode::Edit);
    QVERIFY(w->FUNC_Listar_BD_Maquinas(m_id));
    QCOMPARE(pattern->text(), QStringLiteral("L77-%1"));
    autoReceive->setChecked(true);
    w->BitBtn2Click();
    QTRY_VERIFY(listener());
    punch("%\r\nO5\r\nM30\r\n%\r\n");
    QTRY_VERIFY(QFileInfo::exists(folder() + QStringLiteral("/L77-O5.nc")));
}

QTEST_MAIN(tst_DncApp)
#include "tst_dncapp.moc"
