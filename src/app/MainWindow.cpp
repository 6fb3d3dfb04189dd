#include "MainWindow.h"

#include "AppState.h"
#include "MessagesWindow.h"
#include "Ribbon.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QHelpEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

TForm_Main *g_main = nullptr;

// Ribbon icons are drawn for Zavrin; a standard icon stands in for a missing one.
QIcon ribbonIcon(const QString &name, QStyle::StandardPixmap fallback)
{
    const QString path = QStringLiteral(":/icons/%1.png").arg(name);
    if (QFile::exists(path))
        return QIcon(path);
    return qApp->style()->standardIcon(fallback);
}

QLabel *navyLabel(QWidget *parent, const QString &objectName, bool bold)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(pal);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    return label;
}

QWidget *whitePanel(QWidget *parent, const QString &objectName)
{
    auto *w = new QWidget(parent);
    w->setObjectName(objectName);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::white);
    w->setPalette(pal);
    return w;
}

// A value of the selected-machine panel. One longer than its row (a deep program
// folder) is shortened with an ellipsis, the folder in the middle so that its
// last part stays in view, and shown whole as a tooltip, instead of being cut
// through a letter at the panel's edge.
class ValueLabel : public QLabel
{
public:
    ValueLabel(QWidget *parent, Qt::TextElideMode mode) : QLabel(parent), m_mode(mode) {}

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (!elided()) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        const QRect room = contentsRect();
        style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(),
                              fontMetrics().elidedText(text(), m_mode, room.width()), foregroundRole());
    }

    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip) {
            if (elided())
                QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
            else
                QToolTip::hideText();
            return true;
        }
        return QLabel::event(event);
    }

private:
    bool elided() const { return fontMetrics().horizontalAdvance(text()) > contentsRect().width(); }

    Qt::TextElideMode m_mode;
};

// A framed panel whose caption is a bold label at its top (the "Machine" frame).
class CaptionedPanel : public QFrame
{
public:
    CaptionedPanel(QWidget *parent, const QString &objectName) : QFrame(parent)
    {
        setObjectName(objectName);
        setFrameShape(QFrame::Box);
        setFrameShadow(QFrame::Sunken);
    }
};

} // namespace

// The caption of Panel4 is a property so that the language texts reach it.
class MachinePicturePanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    explicit MachinePicturePanel(QWidget *parent) : QFrame(parent)
    {
        setObjectName(QStringLiteral("Panel4"));
        setFrameShape(QFrame::Box);
        m_caption = new QLabel(this);
        m_caption->setAlignment(Qt::AlignCenter);
        QFont f = m_caption->font();
        f.setBold(true);
        m_caption->setFont(f);
    }
    QString caption() const { return m_caption->text(); }
    void setCaption(const QString &c) { m_caption->setText(c); }
    QLabel *captionLabel() const { return m_caption; }

private:
    QLabel *m_caption;
};

TForm_Main::TForm_Main(QWidget *parent) : QMainWindow(parent)
{
    g_main = this;
    setObjectName(QStringLiteral("Form_Main"));
    resize(1459, 732 + 22);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    buildRibbon();
    layout->addWidget(m_ribbon);

    m_areas = new QWidget(central);
    m_areas->setObjectName(QStringLiteral("WorkAreas"));
    auto *areas = new QVBoxLayout(m_areas);
    areas->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_areas, 1);
    buildBrowserArea();
    buildMachineListArea();
    buildEditorArea();

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(status);

    for (const char *name : {"actFileOpen", "actSearch", "actSearchNext", "actSearchPrev", "actSearchReplace",
                             "actFileSave", "actGoTo"}) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        addAction(action);
    }
    FUNC_ViewRibbon(0);
}

TForm_Main::~TForm_Main()
{
    if (g_main == this)
        g_main = nullptr;
}

TForm_Main *TForm_Main::instance() { return g_main; }

QTabWidget *TForm_Main::ribbonPages() const { return m_ribbon->pages(); }

QStatusBar *TForm_Main::StatusBar1() const { return statusBar(); }

