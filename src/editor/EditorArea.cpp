#include "EditorArea.h"

#include "ColourWindow.h"
#include "ConfirmReplaceDialog.h"
#include "FontWindow.h"
#include "GoToTarget.h"
#include "GoToWindow.h"
#include "RecentFiles.h"
#include "NewFileList.h"
#include "TextReplaceDialog.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/WindowRules.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {

EditorArea *g_instance = nullptr;

const char CaptionProperty[] = "fileCaption";
// Put before the caption of a tab whose program has unsaved changes; only the
// tab's text carries it, never its caption.
const char ModifiedMark[] = "* ";

// Re-reads a button's hint from the current language each time the mouse comes
// over it, so that the hint follows a language change at once.
class HintFromLanguage : public QObject
{
public:
    HintFromLanguage(QWidget *button, QString key) : QObject(button), m_key(std::move(key))
    {
        button->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Enter)
            static_cast<QWidget *>(watched)->setToolTip(Texts::text(m_key));
        return false;
    }

private:
    QString m_key;
};

QStringList comboEntries(const QComboBox *box)
{
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}

} // namespace

EditorArea::EditorArea(TForm_Main *main)
    : QObject(main), m_main(main), m_pages(main->PageControl1()), m_highlighterColours(app().Colours)
{
    g_instance = this;
    setObjectName(QStringLiteral("EditorArea"));

    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) { FUNC_Selecionar_TAB_SynMemo(index); });

    connectButton("SpeedButton15", &EditorArea::SpeedButton15Click);
    connectButton("SpeedButton24", &EditorArea::SpeedButton24Click);
    connectButton("SpeedButton14", &EditorArea::SpeedButton14Click);
    connectButton("SpeedButton13", &EditorArea::SpeedButton13Click);
    connectButton("SpeedButton16", &EditorArea::SpeedButton16Click);
    connectButton("SpeedButton33", &EditorArea::SpeedButton33Click);
    connectButton("SpeedButton27", &EditorArea::SpeedButton27Click);
    connectButton("SpeedButton28", &EditorArea::SpeedButton28Click);
    connectButton("SpeedButton29", &EditorArea::SpeedButton29Click);
    connectButton("SpeedButton30", &EditorArea::SpeedButton30Click);
    connectButton("SpeedButton17", &EditorArea::SpeedButton17Click);
    connectButton("SpeedButton18", &EditorArea::SpeedButton18Click);

    for (const char *name : {"SpeedButton24", "SpeedButton14", "SpeedButton13", "SpeedButton16", "SpeedButton33"}) {
        if (auto *button = m_main->findChild<QToolButton *>(QLatin1String(name)))
            new HintFromLanguage(button, QStringLiteral("Form_Main.%1.Hint").arg(QLatin1String(name)));
    }

    struct Shortcut
    {
        const char *action;
        QKeySequence keys;
        void (EditorArea::*handler)();
    };
    const Shortcut shortcuts[] = {
        {"actFileOpen", QKeySequence(Qt::CTRL | Qt::Key_O), &EditorArea::SpeedButton15Click},
        {"actSearch", QKeySequence(Qt::CTRL | Qt::Key_F), &EditorArea::SpeedButton27Click},
        {"actSearchNext", QKeySequence(Qt::Key_F3), &EditorArea::SpeedButton28Click},
        {"actSearchPrev", QKeySequence(Qt::SHIFT | Qt::Key_F3), &EditorArea::SpeedButton29Click},
        {"actSearchReplace", QKeySequence(Qt::CTRL | Qt::Key_H), &EditorArea::SpeedButton30Click},
        {"actFileSave", QKeySequence(Qt::CTRL | Qt::Key_S), &EditorArea::SpeedButton13Click},
        {"actGoTo", QKeySequence(Qt::CTRL | Qt::Key_G), &EditorArea::showGoToWindow},
    };
    for (const Shortcut &s : shortcuts) {
        if (auto *action = m_main->findChild<QAction *>(QLatin1String(s.action))) {
            action->setShortcut(s.keys);
            action->setShortcutContext(Qt::WindowShortcut);
            const auto handler = s.handler;
            connect(action, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        }
    }

    m_position = new QLabel(m_main->StatusBar1());
    m_position->setObjectName(QStringLiteral("EditorPosition"));
    m_main->StatusBar1()->addPermanentWidget(m_position);
    // Shown with the editor area only.
    m_position->setVisible(m_main->Panel6()->isVisibleTo(m_main));
    m_main->Panel6()->installEventFilter(this);

    if (auto *open = m_main->findChild<QToolButton *>(QStringLiteral("SpeedButton15"))) {
        m_recentMenu = new QMenu(open);
        m_recentMenu->setObjectName(QStringLiteral("RecentFilesMenu"));
        connect(m_recentMenu, &QMenu::aboutToShow, this, &EditorArea::fillRecentFilesMenu);
        open->setMenu(m_recentMenu);
        open->setPopupMode(QToolButton::MenuButtonPopup);
    }
    m_pages->setAcceptDrops(true);
    m_pages->installEventFilter(this);

    m_main->changedTabCaptions = [this] { return changedTabCaptions(); };
    m_main->saveAllTabs = [this] { return saveAllBeforeClose(); };
    m_main->currentFileName = [this] { return CurrentFileName(); };
}

