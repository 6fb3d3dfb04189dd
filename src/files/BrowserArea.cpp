#include "BrowserArea.h"

#include "FileCopy.h"
#include "NewFolder.h"
#include "ProductDirectoryWindow.h"
#include "ShellListView.h"
#include "ShellTreeView.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/WindowRules.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

namespace {
BrowserArea *g_browser = nullptr;
} // namespace

BrowserArea::BrowserArea(TForm_Main *main) : QObject(main), m_main(main)
{
    g_browser = this;
    m_tree = new ShellTreeView(main->browserTreeSlot());
    main->browserTreeSlot()->layout()->addWidget(m_tree);
    m_list = new ShellListView(main->browserListSlot());
    main->browserListSlot()->layout()->addWidget(m_list);
    m_address = main->findChild<QComboBox *>(QStringLiteral("ShellComboBox1"));
    m_filterEdit = main->findChild<QLineEdit *>(QStringLiteral("Edit1"));

    connect(m_tree, &ShellTreeView::folderChanged, this, [this](const QString &path) { showFolder(path, m_tree); });
    connect(m_list, &ShellListView::folderChanged, this, [this](const QString &path) { showFolder(path, m_list); });
    connect(m_list, &ShellListView::fileOpenRequested, this, &BrowserArea::openFile);
    // Shown after the in-place editor has closed.
    connect(m_list, &ShellListView::renameFailed, this, &BrowserArea::renameFailed, Qt::QueuedConnection);

    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->setMaxVisibleItems(20);
    connect(m_address, &QComboBox::activated, this,
            [this](int index) { addressEntered(m_address->itemData(index).toString()); });
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { addressEntered(m_address->lineEdit()->text()); });

    if (auto *filter = main->findChild<QPushButton *>(QStringLiteral("Button4")))
        connect(filter, &QPushButton::clicked, this, &BrowserArea::Button4Click);
    if (auto *clear = main->findChild<QPushButton *>(QStringLiteral("Button5")))
        connect(clear, &QPushButton::clicked, this, &BrowserArea::Button5Click);
    connect(m_filterEdit, &QLineEdit::returnPressed, this, &BrowserArea::Button4Click);

    connectButton("SpeedButton9", &BrowserArea::SpeedButton9Click);
    connectButton("SpeedButton10", &BrowserArea::SpeedButton10Click);
    connectButton("SpeedButton11", &BrowserArea::SpeedButton11Click);
    connectButton("SpeedButton12", &BrowserArea::SpeedButton12Click);
    connectButton("SpeedButton20", &BrowserArea::SpeedButton20Click);
    connectButton("SpeedButton21", &BrowserArea::SpeedButton21Click);
    connectButton("SpeedButton22", &BrowserArea::SpeedButton22Click);
    connectButton("SpeedButton23", &BrowserArea::SpeedButton23Click);
    connectButton("SpeedButton3", &BrowserArea::SpeedButton3Click);

    const struct { QKeySequence keys; void (BrowserArea::*handler)(); } keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_C), &BrowserArea::SpeedButton22Click},
        {QKeySequence(Qt::CTRL | Qt::Key_V), &BrowserArea::SpeedButton23Click},
        {QKeySequence(Qt::Key_Delete), &BrowserArea::SpeedButton21Click},
    };
    for (const auto &k : keys) {
        auto *shortcut = new QShortcut(k.keys, m_list, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        const auto handler = k.handler;
        connect(shortcut, &QShortcut::activated, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    }

    // Until a machine is selected the browser shows the user's own folder.
    showFolder(QDir::homePath(), nullptr);
}

BrowserArea::~BrowserArea()
{
    if (g_browser == this)
        g_browser = nullptr;
}

BrowserArea *BrowserArea::instance() { return g_browser; }

QToolButton *BrowserArea::button(const char *name) const
{
    return m_main->findChild<QToolButton *>(QLatin1String(name));
}

void BrowserArea::connectButton(const char *name, void (BrowserArea::*handler)())
{
    if (QToolButton *b = button(name))
        connect(b, &QToolButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void BrowserArea::showFolder(const QString &path, QObject *origin)
{
    if (origin != m_tree)
        m_tree->setFolder(path);
    if (origin != m_list)
        m_list->setFolder(path);
    fillAddressBox(m_list->folder());
}

// The path box lists the folder and the folders above it, the folder last.
void BrowserArea::fillAddressBox(const QString &path)
{
    const QSignalBlocker block(m_address);
    m_address->clear();
    if (path.isEmpty())
        return;
    QStringList chain;
    QDir dir(QDir::fromNativeSeparators(path));
    do {
        chain.prepend(dir.absolutePath());
    } while (dir.cdUp());
    static const QIcon folderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);
    for (const QString &p : chain)
        m_address->addItem(folderIcon, QDir::toNativeSeparators(p), QDir::toNativeSeparators(p));
    m_address->setCurrentIndex(m_address->count() - 1);
}

void BrowserArea::addressEntered(const QString &text)
{
    const QString path = text.trimmed();
    if (!path.isEmpty() && QFileInfo(path).isDir()) {
        showFolder(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), nullptr);
        return;
    }
    QApplication::beep();
    fillAddressBox(m_list->folder());
}

void BrowserArea::FUNC_Atualizar_DIR(int view, const QString &path)
{
    m_list->setViewStyle(view);
    m_tree->reread();
    showFolder(path, nullptr);
    m_tree->setFocus();
}

void BrowserArea::Refresh_Menu_ShellList()
{
    for (int c = 0; c < 4; ++c)
        m_list->setColumnCaption(c, Texts::text(QStringLiteral("Form_Main.ShellListView1.Column%1").arg(c)));
}

QString BrowserArea::currentFolder() const { return m_tree->folder(); }

QString BrowserArea::selectedItemPath() const { return m_list->selectedPath(); }

QString BrowserArea::selectedFilePath() const { return m_list->selectedIsFolder() ? QString() : m_list->selectedPath(); }

void BrowserArea::Button4Click() { m_list->setFilterText(m_filterEdit->text()); }

void BrowserArea::Button5Click()
{
    m_filterEdit->clear();
    m_list->setFilterText(QString());
}

void BrowserArea::SpeedButton9Click() { FUNC_Atualizar_DIR(ShellListView::LargeIcons, currentFolder()); }
void BrowserArea::SpeedButton10Click() { FUNC_Atualizar_DIR(ShellListView::SmallIcons, currentFolder()); }
void BrowserArea::SpeedButton12Click() { FUNC_Atualizar_DIR(ShellListView::List, currentFolder()); }
void BrowserArea::SpeedButton11Click() { FUNC_Atualizar_DIR(ShellListView::Details, currentFolder()); }

void BrowserArea::SpeedButton20Click()
{
    QToolButton *b = button("SpeedButton20");
    if (b)
        b->setEnabled(false);
    struct Enable
    {
        QToolButton *b;
        ~Enable()
        {
            if (b)
                b->setEnabled(true);
        }
    } enable{b};

    const QString folder = currentFolder();
    // A place with no folder path of its own cannot take a new folder.
    if (folder.isEmpty()) {
        Msg::error(T("Form_Main.MSG29"));
        return;
    }
    const QString base = Paths::withTrailingSeparator(folder);
    if (NewFolder::isRefused(base))
        return;
    if (!QDir().mkdir(NewFolder::choosePath(base))) {
        Msg::error(T("Form_Main.MSG29"));
        return;
    }
    m_main->update();
}

void BrowserArea::SpeedButton21Click()
{
    const QString path = selectedItemPath();
    if (path.isEmpty()) {
        Msg::information(T("Form_Main.MSG30"));
        return;
    }
    if (!Msg::question(Texts::extra("Extra.DeleteQuestion").arg(path)))
        return;
    QString error;
    if (!shell().moveToTrash(path, &error)) {
        Msg::error(Texts::extra("Extra.DeleteFailed").arg(path, error));
        return;
    }
    m_main->update();
}

void BrowserArea::SpeedButton22Click()
{
    const QString path = selectedItemPath();
    if (path.isEmpty()) {
        Msg::information(T("Form_Main.MSG31"));
        return;
    }
    CopiedItemPath = path;
    // A later Paste takes this item, not files copied elsewhere before.
    shell().setClipboardFiles(QStringList());
}

void BrowserArea::SpeedButton23Click()
{
    const QString folder = currentFolder();
    if (folder.isEmpty())
        return;
    const QStringList files = shell().clipboardFiles();
    for (const QString &file : files) {
        FUNC_Copiar_Arquivo(file, folder);
        CopiedItemPath.clear();
    }
    if (!CopiedItemPath.trimmed().isEmpty())
        FUNC_Copiar_Arquivo(CopiedItemPath, folder);
    m_main->update();
}

void BrowserArea::SpeedButton3Click()
{
    auto *window = qobject_cast<TForm_DIR *>(Application::window(QStringLiteral("Form_DIR")));
    if (!window)
        return;
    window->prepare(app().SelectedProgramDirectory);
    WindowRules::showModal(window, T("Form_DIR.Ribbon1"));
}

void BrowserArea::openFile(const QString &path)
{
    // A CNC program that no desktop program opens is what the editor is for.
    if (shell().hasAssociatedProgram(path) && shell().openWithAssociatedProgram(path))
        return;
    if (m_openInEditor)
        m_openInEditor(path);
    else
        Msg::error(Texts::extra("Extra.OpenFailed").arg(path));
}

void BrowserArea::renameFailed(const QString &path, const QString &newName)
{
    Msg::error(Texts::extra("Extra.RenameFailed").arg(path, newName));
}

void installBrowserArea(TForm_Main *main) { new BrowserArea(main); }

void refreshBrowserColumns(TForm_Main *)
{
    if (BrowserArea *b = BrowserArea::instance())
        b->Refresh_Menu_ShellList();
}

void browseTo(const QString &folder) { FUNC_Atualizar_DIR(0, folder); }

void FUNC_Atualizar_DIR(int view, const QString &path)
{
    if (BrowserArea *b = BrowserArea::instance())
        b->FUNC_Atualizar_DIR(view, path);
}

QString selectedFilePath()
{
    BrowserArea *b = BrowserArea::instance();
    return b ? b->selectedFilePath() : QString();
}

QString currentBrowserFolder()
{
    BrowserArea *b = BrowserArea::instance();
    return b ? b->currentFolder() : QString();
}
