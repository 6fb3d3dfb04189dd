// Whether the desktop has a program for a file, as the real shell finds it out:
// xdg-mime's default application for the file's type or a type it is a kind of.
// The test puts its own xdg-open and xdg-mime first on the PATH.
#include "TestSupport.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_Shell : public QObject
{
    Q_OBJECT

private slots:
    void hasAssociatedProgram_data();
    void hasAssociatedProgram();
};

void tst_Shell::hasAssociatedProgram_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("defaults"); // the types xdg-mime names a program for
    QTest::addColumn<bool>("withXdgOpen");
    QTest::addColumn<bool>("expected");
    QTest::newRow("default for the type") << "notes.txt" << "text/plain" << true << true;
    QTest::newRow("default for a parent type") << "prog.c" << "text/plain" << true << true;
    QTest::newRow("no default for the type") << "picture.png" << "text/plain" << true << false;
    QTest::newRow("an octet-stream default says nothing") << "O1234.G1" << "application/octet-stream" << true << false;
    QTest::newRow("no xdg-open to start it") << "notes.txt" << "text/plain" << false << false;
}

void tst_Shell::hasAssociatedProgram()
{
#if !defined(Q_OS_UNIX) || defined(Q_OS_MACOS)
    QSKIP("the desktop reports a missing program when the file is opened");
#endif
    QFETCH(QString, file);
    QFETCH(QString, defaults);
    QFETCH(bool, withXdgOpen);
    QFETCH(bool, expected);
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    auto script = [&](const QString &name, const QByteArray &body) {
        const QString path = QDir(bin).filePath(name);
        TestSupport::writeBytes(path, "#!/bin/sh\n" + body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    QByteArray cases;
    for (const QString &type : defaults.split(QLatin1Char(' ')))
        cases += "  \"query default " + type.toUtf8() + "\") echo viewer.desktop ;;\n";
    script(QStringLiteral("xdg-mime"), "case \"$*\" in\n" + cases + "esac\nexit 0\n");
    if (withXdgOpen)
        script(QStringLiteral("xdg-open"), "exit 0\n");
    const QString target = dir.filePath(file);
    TestSupport::writeBytes(target, "int main() { return 0; }\n");

    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin));
    setShell(nullptr);
    const bool has = shell().hasAssociatedProgram(target);
    qputenv("PATH", oldPath);
    QCOMPARE(has, expected);
}

QTEST_MAIN(tst_Shell)
#include "tst_shell.moc"