EditorArea::~EditorArea()
{
    delete m_confirm;
    if (g_instance == this)
        g_instance = nullptr;
}

EditorArea *EditorArea::instance() { return g_instance; }

void installEditorArea(TForm_Main *main) { new EditorArea(main); }

void EditorArea::connectButton(const char *name, void (EditorArea::*handler)())
{
    auto *button = m_main->findChild<QToolButton *>(QLatin1String(name));
    if (!button)
        return;
    connect(button, &QToolButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

// ---- tabs ----

bool EditorArea::hasActiveTab() const { return m_pages->currentIndex() >= 0; }

int EditorArea::tabCount() const { return m_pages->count(); }

QString EditorArea::tabCaption(int index) const
{
    const QWidget *page = m_pages->widget(index);
    return page ? page->property(CaptionProperty).toString() : QString();
}

void EditorArea::setTabCaption(int index, const QString &caption)
{
    QWidget *page = m_pages->widget(index);
    page->setProperty(CaptionProperty, caption);
    // "&" in a tab text marks a shortcut; a path shows it as it is.
    QString shown = caption;
    m_pages->setTabText(index, shown.replace(QLatin1Char('&'), QStringLiteral("&&")));
    m_pages->setTabToolTip(index, caption);
    updateTabMark(index);
}

void EditorArea::updateTabMark(int index)
{
    CncEditor *editor = editorAt(index);
    QString shown = tabCaption(index).replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (editor && editor->isModified())
        shown.prepend(QLatin1String(ModifiedMark));
    if (m_pages->tabText(index) != shown)
        m_pages->setTabText(index, shown);
}

CncEditor *EditorArea::editorAt(int index) const
{
    const QWidget *page = m_pages->widget(index);
    if (!page)
        return nullptr;
    return m_main->findChild<CncEditor *>(QStringLiteral("SMemo_") + page->objectName());
}

void EditorArea::configureEditor(CncEditor *editor)
{
    editor->setEditorFont(app().EditorFontName, app().EditorFontSize);
    editor->setHighlighterColours(m_highlighterColours);
    editor->onReplaceText = [this](const QString &search, const QString &replace, int line, int column) {
        return SynEditorReplaceText(search, replace, line, column);
    };
    connect(editor, &CncEditor::modifiedChanged, this, [this, editor] {
        const int index = m_pages->indexOf(editor->parentWidget());
        if (index >= 0)
            updateTabMark(index);
    });
    auto follow = [this, editor] {
        if (editor == m_currentEditor)
            updatePosition();
    };
    connect(editor, &QsciScintilla::cursorPositionChanged, this, follow);
    connect(editor, &QsciScintilla::linesChanged, this, follow);
    connect(editor, &CncEditor::filesDropped, this, &EditorArea::openDroppedFiles);
}

void EditorArea::FUNC_Criar_SynMemo(const QString &name)
{
    QString caption = name;
    if (name == T("Form_Main.MSG42")) {
        ++app().NewFileCounter;
        caption = newFileCaption(name, app().NewFileCounter);
        app().NewFileList.append(newFileMarker(caption));
    }
    for (int i = 0; i < m_pages->count(); ++i) {
        if (tabCaption(i) == caption) {
            m_pages->setCurrentIndex(i);
            FUNC_Selecionar_TAB_SynMemo(i);
            return;
        }
    }
    const QString tabName = QStringLiteral("TAB") + QString::number(app().TabCounter);
    auto *page = new QWidget;
    page->setObjectName(tabName);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *editor = new CncEditor(page);
    editor->setObjectName(QStringLiteral("SMemo_") + tabName);
    layout->addWidget(editor);
    configureEditor(editor);
    editor->ClearAll();

    const int index = m_pages->addTab(page, QString());
    setTabCaption(index, caption);
    m_pages->setCurrentIndex(index);
    PageControl1Change();
    ++app().TabCounter;
}

void EditorArea::FUNC_Selecionar_TAB_SynMemo(int index)
{
    QWidget *page = index >= 0 ? m_pages->currentWidget() : nullptr;
    if (!page) {
        m_currentFileName.clear();
        m_currentEditor = nullptr;
        m_currentTab = nullptr;
        updatePosition();
        return;
    }
    m_currentTab = page;
    m_currentEditor = m_main->findChild<CncEditor *>(QStringLiteral("SMemo_") + page->objectName());
    m_currentFileName = tabCaption(m_pages->currentIndex());
    updatePosition();
}

// Only what the control keeps at hand: the line of the caret, the characters
// before it on its line, the number of lines. Nothing walks the document.
void EditorArea::updatePosition()
{
    if (!m_position)
        return;
    CncEditor *editor = m_currentEditor;
    if (!editor) {
        m_position->clear();
        return;
    }
    using SB = QsciScintillaBase;
    const long pos = editor->SendScintilla(SB::SCI_GETCURRENTPOS);
    const long line = editor->SendScintilla(SB::SCI_LINEFROMPOSITION, (unsigned long)pos);
    const long lineStart = editor->SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)line);
    const long column = editor->SendScintilla(SB::SCI_COUNTCHARACTERS, (unsigned long)lineStart, pos);
    m_position->setText(Texts::extra("Extra.EditorPosition")
                            .arg(line + 1)
                            .arg(column + 1)
                            .arg(editor->count()));
}

