#include "BrowserTestWindows.h"
#include "editor/CncEditor.h"
#include "editor/EditorArea.h"
#include "files/BrowserArea.h"
#include "files/FileCopy.h"
#include "files/FolderListModel.h"
#include "files/ShellListView.h"
#include "files/ShellTreeView.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QSaveFile>
#include <QSet>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

class tst_Browser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void filterShowsMatchingFilesOnly();
    void newFolderNames();
    void newFolderRefusedInNetworkNeighbourhood();
    void deleteAsksAndMovesToTrash();
    void copyPasteAndPasteAgain();
    void pasteOfClipboardFilesForgetsCopiedItem();
    void pasteFailureIsReported();
    void openingItemsAndGoingUp();
    void doubleClickWithoutProgramOpensTheEditor();
    void selectedFileIsNeverAFolder();
    void viewButtonsSwitchStyles();
    void columnCaptionsFollowLanguage();
    void renameInPlace();
    void keysOfTheList();
    void listFollowsTheDiskAndKeepsTheSelection();
    void headerSortsByColumn();
    void narrowListKeepsTheDateInView();
    void copyFunctionAnswers_data();
    void copyFunctionAnswers();
    void copyFunctionFailures();

private:
    QString path(const QString &relative) const { return QDir::toNativeSeparators(m_dir->filePath(relative)); }
    void write(const QString &relative, const QByteArray &bytes = "G0 X0\n")
    {
        QDir().mkpath(QFileInfo(m_dir->filePath(relative)).path());
        TestSupport::writeBytes(m_dir->filePath(relative), bytes);
    }
    QStringList shown() const
    {
        QStringList names = m_browser->ShellListView1()->itemNames();
        names.sort();
        return names;
    }
    bool select(const QString &name)
    {
        const QString folder = m_browser->ShellListView1()->folder();
        return m_browser->ShellListView1()->selectPath(QDir(folder).filePath(name));
    }
    // Shows a folder and waits until the list holds its items.
    void showFolder(const QString &relative, const QStringList &expected)
    {
        browseTo(path(relative));
        QTRY_COMPARE(shown(), expected);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    BrowserArea *m_browser = nullptr;
};

void tst_Browser::init()
{
    TestSupport::resetAppState();
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    m_main = startWindows(*m_dir, QTest::currentTestFunction() == QByteArray("columnCaptionsFollowLanguage") ? "DE" : "EN");
    m_browser = BrowserArea::instance();
    QVERIFY(m_browser);
    write(QStringLiteral("progs/O1234.G1"));
    write(QStringLiteral("progs/prog_g10.nc"), "O0010\nG1 X1\n");
    write(QStringLiteral("progs/abc.nc"));
    write(QStringLiteral("progs/sub/sub_g1.nc"));
    QDir().mkpath(m_dir->filePath(QStringLiteral("progs/G1folder")));
    QDir().mkpath(m_dir->filePath(QStringLiteral("other")));
    m_dialogs->clear();
}

void tst_Browser::cleanup()
{
    Application::destroyWindows();
    m_main = nullptr;
    delete m_shell;
    delete m_dialogs;
    m_dir.reset();
}

const QStringList AllItems{"G1folder", "O1234.G1", "abc.nc", "prog_g10.nc", "sub"};

void tst_Browser::filterShowsMatchingFilesOnly()
{
    showFolder(QStringLiteral("progs"), AllItems);
    QLineEdit *edit = m_main->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    edit->setText(QStringLiteral("g1"));
    m_browser->Button4Click();
    QCOMPARE(shown(), (QStringList{"O1234.G1", "prog_g10.nc"}));

    // The filter stays in force after navigation and for files that appear later.
    showFolder(QStringLiteral("progs/sub"), QStringList{"sub_g1.nc"});
    showFolder(QStringLiteral("progs"), (QStringList{"O1234.G1", "prog_g10.nc"}));
    write(QStringLiteral("progs/late_G1.txt"));
    write(QStringLiteral("progs/late.txt"));
    QTRY_COMPARE(shown(), (QStringList{"O1234.G1", "late_G1.txt", "prog_g10.nc"}));

    edit->setText(QStringLiteral("   "));
    m_browser->Button4Click();
    QStringList everything = QStringList(AllItems) << "late.txt" << "late_G1.txt";
    everything.sort();
    QCOMPARE(shown(), everything);

    edit->setText(QStringLiteral("G10"));
    m_browser->Button4Click();
    QCOMPARE(shown(), QStringList{"prog_g10.nc"});
    m_browser->Button5Click();
    QCOMPARE(edit->text(), QString());
    QCOMPARE(shown().size(), AllItems.size() + 2);
}

