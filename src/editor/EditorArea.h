#pragma once

#include "CncEditor.h"
#include "SearchState.h"
#include "app/AppState.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class ConfirmReplaceDialog;
class QLabel;
class QMenu;
class QTabWidget;
class TForm_Main;

// The editor area of the main window: the tabs of PageControl1 with one CncEditor
// each, the current tab's values that the rest of the program reads, the file
// commands, find and replace, and the colour and font commands.
//
// Tab pages are named "TAB<n>" and their editors "SMemo_TAB<n>"; n comes from
// TabCounter and is never reused. A tab's caption is its file's path, or New(n)
// for a new file. The FUNC_ operations throw Error when a file cannot be read or
// written; the commands (the ...Click handlers) show it in the error box.
class EditorArea : public QObject
{
    Q_OBJECT

public:
    explicit EditorArea(TForm_Main *main);
    ~EditorArea() override;

    // The one editor area of the run (nullptr before installEditorArea).
    static EditorArea *instance();

    TForm_Main *main() const { return m_main; }
    QTabWidget *PageControl1() const { return m_pages; }

    // The current values; CurrentEditor and CurrentTab are nullptr and
    // CurrentFileName empty when no tab is active.
    CncEditor *CurrentEditor() const { return m_currentEditor; }
    QWidget *CurrentTab() const { return m_currentTab; }
    QString CurrentFileName() const { return m_currentFileName; }
    bool hasActiveTab() const;

    int tabCount() const;
    QString tabCaption(int index) const;
    CncEditor *editorAt(int index) const;

    // Creates the tab for `name` (or New(n) when name is the language's "New"), or
    // activates the tab that has that caption.
    void FUNC_Criar_SynMemo(const QString &name);
    // Brings the current values in line with the tab control (index < 0: none).
    void FUNC_Selecionar_TAB_SynMemo(int index);
    void PageControl1Change();
    // Opens a file in its tab (made or activated) and reads it; what the browser's
    // "Open CNC File" uses.
    void FUNC_Abrir_Arquivo(const QString &path);
    void FUNC_Salvar_Arquivo();
    void FUNC_Salvar_Arquivo_Como();
    void FUNC_Salvar_Arquivo_ALL();

    // The close sequence's part: captions of the changed tabs, visiting every tab
    // in order (the last one stays active).
    QStringList changedTabCaptions();
    // Save All for the close sequence: a failed write is shown in the error box;
    // false, with the first tab that is still modified made active, when any is.
    bool saveAllBeforeClose();

    // Ribbon commands.
    void SpeedButton15Click(); // open file
    void SpeedButton24Click(); // new file
    void SpeedButton14Click(); // close file
    void SpeedButton13Click() { FUNC_Salvar_Arquivo(); }
    void SpeedButton16Click() { FUNC_Salvar_Arquivo_Como(); }
    void SpeedButton33Click() { FUNC_Salvar_Arquivo_ALL(); }
    void SpeedButton27Click(); // find dialog (and Ctrl+F)
    void SpeedButton28Click(); // find next
    void SpeedButton29Click(); // find previous
    void SpeedButton30Click(); // replace dialog
    void SpeedButton17Click(); // font window
    void SpeedButton18Click(); // colour window

    // Go to a line or a block number (Ctrl+G): the window, and the step it runs
    // ("N1234" or "1234"; false, with the reason shown, when there is no such line
    // or block).
    void showGoToWindow();
    bool goToTarget(const QString &text);

    // The programs opened last, newest first (the Open button's menu). Choosing
    // one opens it; a file that is gone is named and dropped from the list.
    QStringList recentFiles();
    void openRecentFile(const QString &path);
    QMenu *recentFilesMenu() const { return m_recentMenu; }

    // Files dropped on an editor or on the tab area open in tabs, as Open does.
    void openDroppedFiles(const QStringList &paths);

    // Find and replace.
    void ShowFindReplaceDialog(bool replace);
    void RunFindReplace(bool replace, bool back);
    ReplaceAction SynEditorReplaceText(const QString &search, const QString &replace, int line, int column);
    SearchState &searchState() { return m_search; }
    bool SearchFromCaretMode = false;

    // The colours of the G-code colouring that editors get (replaced on Apply in
    // the colour window).
    const GCodeColours &GCodeHighlighter() const { return m_highlighterColours; }

private:
    void connectButton(const char *name, void (EditorArea::*handler)());
    bool requireOpenTab(const char *functionKey);
    QString askSavePath(const QString &suggested, bool askOverwrite);
    void setTabCaption(int index, const QString &caption);
    void saveTabAs(int index, const QString &path);
    void restoreActiveTab(int index);
    void setStatusText(const QString &text);
    void configureEditor(CncEditor *editor);
    void updateTabMark(int index);
    void updatePosition();
    // The selected machine's program folder when it exists (where the file
    // dialogs start), else empty.
    QString programFolder() const;
    void rememberRecentFile(const QString &path);
    void fillRecentFilesMenu();
    bool eventFilter(QObject *watched, QEvent *event) override;

    TForm_Main *m_main;
    QTabWidget *m_pages;
    QPointer<CncEditor> m_currentEditor;
    QPointer<QWidget> m_currentTab;
    QString m_currentFileName;
    SearchState m_search;
    GCodeColours m_highlighterColours;
    ConfirmReplaceDialog *m_confirm = nullptr;
    QLabel *m_position = nullptr;
    QMenu *m_recentMenu = nullptr;
    QStringList m_recent;
    bool m_recentRead = false;
};

// Wires the editor area into the main window (called once at start-up).
void installEditorArea(TForm_Main *main);