void TForm_Main::buildRibbon()
{
    m_ribbon = new Ribbon(this, true);
    m_ribbon->setFixedHeight(148);
    connect(m_ribbon, &Ribbon::helpRequested, this, &TForm_Main::helpButtonClick);
    QTabWidget *pages = m_ribbon->pages();

    using SP = QStyle::StandardPixmap;
    auto group = [](RibbonPage *page, const char *name) { return new RibbonGroup(page, QLatin1String(name)); };

    auto *page1 = new RibbonPage(pages, QStringLiteral("RibbonPage1"));
    group(page1, "RibbonGroup1")->addButton(QStringLiteral("SpeedButton1"), ribbonIcon(QStringLiteral("select-machine"), SP::SP_ComputerIcon));
    group(page1, "RibbonGroup2")->addButton(QStringLiteral("SpeedButton2"), ribbonIcon(QStringLiteral("open-cnc"), SP::SP_FileIcon));
    group(page1, "RibbonGroup3")->addButton(QStringLiteral("SpeedButton3"), ribbonIcon(QStringLiteral("create-directory"), SP::SP_FileDialogNewFolder));
    group(page1, "RibbonGroup4")->addButton(QStringLiteral("SpeedButton4"), ribbonIcon(QStringLiteral("transfer"), SP::SP_ArrowUp));
    group(page1, "RibbonGroup19")->addButton(QStringLiteral("SpeedButton19"), ribbonIcon(QStringLiteral("receive"), SP::SP_ArrowDown));
    {
        RibbonGroup *view = group(page1, "RibbonGroup10");
        auto *grid = new QWidget(view->body());
        auto *g = new QGridLayout(grid);
        g->setContentsMargins(0, 0, 0, 0);
        g->setSpacing(1);
        const struct { const char *name; const char *icon; SP fallback; } buttons[] = {
            // Top row, then bottom row; 11 is details and 12 is list.
            {"SpeedButton9", "view-large-icons", SP::SP_FileDialogContentsView},
            {"SpeedButton10", "view-small-icons", SP::SP_FileDialogInfoView},
            {"SpeedButton20", "new-folder", SP::SP_FileDialogNewFolder},
            {"SpeedButton22", "copy", SP::SP_DialogSaveButton},
            {"SpeedButton12", "view-list", SP::SP_FileDialogListView},
            {"SpeedButton11", "view-details", SP::SP_FileDialogDetailedView},
            {"SpeedButton21", "delete", SP::SP_TrashIcon},
            {"SpeedButton23", "paste", SP::SP_DialogOpenButton},
        };
        int i = 0;
        for (const auto &b : buttons) {
            auto *button = new QToolButton(grid);
            button->setObjectName(QLatin1String(b.name));
            button->setIcon(ribbonIcon(QLatin1String(b.icon), b.fallback));
            button->setIconSize(QSize(22, 22));
            button->setAutoRaise(true);
            g->addWidget(button, i / 4, i % 4);
            ++i;
        }
        view->bodyLayout()->addWidget(grid);
    }
    group(page1, "RibbonGroup25")->addButton(QStringLiteral("SpeedButton32"), ribbonIcon(QStringLiteral("settings"), SP::SP_FileDialogDetailedView));
    page1->groups()->addStretch(1);

    auto *page2 = new RibbonPage(pages, QStringLiteral("RibbonPage2"));
    group(page2, "RibbonGroup5")->addButton(QStringLiteral("SpeedButton5"), ribbonIcon(QStringLiteral("machine-register"), SP::SP_FileDialogNewFolder));
    group(page2, "RibbonGroup6")->addButton(QStringLiteral("SpeedButton6"), ribbonIcon(QStringLiteral("machine-edit"), SP::SP_FileDialogDetailedView));
    group(page2, "RibbonGroup7")->addButton(QStringLiteral("SpeedButton7"), ribbonIcon(QStringLiteral("machine-view"), SP::SP_FileDialogContentsView));
    group(page2, "RibbonGroup8")->addButton(QStringLiteral("SpeedButton8"), ribbonIcon(QStringLiteral("machine-delete"), SP::SP_TrashIcon));
    {
        RibbonGroup *filter = group(page2, "RibbonGroup9");
        auto *form = new QWidget(filter->body());
        auto *g = new QGridLayout(form);
        g->setContentsMargins(2, 2, 2, 2);
        g->setVerticalSpacing(4);
        auto *label6 = new QLabel(form);
        label6->setObjectName(QStringLiteral("Label6"));
        auto *edit3 = new QLineEdit(form);
        edit3->setObjectName(QStringLiteral("Edit3"));
        edit3->setMinimumWidth(220);
        auto *label5 = new QLabel(form);
        label5->setObjectName(QStringLiteral("Label5"));
        auto *edit4 = new QLineEdit(form);
        edit4->setObjectName(QStringLiteral("Edit4"));
        edit4->setMinimumWidth(220);
        auto *search = new QPushButton(form);
        search->setObjectName(QStringLiteral("Button2"));
        auto *clear = new QPushButton(form);
        clear->setObjectName(QStringLiteral("Button3"));
        label6->setBuddy(edit3);
        label5->setBuddy(edit4);
        g->addWidget(label6, 0, 0);
        g->addWidget(edit3, 0, 1);
        g->addWidget(search, 0, 2);
        g->addWidget(label5, 1, 0);
        g->addWidget(edit4, 1, 1);
        g->addWidget(clear, 1, 2);
        filter->bodyLayout()->addWidget(form);
    }
    page2->groups()->addStretch(1);

    auto *page3 = new RibbonPage(pages, QStringLiteral("RibbonPage3"));
    {
        RibbonGroup *file = group(page3, "RibbonGroup11");
        const struct { const char *name; const char *icon; SP fallback; } buttons[] = {
            {"SpeedButton15", "file-open", SP::SP_DialogOpenButton},
            {"SpeedButton24", "file-new", SP::SP_FileIcon},
            {"SpeedButton14", "file-close", SP::SP_DialogCloseButton},
            {"SpeedButton13", "file-save", SP::SP_DialogSaveButton},
            {"SpeedButton16", "file-save-as", SP::SP_DriveFDIcon},
            {"SpeedButton33", "file-save-all", SP::SP_DriveHDIcon},
        };
        for (const auto &b : buttons)
            file->addButton(QLatin1String(b.name), ribbonIcon(QLatin1String(b.icon), b.fallback), false);
    }
    {
        RibbonGroup *find = group(page3, "RibbonGroup22");
        find->addButton(QStringLiteral("SpeedButton27"), ribbonIcon(QStringLiteral("find"), SP::SP_FileDialogContentsView), false);
        find->addButton(QStringLiteral("SpeedButton28"), ribbonIcon(QStringLiteral("find-next"), SP::SP_ArrowDown), false);
        find->addButton(QStringLiteral("SpeedButton29"), ribbonIcon(QStringLiteral("find-previous"), SP::SP_ArrowUp), false);
    }
    group(page3, "RibbonGroup23")->addButton(QStringLiteral("SpeedButton30"), ribbonIcon(QStringLiteral("replace"), SP::SP_BrowserReload));
    group(page3, "RibbonGroup12")->addButton(QStringLiteral("BT01"), ribbonIcon(QStringLiteral("tool-spaces"), SP::SP_ToolBarHorizontalExtensionButton));
    group(page3, "RibbonGroup13")->addButton(QStringLiteral("BT02"), ribbonIcon(QStringLiteral("tool-blocks"), SP::SP_FileDialogListView));
    group(page3, "RibbonGroup14")->addButton(QStringLiteral("BT06"), ribbonIcon(QStringLiteral("tool-convert-ij"), SP::SP_BrowserReload));
    group(page3, "RibbonGroup15")->addButton(QStringLiteral("BT07"), ribbonIcon(QStringLiteral("tool-translate"), SP::SP_ArrowRight));
    group(page3, "RibbonGroup16")->addButton(QStringLiteral("BT08"), ribbonIcon(QStringLiteral("tool-mirror"), SP::SP_MediaSeekBackward));
    group(page3, "RibbonGroup26")->addButton(QStringLiteral("BT09"), ribbonIcon(QStringLiteral("tool-character"), SP::SP_FileDialogStart));
    group(page3, "RibbonGroup17")->addButton(QStringLiteral("SpeedButton17"), ribbonIcon(QStringLiteral("font"), SP::SP_FileDialogDetailedView));
    group(page3, "RibbonGroup18")->addButton(QStringLiteral("SpeedButton18"), ribbonIcon(QStringLiteral("colour"), SP::SP_DesktopIcon));
    {
        QToolButton *messages = group(page3, "RibbonGroup20")->addButton(
            QStringLiteral("SpeedButton25"), ribbonIcon(QStringLiteral("messages"), SP::SP_MessageBoxInformation));
        connect(messages, &QToolButton::clicked, this, &TForm_Main::SpeedButton25Click);
    }
    group(page3, "RibbonGroup24")->addButton(QStringLiteral("SpeedButton31"), ribbonIcon(QStringLiteral("transfer"), SP::SP_ArrowUp));
    page3->groups()->addStretch(1);

    connect(pages, &QTabWidget::currentChanged, this, &TForm_Main::FUNC_ViewRibbon);
}