void tst_Browser::newFolderNames()
{
    showFolder(QStringLiteral("other"), QStringList());
    for (int i = 0; i < 3; ++i)
        m_browser->SpeedButton20Click();
    QCOMPARE(QDir(path(QStringLiteral("other"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             (QStringList{"New Folder", "New Folder 1", "New Folder 2"}));
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton20"))->isEnabled());
    QTRY_COMPARE(shown(), (QStringList{"New Folder", "New Folder 1", "New Folder 2"}));

    // A folder that is gone takes no new folder: the error, and nothing made.
    QVERIFY(QDir(path(QStringLiteral("other"))).removeRecursively());
    m_browser->SpeedButton20Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"ERROR: Unable to create folder."});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("other"))));
    QVERIFY(m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton20"))->isEnabled());
}

void tst_Browser::newFolderRefusedInNetworkNeighbourhood()
{
    QDir().mkpath(m_dir->filePath(QStringLiteral("nethood")));
    showFolder(QStringLiteral("nethood"), QStringList());
    m_browser->SpeedButton20Click();
    QVERIFY(QDir(path(QStringLiteral("nethood"))).isEmpty());
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_Browser::deleteAsksAndMovesToTrash()
{
    showFolder(QStringLiteral("progs"), AllItems);
    m_browser->SpeedButton21Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: Select File or Folder to Delete."});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);
    QVERIFY(m_shell->trashed.isEmpty());

    QVERIFY(select(QStringLiteral("abc.nc")));
    m_dialogs->clear();
    m_dialogs->answer(Dialogs::No);
    m_browser->SpeedButton21Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"QUESTION: Move \"" + path(QStringLiteral("progs/abc.nc")) + "\" to the trash?"});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Question);
    QVERIFY(QFile::exists(path(QStringLiteral("progs/abc.nc"))));

    m_dialogs->answer(Dialogs::Yes);
    m_browser->SpeedButton21Click();
    QCOMPARE(m_shell->trashed, QStringList{path(QStringLiteral("progs/abc.nc"))});
    QVERIFY(!QFile::exists(path(QStringLiteral("progs/abc.nc"))));

    // A folder goes whole.
    QVERIFY(select(QStringLiteral("sub")));
    m_dialogs->answer(Dialogs::Yes);
    m_browser->SpeedButton21Click();
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("progs/sub"))));
}

void tst_Browser::copyPasteAndPasteAgain()
{
    showFolder(QStringLiteral("progs"), AllItems);
    m_browser->SpeedButton22Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"INFORMATION: Select File or Folder to copy."});
    QVERIFY(m_browser->CopiedItemPath.isEmpty());

    m_shell->clipboard = QStringList{path(QStringLiteral("progs/abc.nc"))};
    QVERIFY(select(QStringLiteral("prog_g10.nc")));
    m_browser->SpeedButton22Click();
    QCOMPARE(m_browser->CopiedItemPath, path(QStringLiteral("progs/prog_g10.nc")));
    QVERIFY(m_shell->clipboard.isEmpty());

    showFolder(QStringLiteral("other"), QStringList());
    m_dialogs->clear();
    m_browser->SpeedButton23Click();
    QCOMPARE(TestSupport::readBytes(path(QStringLiteral("other/prog_g10.nc"))), QByteArray("O0010\nG1 X1\n"));
    QVERIFY(m_dialogs->messages().isEmpty());

    // Pasting again copies again: over the first copy, after asking.
    TestSupport::writeBytes(path(QStringLiteral("other/prog_g10.nc")), "changed");
    m_dialogs->answer(Dialogs::Yes);
    m_browser->SpeedButton23Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"QUESTION: The file \"" + path(QStringLiteral("other/prog_g10.nc"))
                                                + "\" exists already. Replace it?"});
    QCOMPARE(m_dialogs->last().buttons, int(Dialogs::Yes | Dialogs::No | Dialogs::YesToAll | Dialogs::Cancel));
    QCOMPARE(TestSupport::readBytes(path(QStringLiteral("other/prog_g10.nc"))), QByteArray("O0010\nG1 X1\n"));
    QCOMPARE(m_browser->CopiedItemPath, path(QStringLiteral("progs/prog_g10.nc")));

    // A folder is copied with its content.
    showFolder(QStringLiteral("progs"), AllItems);
    QVERIFY(select(QStringLiteral("sub")));
    m_browser->SpeedButton22Click();
    showFolder(QStringLiteral("other"), QStringList{"prog_g10.nc"});
    m_browser->SpeedButton23Click();
    QVERIFY(QFile::exists(path(QStringLiteral("other/sub/sub_g1.nc"))));
}

