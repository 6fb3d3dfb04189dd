// What a window manager shows for each window (title bar, task switcher) is the
// window's caption in the interface language, never a name of the design.
#include "StartWindows.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/ConfirmReplaceDialog.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"
#include "platform/WindowRules.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_WindowTitles : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::resetAppState(); }
    void cleanup() { Application::destroyWindows(); }
    void titleIsTheCaption_data();
    void titleIsTheCaption();
};

void tst_WindowTitles::titleIsTheCaption_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("English") << "EN";
    QTest::newRow("German") << "DE";
    QTest::newRow("French") << "FR"; // its catalog keeps some titles of the other languages
}

void tst_WindowTitles::titleIsTheCaption()
{
    QFETCH(QString, language);
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    TestSupport::writeBytes(dir.filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=\r\n[LANGUAGE]\r\nVALUE=" + language.toLatin1() + "\r\n");
    startWindows(dir.path());

    auto internal = [](QWidget *w) {
        const QString t = w->windowTitle();
        return t.isEmpty() || t == w->objectName() || t.startsWith(QLatin1String("Form_"));
    };
    QStringList wrong;
    // The secondary windows (the main window's title is its own key's, "Zavrin" or none).
    for (QWidget *w : Application::windows().mid(1)) {
        if (!w->isWindow())
            continue;
        // After the language is applied, and when shown as its command shows it.
        if (internal(w))
            wrong << w->objectName() + QStringLiteral(" after the texts: ") + w->windowTitle();
        const QString key = w->objectName() + QStringLiteral(".Ribbon1");
        const QString caption = Texts::text(key);
        if (!caption.isEmpty())
            WindowRules::setRibbonCaption(w, caption);
        w->show();
        if (internal(w) || (!caption.isEmpty() && w->windowTitle() != caption))
            wrong << w->objectName() + QStringLiteral(" shown: ") + w->windowTitle();
        w->hide();
    }
    // A window made when it is needed.
    ConfirmReplaceDialog confirm(Application::windows().first());
    confirm.show();
    if (internal(&confirm))
        wrong << confirm.windowTitle();
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
}

QTEST_MAIN(tst_WindowTitles)
#include "tst_windowtitles.moc"
