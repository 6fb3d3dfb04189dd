#pragma once

#include <QMainWindow>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QComboBox;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QToolButton;
class Ribbon;
class RibbonGroup;
class TForm_MSG;

// The main window: the ribbon with its three pages, the three work areas of which
// one is visible at a time, the selected-machine panel, the docked messages panel
// and the status bar. The areas' behaviour is installed by their own units, which
// find the controls here by object name.
class TForm_Main : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm_Main(QWidget *parent = nullptr);
    ~TForm_Main() override;

    // The one main window of the run (nullptr before it exists).
    static TForm_Main *instance();

    // Shows the work area of ribbon page 0, 1 or 2; any other value changes nothing.
    void FUNC_ViewRibbon(int page);
    // History entry for the current file, and the "no open file" warning (kind 1).
    void FUNC_Historico(const QString &title, const QString &detail1, const QString &detail2,
                        const QString &detail3, const QString &detail4);
    void FUNC_Mensagem(int kind, const QString &functionName);

    // The Messages command: hides the panel when shown, shows and docks it otherwise.
    void SpeedButton25Click();
    // Shows the messages window docked in Panel7 and makes Panel7 visible.
    void showMessagesPanel();
    // The help page for the visible work area.
    QString helpPageName() const;
    void helpButtonClick();

    // Shows the selected machine (Number, Machine, Directory, Type) and its picture.
    void showSelectedMachine(const QString &number, const QString &description, const QString &directory,
                             const QString &type, const QPixmap &picture);
    void clearSelectedMachine();

    Ribbon *ribbon() const { return m_ribbon; }
    QTabWidget *ribbonPages() const;
    QTabWidget *PageControl1() const { return m_pageControl; }
    QStatusBar *StatusBar1() const;
    TForm_MSG *messages() const { return m_messages; }
    QWidget *Panel1() const { return m_panel1; }
    QWidget *DBCtrlGrid1() const { return m_dbCtrlGrid; }
    QWidget *Panel6() const { return m_panel6; }
    QWidget *Panel7() const { return m_panel7; }
    // Where the browser puts its folder tree and its file list.
    QWidget *browserTreeSlot() const { return m_treeSlot; }
    QWidget *browserListSlot() const { return m_listSlot; }

    // The editor's part of the close sequence: the captions of tabs with unsaved
    // changes (visiting each tab in order), and saving all of them (false when a
    // tab is still unsaved: a cancelled dialog or a failed write).
    std::function<QStringList()> changedTabCaptions;
    std::function<bool()> saveAllTabs;
    // The file of the active editor tab (for history entries).
    std::function<QString()> currentFileName;
    // The close sequence; false keeps the window open, because the operator
    // asked to save and a tab could not be saved.
    bool runCloseSequence();

    static constexpr const char *EmptyValue = "--------------------";

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildRibbon();
    void buildBrowserArea();
    void buildSelectedMachinePanel(QWidget *parent);
    void buildMachineListArea();
    void buildEditorArea();

    Ribbon *m_ribbon = nullptr;
    QWidget *m_areas = nullptr;
    QWidget *m_panel1 = nullptr;
    QWidget *m_panel5 = nullptr;
    QWidget *m_panel4 = nullptr;
    QLabel *m_image2 = nullptr;
    QList<QWidget *> m_machineRows;
    QWidget *m_panel9 = nullptr;
    QWidget *m_panel10 = nullptr;
    QComboBox *m_addressCombo = nullptr;
    QWidget *m_treeSlot = nullptr;
    QWidget *m_listSlot = nullptr;
    QWidget *m_dbCtrlGrid = nullptr;
    QWidget *m_panel6 = nullptr;
    QWidget *m_panel7 = nullptr;
    QSplitter *m_editorSplitter = nullptr;
    QTabWidget *m_pageControl = nullptr;
    TForm_MSG *m_messages = nullptr;
    bool m_closing = false;
};