void TForm_Main::buildBrowserArea()
{
    m_panel1 = new QWidget(m_areas);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_areas->layout()->addWidget(m_panel1);
    auto *layout = new QHBoxLayout(m_panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *splitter = new QSplitter(Qt::Horizontal, m_panel1);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(1);
    layout->addWidget(splitter);

    auto *panel2 = new QWidget(splitter);
    panel2->setObjectName(QStringLiteral("Panel2"));
    auto *left = new QVBoxLayout(panel2);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(2);
    buildSelectedMachinePanel(panel2);
    left->addWidget(m_panel5);
    m_treeSlot = new QWidget(panel2);
    m_treeSlot->setObjectName(QStringLiteral("ShellTreeSlot"));
    auto *treeLayout = new QVBoxLayout(m_treeSlot);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    left->addWidget(m_treeSlot, 1);

    auto *panel8 = new QWidget(splitter);
    panel8->setObjectName(QStringLiteral("Panel8"));
    auto *right = new QVBoxLayout(panel8);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(2);
    m_panel9 = new QWidget(panel8);
    m_panel9->setObjectName(QStringLiteral("Panel9"));
    auto *bar = new QHBoxLayout(m_panel9);
    bar->setContentsMargins(2, 2, 2, 2);
    m_addressCombo = new QComboBox(m_panel9);
    m_addressCombo->setObjectName(QStringLiteral("ShellComboBox1"));
    m_addressCombo->setEditable(true);
    m_panel10 = new QWidget(m_panel9);
    m_panel10->setObjectName(QStringLiteral("Panel10"));
    auto *filter = new QHBoxLayout(m_panel10);
    filter->setContentsMargins(0, 0, 0, 0);
    auto *edit1 = new QLineEdit(m_panel10);
    edit1->setObjectName(QStringLiteral("Edit1"));
    edit1->setMinimumWidth(160);
    auto *button4 = new QPushButton(m_panel10);
    button4->setObjectName(QStringLiteral("Button4"));
    auto *button5 = new QPushButton(m_panel10);
    button5->setObjectName(QStringLiteral("Button5"));
    filter->addWidget(edit1);
    filter->addWidget(button4);
    filter->addWidget(button5);
    // The address box takes what the right-aligned filter group leaves.
    bar->addWidget(m_addressCombo, 1);
    bar->addWidget(m_panel10);
    right->addWidget(m_panel9);
    m_listSlot = new QWidget(panel8);
    m_listSlot->setObjectName(QStringLiteral("ShellListSlot"));
    auto *listLayout = new QVBoxLayout(m_listSlot);
    listLayout->setContentsMargins(0, 0, 0, 0);
    right->addWidget(m_listSlot, 1);

    splitter->addWidget(panel2);
    splitter->addWidget(panel8);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({330, 1129});
    panel2->setMinimumWidth(250);
}

void TForm_Main::buildSelectedMachinePanel(QWidget *parent)
{
    m_panel5 = whitePanel(parent, QStringLiteral("Panel5"));
    // 305 pixels in the design; a little more so that the picture and the four rows never overlap.
    m_panel5->setFixedHeight(326);
    m_panel5->installEventFilter(this);

    auto *panel4 = new MachinePicturePanel(m_panel5);
    m_panel4 = panel4;
    m_panel4->installEventFilter(this);
    m_image2 = new QLabel(m_panel4);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setScaledContents(true);
    m_image2->setFixedSize(210, 210);

    const struct { const char *label; const char *value; } rows[] = {
        {"Label3", "Label2"}, {"Label1", "Label4"}, {"Label7", "Label9"}, {"Label10", "Label11"}};
    for (const auto &r : rows) {
        auto *frame = new QFrame(m_panel5);
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Sunken);
        auto *h = new QHBoxLayout(frame);
        h->setContentsMargins(4, 1, 4, 1);
        QLabel *label = navyLabel(frame, QLatin1String(r.label), true);
        label->setMinimumWidth(70);
        auto *value = new ValueLabel(frame, qstrcmp(r.value, "Label9") == 0 ? Qt::ElideMiddle : Qt::ElideRight);
        value->setObjectName(QLatin1String(r.value));
        value->setTextFormat(Qt::PlainText);
        value->setText(QLatin1String(EmptyValue));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // A long value is shortened instead of squeezing the caption.
        value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        h->addWidget(label);
        h->addWidget(value, 1);
        m_machineRows << frame;
    }
}

