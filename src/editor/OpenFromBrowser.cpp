#include "OpenFromBrowser.h"

#include "EditorArea.h"
#include "app/MainWindow.h"
#include "files/BrowserArea.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QTabWidget>
#include <QToolButton>

void SpeedButton2Click(TForm_Main *main)
{
    BrowserArea *browser = BrowserArea::instance();
    EditorArea *editor = EditorArea::instance();
    if (!browser || !editor)
        return;
    const QString path = browser->selectedItemPath();
    if (path.isEmpty()) {
        Msg::information(T("Form_Main.MSG32"));
        return;
    }
    if (!QFileInfo(path).isFile())
        return; // a folder: nothing to open
    openInEditor(main, path);
}

void openInEditor(TForm_Main *main, const QString &path)
{
    EditorArea *editor = EditorArea::instance();
    if (!editor)
        return;
    guarded([&] {
        editor->FUNC_Abrir_Arquivo(path);
        main->ribbonPages()->setCurrentIndex(2);
        main->FUNC_ViewRibbon(2);
    });
}

void installOpenFromBrowser(TForm_Main *main)
{
    QObject::connect(main->findChild<QToolButton *>(QStringLiteral("SpeedButton2")), &QToolButton::clicked, main,
                     [main] { SpeedButton2Click(main); });
    if (BrowserArea *browser = BrowserArea::instance())
        browser->setOpenInEditor([main](const QString &path) { openInEditor(main, path); });
}
