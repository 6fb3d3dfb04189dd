// zavrin-gallery OUTDIR [LANG]: starts Zavrin offscreen on the demo workspace and
// saves a picture of every window (the main window on each ribbon page, the find
// and replace dialogs over a demo program), for the screenshot gallery and the
// help pages.
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/EditorArea.h"
#include "editor/TextSearchDialog.h"
#include "machines/MachinesWindow.h"
#include "platform/Error.h"
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

#include <functional>

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

// Clicks the ribbon command that opens the find or replace dialog, types the texts
// in, saves the picture and cancels, as the operator would.
bool saveSearchDialog(const std::function<void()> &click, const QString &find, const QString &replaceWith,
                      const QString &path)
{
    bool saved = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!modal)
            return;
        poll.stop();
        if (auto *dialog = qobject_cast<TextSearchDialog *>(modal)) {
            dialog->cbSearchText()->setCurrentText(find);
            if (dialog->cbReplaceText())
                dialog->cbReplaceText()->setCurrentText(replaceWith);
            saved = save(dialog, path);
        }
        modal->reject();
    });
    poll.start();
    click();
    poll.stop();
    if (!saved)
        QTextStream(stdout) << "FAILED " << path << " (the dialog did not open)\n";
    return saved;
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
    // The find and replace dialogs are made when they are used: open a demo program
    // in the editor, then click Find and Replace and type the texts in.
    main->ribbonPages()->setCurrentIndex(2);
    QApplication::setCursorFlashTime(0); // the caret in the typed text is always drawn
    EditorArea *editor = EditorArea::instance();
    const QString program =
        QStringLiteral("demo/programs/VMC-850/vscode-gcode_haas-style-profile_pct-o-number-ij-arcs.nc");
    try {
        editor->FUNC_Abrir_Arquivo(QDir(app().AppDirectory).filePath(program));
    } catch (const Error &error) {
        QTextStream(stderr) << "demo program: " << error.message() << "\n";
    }
    settle();
    const QString find = QStringLiteral("G01");
    saveSearchDialog([editor] { editor->SpeedButton27Click(); }, find, QString(),
                     out + QStringLiteral("/form-find") + suffix);
    saveSearchDialog([editor] { editor->SpeedButton30Click(); }, find, QStringLiteral("G1"),
                     out + QStringLiteral("/form-replace") + suffix);

    for (const QString &message : dialogsForPictures.messages())
        QTextStream(stderr) << "message shown: " << message << "\n";
    Application::destroyWindows();
    return 0;
}