void EditorArea::PageControl1Change() { FUNC_Selecionar_TAB_SynMemo(m_pages->currentIndex()); }

void EditorArea::restoreActiveTab(int index)
{
    if (index >= 0 && index < m_pages->count())
        m_pages->setCurrentIndex(index);
    FUNC_Selecionar_TAB_SynMemo(m_pages->currentIndex());
}

void EditorArea::FUNC_Abrir_Arquivo(const QString &path)
{
    FUNC_Criar_SynMemo(path);
    m_currentEditor->loadFile(path);
    m_currentEditor->setVisible(true);
    rememberRecentFile(path);
}

// ---- go to ----

void EditorArea::showGoToWindow()
{
    if (!hasActiveTab()) {
        m_main->FUNC_Mensagem(1, Texts::extra("Extra.GoToCaption"));
        return;
    }
    GoToWindow window(m_main);
    window.goTo = [this](const QString &text) { return goToTarget(text); };
    WindowRules::showModal(&window, Texts::extra("Extra.GoToCaption"));
}

bool EditorArea::goToTarget(const QString &text)
{
    CncEditor *editor = m_currentEditor;
    if (!editor)
        return false;
    const GoToTarget target = parseGoToTarget(text);
    long line = -1;
    switch (target.kind) {
    case GoToTarget::Invalid:
        Msg::error(Texts::extra("Extra.GoToInvalid").arg(text.trimmed()));
        return false;
    case GoToTarget::Line: {
        bool ok = false;
        const long number = target.number.toLong(&ok);
        if (!ok || number > editor->count()) {
            Msg::information(Texts::extra("Extra.GoToNoLine").arg(target.number).arg(editor->count()));
            return false;
        }
        line = number - 1;
        break;
    }
    case GoToTarget::Block: {
        const auto *bytes = reinterpret_cast<const char *>(editor->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        const long length = editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        line = findBlockNumberLine(QByteArrayView(bytes, length), target.number);
        if (line < 0) {
            Msg::information(Texts::extra("Extra.GoToNoBlock").arg(QStringLiteral("N") + target.number));
            return false;
        }
        break;
    }
    }
    editor->setCaretLine(int(line + 1));
    editor->SendScintilla(QsciScintillaBase::SCI_SCROLLCARET);
    editor->focusEditor();
    updatePosition();
    return true;
}

// ---- recent files and dropped files ----

QStringList EditorArea::recentFiles()
{
    if (!m_recentRead) {
        m_recentRead = true;
        m_recent = RecentFiles::read(app().mainSettingsPath());
    }
    return m_recent;
}

void EditorArea::rememberRecentFile(const QString &path)
{
    const QStringList before = recentFiles();
    m_recent = RecentFiles::withFile(before, path);
    if (m_recent == before)
        return;
    // The list is a convenience: a settings file that cannot be written is
    // reported without stopping the open.
    QString error;
    if (!RecentFiles::write(app().mainSettingsPath(), m_recent, &error))
        setStatusText(error);
}

void EditorArea::openRecentFile(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        m_recent = RecentFiles::withoutFile(recentFiles(), path);
        QString error;
        RecentFiles::write(app().mainSettingsPath(), m_recent, &error);
        Msg::error(Texts::extra("Extra.RecentMissing").arg(path));
        return;
    }
    FUNC_Abrir_Arquivo(path);
}