void tst_Browser::pasteOfClipboardFilesForgetsCopiedItem()
{
    showFolder(QStringLiteral("progs"), AllItems);
    QVERIFY(select(QStringLiteral("abc.nc")));
    m_browser->SpeedButton22Click();
    m_shell->clipboard = QStringList{path(QStringLiteral("progs/O1234.G1")), path(QStringLiteral("progs/sub"))};
    showFolder(QStringLiteral("other"), QStringList());
    m_browser->SpeedButton23Click();
    QCOMPARE(QDir(path(QStringLiteral("other"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             (QStringList{"O1234.G1", "sub"}));
    QVERIFY(QFile::exists(path(QStringLiteral("other/sub/sub_g1.nc"))));
    QVERIFY(m_browser->CopiedItemPath.isEmpty());
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_Browser::pasteFailureIsReported()
{
    showFolder(QStringLiteral("progs"), AllItems);
    QVERIFY(select(QStringLiteral("abc.nc")));
    m_browser->SpeedButton22Click();
    // Into its own folder: the copy would be the file itself.
    m_browser->SpeedButton23Click();
    QCOMPARE(m_dialogs->messages(), QStringList{"ERROR: Could not copy \"" + path(QStringLiteral("progs/abc.nc"))
                                                + "\": The source and the target are the same."});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
}

void tst_Browser::openingItemsAndGoingUp()
{
    showFolder(QStringLiteral("progs"), AllItems);
    ShellListView *list = m_browser->ShellListView1();
    QVERIFY(select(QStringLiteral("sub")));
    list->openItem(list->currentView()->currentIndex());
    QTRY_COMPARE(shown(), QStringList{"sub_g1.nc"});
    QCOMPARE(m_browser->currentFolder(), path(QStringLiteral("progs/sub")));
    QCOMPARE(m_browser->ShellTreeView1()->folder(), path(QStringLiteral("progs/sub")));
    QCOMPARE(m_browser->ShellComboBox1()->currentText(), path(QStringLiteral("progs/sub")));

    QVERIFY(select(QStringLiteral("sub_g1.nc")));
    list->openItem(list->currentView()->currentIndex());
    QCOMPARE(m_shell->openedFiles, QStringList{path(QStringLiteral("progs/sub/sub_g1.nc"))});

    QTest::keyClick(list->currentView(), Qt::Key_Backspace);
    QTRY_COMPARE(shown(), AllItems);
    QCOMPARE(m_browser->currentFolder(), path(QStringLiteral("progs")));
    // The folder it came from stays selected.
    QCOMPARE(m_browser->selectedItemPath(), path(QStringLiteral("progs/sub")));

    // A path typed into the path box.
    QComboBox *box = m_browser->ShellComboBox1();
    box->lineEdit()->setText(path(QStringLiteral("other")));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(m_browser->currentFolder(), path(QStringLiteral("other")));
    box->lineEdit()->setText(path(QStringLiteral("nowhere")));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(m_browser->currentFolder(), path(QStringLiteral("other")));
    QCOMPARE(box->currentText(), path(QStringLiteral("other")));
}

// A CNC program that the desktop has no program for goes into the editor, not
// into an error box; a file with a program still opens there.
void tst_Browser::doubleClickWithoutProgramOpensTheEditor()
{
    showFolder(QStringLiteral("progs"), AllItems);
    ShellListView *list = m_browser->ShellListView1();
    EditorArea *editor = EditorArea::instance();
    QVERIFY(editor);
    m_shell->withoutProgram << path(QStringLiteral("progs/prog_g10.nc"));

    QVERIFY(select(QStringLiteral("prog_g10.nc")));
    QTest::keyClick(list->currentView(), Qt::Key_Return); // as a double click does
    QVERIFY2(m_dialogs->messages().isEmpty(), qPrintable(m_dialogs->messages().join(QLatin1Char('\n'))));
    QVERIFY(m_shell->openedFiles.isEmpty());
    QCOMPARE(editor->tabCount(), 1);
    QCOMPARE(QDir::toNativeSeparators(editor->CurrentFileName()), path(QStringLiteral("progs/prog_g10.nc")));
    QCOMPARE(editor->CurrentEditor()->text(), QStringLiteral("O0010\nG1 X1\n"));
    QCOMPARE(m_main->ribbonPages()->currentIndex(), 2);

    m_main->ribbonPages()->setCurrentIndex(0);
    QVERIFY(select(QStringLiteral("abc.nc")));
    list->openItem(list->currentView()->currentIndex());
    QCOMPARE(m_shell->openedFiles, QStringList{path(QStringLiteral("progs/abc.nc"))});
    QCOMPARE(editor->tabCount(), 1);
    QCOMPARE(m_main->ribbonPages()->currentIndex(), 0);
}

void tst_Browser::selectedFileIsNeverAFolder()
{
    showFolder(QStringLiteral("progs"), AllItems);
    QCOMPARE(selectedFilePath(), QString());
    QVERIFY(select(QStringLiteral("G1folder")));
    QCOMPARE(selectedFilePath(), QString());
    QCOMPARE(m_browser->selectedItemPath(), path(QStringLiteral("progs/G1folder")));
    QVERIFY(select(QStringLiteral("O1234.G1")));
    QCOMPARE(selectedFilePath(), path(QStringLiteral("progs/O1234.G1")));
    QCOMPARE(currentBrowserFolder(), path(QStringLiteral("progs")));
}

void tst_Browser::viewButtonsSwitchStyles()
{
    showFolder(QStringLiteral("progs"), AllItems);
    QVERIFY(select(QStringLiteral("abc.nc")));
    ShellListView *list = m_browser->ShellListView1();
    const struct { const char *button; int style; QListView::ViewMode mode; } steps[] = {
        {"SpeedButton9", 1, QListView::IconMode}, {"SpeedButton10", 2, QListView::ListMode},
        {"SpeedButton12", 3, QListView::ListMode}, {"SpeedButton11", 4, QListView::ListMode}};
    for (const auto &s : steps) {
        m_main->findChild<QToolButton *>(QLatin1String(s.button))->click();
        QCOMPARE(list->viewStyle(), s.style);
        if (s.style == 4)
            QVERIFY(qobject_cast<QTreeView *>(list->currentView()));
        else
            QCOMPARE(qobject_cast<QListView *>(list->currentView())->viewMode(), s.mode);
        QCOMPARE(m_browser->currentFolder(), path(QStringLiteral("progs")));
        QTRY_COMPARE(shown(), AllItems);
        QCOMPARE(m_browser->selectedItemPath(), path(QStringLiteral("progs/abc.nc")));
    }
    // View 0 (the machine selection) keeps the style.
    m_browser->FUNC_Atualizar_DIR(0, path(QStringLiteral("other")));
    QCOMPARE(list->viewStyle(), 4);
    QCOMPARE(m_browser->currentFolder(), path(QStringLiteral("other")));
}

void tst_Browser::columnCaptionsFollowLanguage()
{
    const auto captions = [this] {
        QStringList c;
        for (int i = 0; i < 4; ++i)
            c << m_browser->ShellListView1()->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        return c;
    };
    // A program's kind is named in the interface language too, never after the
    // data format the desktop files ".nc" under.
    showFolder(QStringLiteral("progs"), AllItems);
    QAbstractItemModel *model = m_browser->ShellListView1()->model();
    int row = 0;
    while (row < model->rowCount() && model->index(row, 0).data() != QStringLiteral("prog_g10.nc"))
        ++row;
    QCOMPARE(model->index(row, FolderListing::Type).data().toString(), QStringLiteral("NC-Datei"));
    QCOMPARE(captions(), (QStringList{"Name", "Größe", "Geben Sie ein", "Geändert am"}));
    Texts::runLanguageProcedure(QStringLiteral("EN"));
    refreshBrowserColumns(m_main);
    QCOMPARE(captions(), (QStringList{"Name", "Size", "Type", "Modified Date"}));
    QCOMPARE(model->index(row, FolderListing::Type).data().toString(), QStringLiteral("NC File"));
}

void tst_Browser::renameInPlace()
{
    showFolder(QStringLiteral("progs"), AllItems);
    ShellListView *list = m_browser->ShellListView1();
    QVERIFY(select(QStringLiteral("abc.nc")));
    const QModelIndex index = list->currentView()->currentIndex();
    QVERIFY(list->model()->setData(index, QStringLiteral("O5555.NC")));
    QTRY_VERIFY(QFile::exists(path(QStringLiteral("progs/O5555.NC"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("progs/abc.nc"))));

    // A name that is taken replaces nothing and is reported.
    QTRY_VERIFY(select(QStringLiteral("O5555.NC")));
    QVERIFY(!list->model()->setData(list->currentView()->currentIndex(), QStringLiteral("prog_g10.nc")));
    QTRY_COMPARE(m_dialogs->messages(), QStringList{"ERROR: \"" + path(QStringLiteral("progs/O5555.NC"))
                                                    + "\" could not be renamed to \"prog_g10.nc\"."});
    QCOMPARE(TestSupport::readBytes(path(QStringLiteral("progs/prog_g10.nc"))), QByteArray("O0010\nG1 X1\n"));
    QVERIFY(QFile::exists(path(QStringLiteral("progs/O5555.NC"))));
}

void tst_Browser::keysOfTheList()
{
    showFolder(QStringLiteral("progs"), AllItems);
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    QAbstractItemView *view = m_browser->ShellListView1()->currentView();
    view->setFocus();
    QVERIFY(select(QStringLiteral("abc.nc")));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(m_browser->CopiedItemPath, path(QStringLiteral("progs/abc.nc")));
    m_dialogs->answer(Dialogs::Yes);
    QTest::keyClick(view, Qt::Key_Delete);
    QVERIFY(!QFile::exists(path(QStringLiteral("progs/abc.nc"))));
    QVERIFY(select(QStringLiteral("O1234.G1")));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(m_shell->openedFiles, QStringList{path(QStringLiteral("progs/O1234.G1"))});
    m_browser->CopiedItemPath = path(QStringLiteral("progs/prog_g10.nc"));
    showFolder(QStringLiteral("other"), QStringList());
    view = m_browser->ShellListView1()->currentView();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(QFile::exists(path(QStringLiteral("other/prog_g10.nc"))));
}

void tst_Browser::listFollowsTheDiskAndKeepsTheSelection()
{
    showFolder(QStringLiteral("progs"), AllItems);
    QVERIFY(select(QStringLiteral("prog_g10.nc")));
    write(QStringLiteral("progs/O0001.NC"));
    write(QStringLiteral("progs/zz.nc"));
    QTRY_COMPARE(shown(), (QStringList{"G1folder", "O0001.NC", "O1234.G1", "abc.nc", "prog_g10.nc", "sub", "zz.nc"}));
    QCOMPARE(m_browser->selectedItemPath(), path(QStringLiteral("progs/prog_g10.nc")));
    QVERIFY(QFile::remove(path(QStringLiteral("progs/abc.nc"))));
    QVERIFY(QDir(path(QStringLiteral("progs/G1folder"))).removeRecursively());
    QTRY_COMPARE(shown(), (QStringList{"O0001.NC", "O1234.G1", "prog_g10.nc", "sub", "zz.nc"}));
    QCOMPARE(m_browser->selectedItemPath(), path(QStringLiteral("progs/prog_g10.nc")));
    // A file saved again (written to a new file renamed into place) shows its new size.
    QSaveFile save(path(QStringLiteral("progs/zz.nc")));
    QVERIFY(save.open(QIODevice::WriteOnly));
    save.write(QByteArray(5000, 'G'));
    QVERIFY(save.commit());
    const auto sizeOf = [this](const QString &name) {
        FolderListModel *model = m_browser->ShellListView1()->model();
        return model->index(model->indexOf(path(QStringLiteral("progs/") + name)).row(), 1).data().toString();
    };
    QTRY_VERIFY(sizeOf(QStringLiteral("zz.nc")).startsWith(QLatin1Char('4')) || sizeOf(QStringLiteral("zz.nc")).startsWith(QLatin1Char('5')));
}

void tst_Browser::headerSortsByColumn()
{
    write(QStringLiteral("progs/big.nc"), QByteArray(3000, 'X'));
    showFolder(QStringLiteral("progs"), QStringList{"G1folder", "O1234.G1", "abc.nc", "big.nc", "prog_g10.nc", "sub"});
    auto *view = qobject_cast<QTreeView *>(m_browser->ShellListView1()->currentView());
    QVERIFY(view);
    view->header()->setSortIndicator(1, Qt::DescendingOrder);
    const QStringList bySize = m_browser->ShellListView1()->itemNames();
    QCOMPARE(QSet<QString>(bySize.cbegin(), bySize.cbegin() + 2), (QSet<QString>{"G1folder", "sub"}));
    QCOMPARE(bySize.at(2), QStringLiteral("big.nc"));
    QCOMPARE(bySize.at(3), QStringLiteral("prog_g10.nc"));
}

void tst_Browser::narrowListKeepsTheDateInView()
{
    ShellListView list;
    list.setFolder(path(QStringLiteral("progs")));
    auto *view = qobject_cast<QTreeView *>(list.currentView());
    QVERIFY(view);
    list.resize(700, 300);
    list.show();
    QTRY_VERIFY(view->header()->length() <= view->viewport()->width());
    QVERIFY(view->columnWidth(0) >= 160);
    // A wide list keeps the names' usual room.
    list.resize(1400, 300);
    QTRY_COMPARE(view->columnWidth(0), 420);
    // Widths the user set are left alone.
    view->header()->resizeSection(0, 500);
    list.resize(700, 300);
    QCoreApplication::processEvents();
    QCOMPARE(view->columnWidth(0), 500);
}

void tst_Browser::copyFunctionAnswers_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("Yes") << int(Dialogs::Yes) << true << QByteArray("new");
    QTest::newRow("Yes to all") << int(Dialogs::YesToAll) << true << QByteArray("new");
    QTest::newRow("No") << int(Dialogs::No) << false << QByteArray("old");
    QTest::newRow("Cancel") << int(Dialogs::Cancel) << false << QByteArray("old");
}

void tst_Browser::copyFunctionAnswers()
{
    QFETCH(int, answer);
    QFETCH(bool, result);
    QFETCH(QByteArray, content);
    write(QStringLiteral("a/O1.NC"), "new");
    write(QStringLiteral("b/O1.NC"), "old");
    m_dialogs->answer(Dialogs::Button(answer));
    QCOMPARE(FUNC_Copiar_Arquivo(path(QStringLiteral("a/O1.NC")), path(QStringLiteral("b/O1.NC"))), result);
    QCOMPARE(m_dialogs->messages(), QStringList{"QUESTION: The file \"" + path(QStringLiteral("b/O1.NC")) + "\" exists already. Replace it?"});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Question);
    QCOMPARE(TestSupport::readBytes(path(QStringLiteral("b/O1.NC"))), content);
    QCOMPARE(QDir(path(QStringLiteral("b"))).entryList(QDir::Files | QDir::Hidden), QStringList{"O1.NC"});
}

void tst_Browser::copyFunctionFailures()
{
    QVERIFY(!FUNC_Copiar_Arquivo(QString(), path(QStringLiteral("other"))));
    QVERIFY(!FUNC_Copiar_Arquivo(path(QStringLiteral("progs/abc.nc")), QString()));
    QVERIFY(m_dialogs->messages().isEmpty());
    QVERIFY(!FUNC_Copiar_Arquivo(path(QStringLiteral("progs/gone.nc")), path(QStringLiteral("other/gone.nc"))));
    QCOMPARE(m_dialogs->messages(), QStringList{"ERROR: Could not copy \"" + path(QStringLiteral("progs/gone.nc"))
                                                + "\": The file or folder does not exist."});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    // A whole folder, and a new file: true without a question.
    m_dialogs->clear();
    QVERIFY(FUNC_Copiar_Arquivo(path(QStringLiteral("progs")), path(QStringLiteral("other/copy"))));
    QVERIFY(QFile::exists(path(QStringLiteral("other/copy/sub/sub_g1.nc"))));
    QVERIFY(m_dialogs->messages().isEmpty());
}

QTEST_MAIN(tst_Browser)
#include "tst_browser.moc"