void TForm_Main::buildMachineListArea()
{
    m_dbCtrlGrid = whitePanel(m_areas, QStringLiteral("DBCtrlGrid1"));
    auto *layout = new QVBoxLayout(m_dbCtrlGrid);
    layout->setContentsMargins(0, 0, 0, 0);
    m_areas->layout()->addWidget(m_dbCtrlGrid);
}

void TForm_Main::buildEditorArea()
{
    m_panel6 = new QWidget(m_areas);
    m_panel6->setObjectName(QStringLiteral("Panel6"));
    auto *layout = new QVBoxLayout(m_panel6);
    layout->setContentsMargins(0, 0, 0, 0);
    m_editorSplitter = new QSplitter(Qt::Vertical, m_panel6);
    m_editorSplitter->setObjectName(QStringLiteral("Splitter2"));
    m_editorSplitter->setHandleWidth(3);
    m_pageControl = new QTabWidget(m_editorSplitter);
    m_pageControl->setObjectName(QStringLiteral("PageControl1"));
    m_pageControl->setIconSize(QSize(24, 24));
    m_panel7 = new QWidget(m_editorSplitter);
    m_panel7->setObjectName(QStringLiteral("Panel7"));
    auto *dock = new QVBoxLayout(m_panel7);
    dock->setContentsMargins(0, 0, 0, 0);
    m_editorSplitter->addWidget(m_pageControl);
    m_editorSplitter->addWidget(m_panel7);
    m_editorSplitter->setStretchFactor(0, 1);
    m_editorSplitter->setSizes({500, 150});
    m_panel7->hide();
    layout->addWidget(m_editorSplitter);
    m_areas->layout()->addWidget(m_panel6);
}

