// zavrin-gallery OUTDIR [LANG]: starts Zavrin offscreen on the demo workspace and
// saves a picture of every window (the main window on each ribbon page), for the
// screenshot gallery and the help pages.
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "machines/MachinesWindow.h"
#include "platform/Paths.h"
#include "platform/ProfileFile.h"
#include "platform/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>

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
    const char *pages[] = {"main-browser", "main-machines", "main-editor"};
    for (int page = 0; page < 3; ++page) {
        main->ribbonPages()->setCurrentIndex(page);
        save(main, out + QLatin1Char('/') + QLatin1String(pages[page]) + suffix);
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
                save(machines, out + QLatin1Char('/') + name + QStringLiteral("-page%1").arg(type) + suffix);
            }
            machines->hide();
            continue;
        }
        dialog->adjustSize();
        dialog->show();
        save(dialog, out + QLatin1Char('/') + name + suffix);
        dialog->hide();
    }
    for (const QString &message : dialogsForPictures.messages())
        QTextStream(stderr) << "message shown: " << message << "\n";
    Application::destroyWindows();
    return 0;
}
