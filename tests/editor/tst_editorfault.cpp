#include "FaultInjection.h"
#include "StartWindows.h"
#include "TestSupport.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/EditorArea.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

// The editor's saves on a full disk: a file-size limit makes the write that
// crosses it fail with "File too large", as a full disk would with its own reason.
class tst_EditorFault : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveOnFullDiskKeepsFileAndTab_data();
    void saveOnFullDiskKeepsFileAndTab();

private:
    void click(const char *button);

    QTemporaryDir m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    EditorArea *m_area = nullptr;
};

void tst_EditorFault::init()
{
    TestSupport::resetAppState();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")), "[LANGUAGE]\r\nVALUE=EN\r\n");
    m_main = startWindows(m_dir.path());
    m_main->ribbonPages()->setCurrentIndex(2);
    m_area = EditorArea::instance();
    QVERIFY(m_area);
    m_dialogs->clear();
}

void tst_EditorFault::cleanup()
{
    m_dialogs->clear();
    // Nothing is left modified: the close question is not what these tests look at.
    for (int i = 0; m_area && i < m_area->tabCount(); ++i)
        m_area->editorAt(i)->setModified(false);
    Application::destroyWindows();
    m_main = nullptr;
    m_area = nullptr;
    delete m_shell;
    delete m_dialogs;
}

// As the operator does it: through the button, whose handler shows what fails.
void tst_EditorFault::click(const char *button)
{
    auto *b = m_main->findChild<QToolButton *>(QLatin1String(button));
    QVERIFY(b);
    b->click();
}

void tst_EditorFault::saveOnFullDiskKeepsFileAndTab_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("saveAsOverOther"); // Save As onto another existing file, replace answered Yes
    QTest::newRow("save") << QByteArray("SpeedButton13") << false;
    QTest::newRow("save all") << QByteArray("SpeedButton33") << false;
    QTest::newRow("save as over an existing file") << QByteArray("SpeedButton16") << true;
}

void tst_EditorFault::saveOnFullDiskKeepsFileAndTab()
{
    QFETCH(QByteArray, button);
    QFETCH(bool, saveAsOverOther);
    const QString path = m_dir.filePath(QStringLiteral("O1000.NC"));
    const QString other = m_dir.filePath(QStringLiteral("O2000.NC"));
    TestSupport::writeBytes(path, "%\r\nO1000\r\nG0 X1\r\n%\r\n");
    TestSupport::writeBytes(other, "%\r\nO2000\r\n%\r\n");
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    m_area->FUNC_Abrir_Arquivo(path);
    QString edited = QStringLiteral("%\nO1000\n");
    for (int i = 0; i < 2000; ++i)
        edited += QStringLiteral("N%1 G1 X%1.5\n").arg(i);
    m_area->CurrentEditor()->setText(edited);
    m_area->CurrentEditor()->replaceLine(0, QStringLiteral("%"));
    QVERIFY(m_area->CurrentEditor()->isModified());
    if (saveAsOverOther) {
        m_dialogs->answerPath(other);
        m_dialogs->answer(Dialogs::Yes);
    }
    {
        FaultInjection::FileSizeLimit full(4096);
        click(button.constData());
    }
    const QString target = saveAsOverOther ? other : path;
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QVERIFY2(m_dialogs->last().text.contains(target), qPrintable(m_dialogs->last().text));
    QVERIFY2(m_dialogs->last().text.contains(QLatin1String("File too large")), qPrintable(m_dialogs->last().text));
    QCOMPARE(TestSupport::readBytes(path), QByteArray("%\r\nO1000\r\nG0 X1\r\n%\r\n"));
    QCOMPARE(TestSupport::readBytes(other), QByteArray("%\r\nO2000\r\n%\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    QVERIFY(m_area->CurrentEditor()->isModified());
    QCOMPARE(m_area->CurrentEditor()->allText(), edited);
    QCOMPARE(m_area->CurrentFileName(), path);
    QCOMPARE(m_area->tabCaption(0), path);
}

QTEST_MAIN(tst_EditorFault)
#include "tst_editorfault.moc"