void EditorArea::fillRecentFilesMenu()
{
    m_recentMenu->clear();
    const QStringList files = recentFiles();
    if (files.isEmpty()) {
        m_recentMenu->addAction(Texts::extra("Extra.RecentNone"))->setEnabled(false);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *action = m_recentMenu->addAction(
            (i < 9 ? QStringLiteral("&%1  ").arg(i + 1) : QStringLiteral("%1  ").arg(i + 1)) + shown);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] {
            guarded([this, path] { openRecentFile(path); });
        });
    }
}

void EditorArea::openDroppedFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        // Folders are not programs; each file opens on its own, so one that
        // cannot be read leaves the others open.
        if (QFileInfo(path).isFile())
            guarded([this, path] { FUNC_Abrir_Arquivo(Paths::toNative(path)); });
    }
}

bool EditorArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_main->Panel6() && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        m_position->setVisible(event->type() == QEvent::Show);
    if (watched == m_pages) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto *drop = static_cast<QDropEvent *>(event);
            QStringList paths;
            for (const QUrl &url : drop->mimeData()->urls()) {
                if (url.isLocalFile())
                    paths << url.toLocalFile();
            }
            drop->acceptProposedAction();
            openDroppedFiles(paths);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

QString EditorArea::programFolder() const
{
    const QString folder = app().SelectedProgramDirectory;
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

// ---- file commands ----

void EditorArea::SpeedButton15Click()
{
    const QString path = dialogs().openFile(m_main, QString(), programFolder(), QStringLiteral("All files (*)"));
    if (path.isEmpty())
        return;
    FUNC_Abrir_Arquivo(Paths::toNative(path));
}

void EditorArea::SpeedButton24Click() { FUNC_Criar_SynMemo(T("Form_Main.MSG42")); }

// The save dialog, pre-filled; an existing file is replaced only after the
// question. Empty when the user cancels either.
QString EditorArea::askSavePath(const QString &suggested, bool askOverwrite)
{
    // A new file has no folder of its own: it is offered in the machine's.
    QString offered = suggested;
    const QString folder = programFolder();
    if (!folder.isEmpty() && isNewFile(app().NewFileList, suggested))
        offered = Paths::toNative(QDir(folder).filePath(suggested));
    QString path = dialogs().saveFile(m_main, QString(), offered, QString());
    if (path.isEmpty())
        return QString();
    path = Paths::toNative(path);
    if (askOverwrite && QFileInfo::exists(path)
        && !Msg::question(T("Shared.MSG06") + path + T("Shared.MSG07")))
        return QString();
    return path;
}

void EditorArea::saveTabAs(int index, const QString &path)
{
    editorAt(index)->saveFile(path);
    setTabCaption(index, path);
    if (index == m_pages->currentIndex())
        m_currentFileName = path;
    rememberRecentFile(path);
}

void EditorArea::FUNC_Salvar_Arquivo()
{
    if (m_currentFileName.trimmed().isEmpty() || !m_currentEditor || !m_currentEditor->isModified())
        return;
    if (isNewFile(app().NewFileList, m_currentFileName)) {
        // A new file is never written over an existing one without asking.
        const QString path = askSavePath(m_currentFileName, true);
        if (path.isEmpty())
            return;
        saveTabAs(m_pages->currentIndex(), path);
        return;
    }
    m_currentEditor->saveFile(m_currentFileName);
}

void EditorArea::FUNC_Salvar_Arquivo_Como()
{
    if (m_currentFileName.trimmed().isEmpty() || !m_currentEditor)
        return;
    const QString path = askSavePath(m_currentFileName, true);
    if (path.isEmpty())
        return;
    saveTabAs(m_pages->currentIndex(), path);
}

void EditorArea::FUNC_Salvar_Arquivo_ALL()
{
    const int remembered = m_pages->currentIndex();
    // Also after a failed write the tab that was active is active again.
    struct Restore
    {
        EditorArea *area;
        int index;
        ~Restore() { area->restoreActiveTab(index); }
    } restore{this, remembered};

    for (int i = 0; i < m_pages->count(); ++i) {
        m_pages->setCurrentIndex(i);
        CncEditor *editor = editorAt(i);
        if (!editor || !editor->isModified())
            continue;
        const QString caption = tabCaption(i);
        if (isNewFile(app().NewFileList, caption)) {
            const QString path = askSavePath(caption, true);
            if (path.isEmpty())
                continue;
            setTabCaption(i, path);
            editor->saveFile(path);
            rememberRecentFile(path);
        } else {
            editor->saveFile(caption);
        }
    }
}

void EditorArea::SpeedButton14Click()
{
    if (!hasActiveTab() || !m_currentEditor)
        return;
    if (m_currentEditor->isModified()
        && Msg::question(T("Form_Main.MSG27") + m_currentFileName + T("Form_Main.MSG28"))) {
        FUNC_Salvar_Arquivo();
        // A save that was cancelled leaves the tab open with its text.
        if (m_currentEditor->isModified())
            return;
    }
    const int index = m_pages->currentIndex();
    QWidget *page = m_pages->widget(index);
    m_currentEditor = nullptr;
    m_currentTab = nullptr;
    m_pages->removeTab(index);
    delete page;
    if (m_pages->count() > 0) {
        // The tab after the closed one, or the first when it was the last.
        m_pages->setCurrentIndex(index < m_pages->count() ? index : 0);
        PageControl1Change();
    } else {
        FUNC_Selecionar_TAB_SynMemo(-1);
    }
}

bool EditorArea::saveAllBeforeClose()
{
    const bool written = guarded([this] { FUNC_Salvar_Arquivo_ALL(); });
    for (int i = 0; i < m_pages->count(); ++i) {
        if (CncEditor *editor = editorAt(i); editor && editor->isModified()) {
            m_pages->setCurrentIndex(i);
            FUNC_Selecionar_TAB_SynMemo(i);
            return false;
        }
    }
    return written;
}

QStringList EditorArea::changedTabCaptions()
{
    QStringList changed;
    for (int i = 0; i < m_pages->count(); ++i) {
        m_pages->setCurrentIndex(i);
        PageControl1Change();
        if (CncEditor *editor = editorAt(i); editor && editor->isModified())
            changed << tabCaption(i);
    }
    return changed;
}

// ---- find and replace ----

bool EditorArea::requireOpenTab(const char *functionKey)
{
    if (hasActiveTab())
        return true;
    m_main->FUNC_Mensagem(1, T(functionKey));
    return false;
}

void EditorArea::SpeedButton27Click()
{
    if (requireOpenTab("Form_Main.MSG13"))
        ShowFindReplaceDialog(false);
}

void EditorArea::SpeedButton28Click()
{
    if (requireOpenTab("Form_Main.MSG14"))
        RunFindReplace(false, false);
}

void EditorArea::SpeedButton29Click()
{
    if (requireOpenTab("Form_Main.MSG15"))
        RunFindReplace(false, true);
}

void EditorArea::SpeedButton30Click()
{
    if (requireOpenTab("Form_Main.MSG16"))
        ShowFindReplaceDialog(true);
}

void EditorArea::setStatusText(const QString &text)
{
    if (text.isEmpty())
        m_main->StatusBar1()->clearMessage();
    else
        m_main->StatusBar1()->showMessage(text);
}

void EditorArea::ShowFindReplaceDialog(bool replace)
{
    setStatusText(QString());
    std::unique_ptr<TextSearchDialog> dialog(replace ? new TextReplaceDialog(m_main) : new TextSearchDialog(m_main));

    (m_search.backwards ? dialog->backButton() : dialog->forwardButton())->setChecked(true);
    dialog->cbSearchCaseSensitive()->setChecked(m_search.caseSensitive);
    dialog->cbSearchFromCursor()->setChecked(m_search.fromCaret);
    dialog->cbSearchSelectedOnly()->setChecked(m_search.selectedOnly);
    dialog->cbSearchWholeWords()->setChecked(m_search.wholeWords);
    dialog->cbRegularExpression()->setChecked(false);
    dialog->cbSearchText()->addItems(historyEntries(m_search.searchHistory));
    dialog->cbSearchText()->setCurrentText(m_search.searchText);
    if (replace) {
        dialog->cbReplaceText()->addItems(historyEntries(m_search.replaceHistory));
        dialog->cbReplaceText()->setCurrentText(m_search.replaceText);
    }

    const QString ribbonKey = replace ? QStringLiteral("TextReplaceDialog.Ribbon1") : QStringLiteral("TextSearchDialog.Ribbon1");
    if (WindowRules::showModal(dialog.get(), Texts::text(ribbonKey)) != QDialog::Accepted)
        return;

    m_search.backwards = dialog->backButton()->isChecked();
    m_search.caseSensitive = dialog->cbSearchCaseSensitive()->isChecked();
    m_search.fromCaret = dialog->cbSearchFromCursor()->isChecked();
    m_search.selectedOnly = dialog->cbSearchSelectedOnly()->isChecked();
    m_search.wholeWords = dialog->cbSearchWholeWords()->isChecked();
    m_search.regularExpression = dialog->cbRegularExpression()->isChecked();
    m_search.searchText = dialog->cbSearchText()->currentText();
    m_search.searchHistory = historyText(comboEntries(dialog->cbSearchText()));
    if (replace) {
        m_search.replaceText = dialog->cbReplaceText()->currentText();
        m_search.replaceHistory = historyText(comboEntries(dialog->cbReplaceText()));
    }
    dialog.reset();

    SearchFromCaretMode = m_search.fromCaret;
    if (!m_search.searchText.isEmpty()) {
        RunFindReplace(replace, m_search.backwards);
        SearchFromCaretMode = true;
    }
    if (replace) {
        const QString quote = QStringLiteral("\"");
        m_main->FUNC_Historico(T("Form_Main.MSG18"),
                               T("Form_Main.MSG19") + QLatin1Char(' ') + quote + m_search.searchText + quote
                                   + QLatin1Char(' ') + T("Form_Main.MSG20") + QLatin1Char(' ') + quote
                                   + m_search.replaceText + quote,
                               QString(), QString(), QString());
    }
}

void EditorArea::RunFindReplace(bool replace, bool back)
{
    setStatusText(QString());
    CncEditor *editor = m_currentEditor;
    if (!editor)
        return;
    EditorSearchOptions options;
    options.replace = options.replaceAll = options.prompt = replace;
    options.backwards = back;
    options.matchCase = m_search.caseSensitive;
    options.selectedOnly = m_search.selectedOnly;
    options.wholeWord = m_search.wholeWords;
    options.entireScope = !SearchFromCaretMode;
    options.regularExpression = m_search.regularExpression;

    // The confirmation lives for this run only, also when the run fails.
    struct DropConfirm
    {
        ConfirmReplaceDialog *&dialog;
        ~DropConfirm()
        {
            delete dialog;
            dialog = nullptr;
        }
    } drop{m_confirm};

    int found = 0;
    try {
        found = editor->searchReplace(m_search.searchText, m_search.replaceText, options);
    } catch (const Error &e) {
        // A pattern that cannot search is not a text that was not found.
        Msg::error(e.message());
        return;
    }
    if (found == 0) {
        QApplication::beep();
        setStatusText(T("Form_Main.MSG41"));
        int lineFrom, indexFrom, lineTo, indexTo;
        editor->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
        if (lineFrom < 0)
            return;
        if (back)
            editor->setCursorPosition(lineFrom, indexFrom);
        else
            editor->setCursorPosition(lineTo, indexTo);
    }
}

ReplaceAction EditorArea::SynEditorReplaceText(const QString &search, const QString &replace, int line, int column)
{
    if (search == replace)
        return ReplaceAction::Skip;
    CncEditor *editor = m_currentEditor;
    const QRect occurrence = editor->occurrenceRect(line, column);
    const QRect area(m_main->mapToGlobal(QPoint(0, 0)), m_main->size());
    if (!m_confirm)
        m_confirm = new ConfirmReplaceDialog;
    m_confirm->PrepareShow(area, occurrence.left(), occurrence.top(), occurrence.top() + editor->lineHeight(),
                           search);
    switch (m_confirm->exec()) {
    case ConfirmReplaceDialog::Replace: return ReplaceAction::Replace;
    case ConfirmReplaceDialog::Skip: return ReplaceAction::Skip;
    case ConfirmReplaceDialog::ReplaceAll: return ReplaceAction::ReplaceAll;
    default: return ReplaceAction::Cancel;
    }
}

// ---- colours and font ----

void EditorArea::SpeedButton18Click()
{
    auto *window = qobject_cast<TForm_EDT_COR *>(Application::window(QStringLiteral("Form_EDT_COR")));
    if (!window)
        return;
    window->clearApplied();
    WindowRules::showModal(window, T("Form_EDT_COR.Ribbon1"));
    if (!window->applied())
        return;
    m_highlighterColours = app().Colours;
    const int remembered = m_pages->currentIndex();
    for (int i = 0; i < m_pages->count(); ++i) {
        m_pages->setCurrentIndex(i);
        if (CncEditor *editor = editorAt(i))
            editor->setHighlighterColours(m_highlighterColours);
    }
    restoreActiveTab(remembered);
}

void EditorArea::SpeedButton17Click()
{
    auto *window = qobject_cast<TForm_Font *>(Application::window(QStringLiteral("Form_Font")));
    if (!window)
        return;
    window->clearApplied();
    WindowRules::showModal(window, T("Form_Font.Ribbon1"));
    if (!window->applied())
        return;
    const int remembered = m_pages->currentIndex();
    for (int i = 0; i < m_pages->count(); ++i) {
        m_pages->setCurrentIndex(i);
        if (CncEditor *editor = editorAt(i))
            editor->setEditorFont(app().EditorFontName, app().EditorFontSize);
    }
    restoreActiveTab(remembered);
}
