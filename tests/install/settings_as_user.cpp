// settings_as_user <application folder> <other database>
//
// The configuration change an operator makes on an installed workstation: in the
// real windows, pick another machine database and German, Apply, then save the
// colours. Run by root, it first becomes the unprivileged user 65534, so that the
// installation folder (root's) refuses new files while its settings files (writable
// by all) do not. Exit status 0 when every write arrived and no message was shown;
// otherwise 1, with what went wrong on standard error.
#include "StartWindows.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/ConfigWindow.h"
#include "platform/ProfileFile.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QPushButton>

#include <cstdio>
#include <grp.h>
#include <unistd.h>

namespace {

int failed(const QString &why)
{
    std::fprintf(stderr, "settings_as_user: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return failed(QStringLiteral("usage: settings_as_user <application folder> <other database>"));
    if (::geteuid() == 0) {
        const gid_t nogroup = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(65534) != 0)
            return failed(QStringLiteral("cannot become user 65534"));
    }
    if (::geteuid() == 0)
        return failed(QStringLiteral("still root"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", "/tmp");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString other = QString::fromLocal8Bit(argv[2]);
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    ScriptedDialogs dialogs;
    ScriptedShell shell;
    startWindows(folder);
    if (!dialogs.messages().isEmpty())
        return failed(QStringLiteral("at start: ") + dialogs.messages().join(QLatin1Char('\n')));

    auto *config = qobject_cast<TForm_Config *>(Application::window(QStringLiteral("Form_Config")));
    config->show();
    dialogs.answerPath(other);
    config->BitBtn2Click();
    if (!config->databaseFileAccepted())
        return failed(QStringLiteral("the trial refused ") + other + QLatin1Char(' ')
                      + dialogs.messages().join(QLatin1Char('\n')));
    config->ComboBox1()->setCurrentIndex(4); // Deutsch
    config->ComboBox1Change();
    config->BitBtn1()->click();
    auto *colours = qobject_cast<QDialog *>(Application::window(QStringLiteral("Form_EDT_COR")));
    colours->show();
    colours->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    if (!dialogs.messages().isEmpty())
        return failed(dialogs.messages().join(QLatin1Char('\n')));

    const ProfileFile ini(app().mainSettingsPath());
    if (ini.readString(QStringLiteral("LANGUAGE"), QStringLiteral("VALUE"), QString()) != QLatin1String("DE"))
        return failed(QStringLiteral("Zavrin.ini does not hold the language"));
    if (ini.readString(QStringLiteral("DIRBD"), QStringLiteral("VALUE"), QString()) != other)
        return failed(QStringLiteral("Zavrin.ini does not hold the database"));
    if (ProfileFile(app().editorSettingsPath()).readString(QStringLiteral("COD6"), QStringLiteral("Valor"), QString()).isEmpty())
        return failed(QStringLiteral("ZavrinEditCNC.ini does not hold the colours"));
    if (QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) != before)
        return failed(QStringLiteral("the folder's entries changed"));
    Application::destroyWindows();
    std::printf("settings written as user %d\n", int(::geteuid()));
    return 0;
}