bool TForm_Main::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == m_panel4) {
            // The picture stays centred in its frame; the caption sits above it.
            auto *panel = static_cast<MachinePicturePanel *>(m_panel4);
            const int captionHeight = panel->captionLabel()->sizeHint().height();
            panel->captionLabel()->setGeometry(2, 2, m_panel4->width() - 4, captionHeight);
            m_image2->move((m_panel4->width() - 215) / 2, captionHeight + 4);
        } else if (watched == m_panel5) {
            // Picture frame on top, then the four rows, each as wide as the panel minus 3.
            const int w = m_panel5->width();
            const int rowHeight = 22;
            const int pictureHeight = m_panel5->height() - 4 * rowHeight - 4;
            m_panel4->setGeometry(1, 1, w - 3, pictureHeight);
            int y = pictureHeight + 2;
            for (QWidget *row : m_machineRows) {
                row->setGeometry(1, y, w - 3, rowHeight);
                y += rowHeight;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm_Main::FUNC_ViewRibbon(int page)
{
    if (page < 0 || page > 2)
        return;
    m_panel1->setVisible(page == 0);
    m_dbCtrlGrid->setVisible(page == 1);
    m_panel6->setVisible(page == 2);
}

QString TForm_Main::helpPageName() const
{
    if (m_panel1->isVisibleTo(const_cast<TForm_Main *>(this)))
        return QStringLiteral("func03.html");
    if (m_dbCtrlGrid->isVisibleTo(const_cast<TForm_Main *>(this)))
        return QStringLiteral("func04.html");
    if (m_panel6->isVisibleTo(const_cast<TForm_Main *>(this)))
        return QStringLiteral("func05.html");
    return QString();
}

void TForm_Main::helpButtonClick()
{
    const QString page = helpPageName();
    if (!page.isEmpty())
        shell().openHelpPage(app().HelpDirectory + page);
}

void TForm_Main::FUNC_Historico(const QString &title, const QString &detail1, const QString &detail2,
                                const QString &detail3, const QString &detail4)
{
    if (!m_messages)
        m_messages = findChild<TForm_MSG *>(QStringLiteral("Form_MSG"));
    if (!m_messages)
        return;
    const QString fileName = currentFileName ? currentFileName() : QString();
    m_messages->addEntry(fileName, title, {detail1, detail2, detail3, detail4});
}

void TForm_Main::FUNC_Mensagem(int kind, const QString &functionName)
{
    if (kind != 1)
        return;
    Msg::attention(T("Form_Main.MSG21") + functionName + QLatin1Char('"') + QLatin1Char('.'));
}

void TForm_Main::showMessagesPanel()
{
    if (!m_messages) {
        m_messages = qobject_cast<TForm_MSG *>(findChild<QWidget *>(QStringLiteral("Form_MSG")));
    }
    if (!m_messages)
        return;
    if (m_messages->parentWidget() != m_panel7) {
        m_messages->setParent(m_panel7);
    }
    if (m_panel7->layout()->indexOf(m_messages) < 0)
        m_panel7->layout()->addWidget(m_messages);
    connect(m_messages, &TForm_MSG::closed, m_panel7, &QWidget::hide, Qt::UniqueConnection);
    m_messages->show();
    m_panel7->show();
}

void TForm_Main::SpeedButton25Click()
{
    if (!m_panel7->isHidden()) {
        if (m_messages)
            m_messages->close();
        m_panel7->hide();
    } else {
        showMessagesPanel();
    }
}

void TForm_Main::showSelectedMachine(const QString &number, const QString &description, const QString &directory,
                                     const QString &type, const QPixmap &picture)
{
    findChild<QLabel *>(QStringLiteral("Label2"))->setText(number);
    findChild<QLabel *>(QStringLiteral("Label4"))->setText(description);
    findChild<QLabel *>(QStringLiteral("Label9"))->setText(directory);
    findChild<QLabel *>(QStringLiteral("Label11"))->setText(type);
    m_image2->setPixmap(picture);
}

void TForm_Main::clearSelectedMachine()
{
    const QString empty = QLatin1String(EmptyValue);
    showSelectedMachine(empty, empty, empty, empty, QPixmap());
}

bool TForm_Main::runCloseSequence()
{
    QStringList changed;
    if (changedTabCaptions)
        changed = changedTabCaptions();
    QString list;
    for (const QString &caption : changed)
        list += caption + QLatin1Char('\r');
    if (list.trimmed().isEmpty())
        return true;
    if (Msg::question(T("Form_Main.MSG26") + QLatin1Char('\r') + list) && saveAllTabs)
        return saveAllTabs();
    return true;
}

void TForm_Main::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    // After "Yes" the edits must be saved before the window goes: a tab that was
    // not (its save dialog or replace question declined, its write failed) keeps
    // the application open on that tab.
    bool mayClose = false;
    guarded([this, &mayClose] { mayClose = runCloseSequence(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    m_closing = true;
    event->accept();
}

#include "MainWindow.moc"
