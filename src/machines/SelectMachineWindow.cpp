#include "SelectMachineWindow.h"

#include "Database.h"
#include "MachineList.h"
#include "MachineListArea.h"
#include "MachineListView.h"
#include "MachineSelection.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "app/WindowFactories.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TForm_Selecionar_Maquina::TForm_Selecionar_Maquina(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Selecionar_Maquina"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *ribbon = new Ribbon(this);
    connect(ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func03.1.html")); });
    layout->addWidget(ribbon);

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *groupLayout = new QVBoxLayout(group);
    auto *filterRow = new QHBoxLayout;
    m_filterLabel = new QLabel(Texts::extra("Extra.SelectMachineFilter"), group);
    m_filterLabel->setObjectName(QStringLiteral("LabelFilter"));
    m_filter = new QLineEdit(group);
    m_filter->setObjectName(QStringLiteral("EditFilter"));
    m_filter->setClearButtonEnabled(true);
    m_filterLabel->setBuddy(m_filter);
    filterRow->addWidget(m_filterLabel);
    filterRow->addWidget(m_filter, 1);
    groupLayout->addLayout(filterRow);
    m_all = new MachineList(this);
    m_view = new MachineListView(m_all, VisibleRows,
                                 {QStringLiteral("Label8"), QStringLiteral("Label15"), QStringLiteral("Label16"),
                                  QStringLiteral("Label17")},
                                 group);
    m_view->setObjectName(QStringLiteral("DBCtrlGrid1"));
    m_view->setFrameShape(QFrame::StyledPanel);
    // Four panels of the full height, so the frame is counted in.
    m_view->setFixedSize(720, VisibleRows * 124 + 2 * m_view->frameWidth());
    groupLayout->addWidget(m_view);
    auto *outer = new QHBoxLayout;
    outer->setContentsMargins(8, 0, 8, 0);
    outer->addWidget(group);
    layout->addLayout(outer);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->addStretch(1);
    auto *select = new QPushButton(this);
    select->setObjectName(QStringLiteral("BitBtn1"));
    select->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    select->setMinimumWidth(110);
    select->setDefault(true);
    auto *cancel = new QPushButton(this);
    cancel->setObjectName(QStringLiteral("BitBtn5"));
    cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel->setMinimumWidth(110);
    buttons->addWidget(select);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(select, &QPushButton::clicked, this, &TForm_Selecionar_Maquina::BitBtn1Click);
    connect(cancel, &QPushButton::clicked, this, &TForm_Selecionar_Maquina::BitBtn5Click);
    connect(m_view, &QAbstractItemView::doubleClicked, this, &TForm_Selecionar_Maquina::BitBtn1Click);
    connect(m_filter, &QLineEdit::textChanged, this, &TForm_Selecionar_Maquina::runFilter);
    m_filter->installEventFilter(this);
    setTabOrder(m_filter, m_view);
}

void TForm_Selecionar_Maquina::showEvent(QShowEvent *event)
{
    // The command has just listed every machine.
    m_filterLabel->setText(Texts::extra("Extra.SelectMachineFilter"));
    {
        const QSignalBlocker quiet(m_filter);
        m_filter->clear();
    }
    QDialog::showEvent(event);
    m_filter->setFocus(Qt::OtherFocusReason);
}

void TForm_Selecionar_Maquina::runFilter()
{
    const QString text = m_filter->text();
    guarded([this, text] { MachineSelection::filterAllMachines(*m_all, text); });
}

void TForm_Selecionar_Maquina::refreshList()
{
    const QString text = MachineSelection::trimmedFilter(m_filter->text());
    TDataModule1 &db = TDataModule1::instance();
    m_all->reopen(text.isEmpty() ? db.allMachines() : db.machinesMatching(text));
}

// Up and down in the filter box move through the list, so that the keyboard
// never has to leave the box: type, pick, Enter.
bool TForm_Selecionar_Maquina::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            m_all->setPosition(m_all->position() + (key == Qt::Key_Down ? 1 : -1));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_Selecionar_Maquina::BitBtn1Click()
{
    const int position = m_all->position();
    if (position > 0) {
        if (guarded([position] { FUNC_Selecionar_Maquina(position); }))
            accept();
    } else {
        Msg::error(T("Form_Selecionar_Maquina.MSG01"));
    }
}

void TForm_Selecionar_Maquina::BitBtn5Click() { reject(); }

QWidget *createForm_Selecionar_Maquina() { return new TForm_Selecionar_Maquina; }
