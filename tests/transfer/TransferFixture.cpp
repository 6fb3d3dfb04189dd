#include "TransferFixture.h"

#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "machines/Database.h"
#include "machines/DatabaseSchema.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "transfer/TransferCommands.h"
#include "transfer/TransferPanelWindow.h"

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

TransferFixture::TransferFixture()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    const QString db = m_dir.filePath(QStringLiteral("machines.db"));
    DatabaseSchema::createDatabase(db, false);
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=" + db.toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=EN\r\n");
    m_main = startWindows(m_dir.path());
    m_dialogs->clear();
}

TransferFixture::~TransferFixture()
{
    Application::destroyWindows();
    delete m_shell;
    delete m_dialogs;
}

QString TransferFixture::path(const QString &name) const { return QDir::toNativeSeparators(m_dir.filePath(name)); }

QString TransferFixture::makeFolder(const QString &name) const
{
    QDir().mkpath(m_dir.filePath(name));
    return path(name);
}

QString TransferFixture::addMachine(const QString &type, const QString &programDirectory)
{
    MachineRecord m;
    m.number = QString::number(100 + ++m_machines);
    m.description = QStringLiteral("Machine ") + m.number;
    m.transferType = type;
    m.pictureId = QStringLiteral("1");
    m.programDirectory = Paths::withTrailingSeparator(programDirectory);
    const QString id = TDataModule1::instance().insertMachine(m);
    select(id, type, programDirectory);
    app().SelectedMachineNumber = m.number;
    app().SelectedMachineDescription = m.description;
    return id;
}

void TransferFixture::select(const QString &id, const QString &type, const QString &programDirectory)
{
    app().SelectedMachineId = id;
    app().SelectedTransferType = type;
    app().SelectedProgramDirectory = Paths::withTrailingSeparator(programDirectory);
}

void TransferFixture::sendWithBlankName(TransferPanelWindow *window, QLineEdit *name, const QString &blank,
                                        const QString &file)
{
    WhenShown shown(window, [&] {
        name->setText(blank);
        window->BitBtn1Click();
        QVERIFY(window->isVisible());
        QCOMPARE(window->focusWidget(), name);
    });
    TransferCommands::dispatch(file, 1);
    QVERIFY(shown.shown());
    QCOMPARE(m_dialogs->messages(), QStringList("INFORMATION: Please fill the \"Destination File Name\" field."));
}

void TransferFixture::receiveAsksForFileThenName(TransferPanelWindow *window, QWidget *list, QLineEdit *name,
                                                 const QString &firstName, const QString &blank,
                                                 const std::function<void()> &selectFile)
{
    WhenShown shown(window, [&] {
        name->setText(firstName);
        window->BitBtn2Click();
        QCOMPARE(window->focusWidget(), list);
        selectFile();
        window->BitBtn4Click();
        name->setText(blank);
        window->BitBtn2Click();
        QCOMPARE(window->focusWidget(), name);
        QVERIFY(window->isVisible());
    });
    TransferCommands::SpeedButton19Click();
    QVERIFY(shown.shown());
    QCOMPARE(m_dialogs->messages(),
             QStringList({"INFORMATION: Please select File to Transfer.",
                          "INFORMATION: Please fill the \"Destination File Name\" field."}));
}

struct WhenShown::Private
{
    QTimer timer;
};

WhenShown::WhenShown(QDialog *window, std::function<void()> action) : d(new Private)
{
    d->timer.setInterval(5);
    QObject::connect(&d->timer, &QTimer::timeout, [this, window, action] {
        if (!window->isVisible())
            return;
        d->timer.stop();
        m_shown = true;
        action();
        if (window->isVisible())
            window->reject();
    });
    d->timer.start();
}

WhenShown::~WhenShown() { delete d; }
