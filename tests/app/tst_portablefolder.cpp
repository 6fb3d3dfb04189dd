// A copy of the ready-to-run folder works on its own files: the settings and the
// demo database name them relative to the application folder, so the copy reads
// and writes only inside itself, even with the original's programs gone.
#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "editor/CncEditor.h"
#include "editor/EditorArea.h"
#include "files/BrowserArea.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "transfer/TransferRules.h"
#include "transfer/TransferValues.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo &entry : source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir())
            copyTree(entry.filePath(), target);
        else
            QVERIFY2(QFile::copy(entry.filePath(), target), qPrintable(entry.filePath()));
    }
}

// Every file under `folder` with its size and content hash.
QStringList snapshot(const QString &folder)
{
    QStringList lines;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString line = QDir(folder).relativeFilePath(path);
        if (info.isFile())
            line += QLatin1Char(' ')
                    + QString::fromLatin1(QCryptographicHash::hash(TestSupport::readBytes(path), QCryptographicHash::Sha1)
                                              .toHex());
        lines << line;
    }
    lines.sort();
    return lines;
}

bool inside(const QString &path, const QString &folder)
{
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    return clean.startsWith(QDir::cleanPath(folder) + QLatin1Char('/'));
}

} // namespace

class tst_PortableFolder : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }
    void cleanup() { Application::destroyWindows(); }
    void relativePaths_data();
    void relativePaths();
    void copiedFolderStaysInsideItself();
};

void tst_PortableFolder::relativePaths_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("resolved"); // under the application folder /app/Zavrin/
    QTest::newRow("relative file") << "demo/machines.db" << "/app/Zavrin/demo/machines.db";
    QTest::newRow("relative folder keeps its separator") << "demo/programs/VMC-850/" << "/app/Zavrin/demo/programs/VMC-850/";
    QTest::newRow("dot and dot-dot") << "./demo/../shared/x.db" << "/app/Zavrin/shared/x.db";
    QTest::newRow("above the folder") << "../machines/VMC" << "/app/machines/VMC";
    QTest::newRow("absolute stays") << "/srv/cnc/machines.db" << "/srv/cnc/machines.db";
    QTest::newRow("Windows drive stays") << "D:\\CNC\\M1" << "D:\\CNC\\M1";
    QTest::newRow("Windows network path stays") << "\\\\server\\cnc\\" << "\\\\server\\cnc\\";
    QTest::newRow("empty stays empty") << "" << "";
}

void tst_PortableFolder::relativePaths()
{
    QFETCH(QString, stored);
    QFETCH(QString, resolved);
    QCOMPARE(Paths::inApplicationFolder(stored, QStringLiteral("/app/Zavrin/")), Paths::toNative(resolved));
}

void tst_PortableFolder::copiedFolderStaysInsideItself()
{
    ScriptedDialogs dialogs;
    ScriptedShell shell;
    QTemporaryDir work;
    const QString original = work.filePath(QStringLiteral("original"));
    const QString copy = work.filePath(QStringLiteral("moved/Zavrin"));
    // The ready-to-run folder as the build lays it out, then a copy of it.
    for (const char *file : {"Zavrin.ini", "ZavrinEditCNC.ini"}) {
        QDir().mkpath(original);
        QVERIFY(QFile::copy(QStringLiteral(ZAVRIN_RUN_DIR "/") + QLatin1String(file),
                            QDir(original).filePath(QLatin1String(file))));
    }
    copyTree(QStringLiteral(ZAVRIN_RUN_DIR "/demo"), original + QStringLiteral("/demo"));
    copyTree(original, copy);
    // The original's programs are gone and the original may not be written.
    QVERIFY(QDir(original).rename(QStringLiteral("demo/programs"), QStringLiteral("demo/programs-gone")));
    const QStringList originalBefore = snapshot(original);
    const QStringList originalBuild = snapshot(QStringLiteral(ZAVRIN_RUN_DIR "/demo"));

    startWindows(copy);
    QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));
    QCOMPARE(QDir::cleanPath(app().DatabaseFile), copy + QStringLiteral("/demo/machines.db"));
    // The first machine is selected and the browser shows its folder in the copy.
    QVERIFY2(inside(app().SelectedProgramDirectory, copy), qPrintable(app().SelectedProgramDirectory));
    QVERIFY(QFileInfo(app().SelectedProgramDirectory).isDir());
    QVERIFY2(inside(currentBrowserFolder(), copy), qPrintable(currentBrowserFolder()));
    TransferValues values;
    TransferRules::loadPathValues(values, app().SelectedMachineId);
    QVERIFY2(inside(values.MachineTransferDirectory, copy), qPrintable(values.MachineTransferDirectory));
    QVERIFY(QFileInfo(values.MachineTransferDirectory).isDir());

    // A program of the machine, changed and saved, is changed in the copy.
    const QStringList programs = QDir(app().SelectedProgramDirectory).entryList(QDir::Files, QDir::Name);
    QVERIFY(!programs.isEmpty());
    const QString program = QDir(app().SelectedProgramDirectory).filePath(programs.first());
    EditorArea *editor = EditorArea::instance();
    editor->FUNC_Abrir_Arquivo(program);
    editor->CurrentEditor()->insert(QStringLiteral("(SAVED IN THE COPY)\n"));
    editor->FUNC_Salvar_Arquivo();
    QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));
    QVERIFY(TestSupport::readBytes(program).startsWith("(SAVED IN THE COPY)\n"));

    QCOMPARE(snapshot(original), originalBefore);
    QCOMPARE(snapshot(QStringLiteral(ZAVRIN_RUN_DIR "/demo")), originalBuild);
}

QTEST_MAIN(tst_PortableFolder)
#include "tst_portablefolder.moc"
