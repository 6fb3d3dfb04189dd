#include "TransferDirWindow.h"

#include "TransferFormParts.h"
#include "TransferRules.h"
#include "TransferValues.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "files/FileCopy.h"
#include "files/ShellListView.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/WindowRules.h"

#include <QAbstractItemView>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
TForm_Transfer_DIR *g_window = nullptr;
}

TForm_Transfer_DIR::TForm_Transfer_DIR(QWidget *parent) : QDialog(parent)
{
    g_window = this;
    setObjectName(QStringLiteral("Form_Transfer_DIR"));
    setWindowTitle(QStringLiteral("Zavrin"));
    setMinimumSize(800, 600);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(6);
    auto *ribbon = new Ribbon(this);
    connect(ribbon, &Ribbon::helpRequested, this,
            [this] { shell().openHelpPage(app().HelpDirectory + helpPageName()); });
    layout->addWidget(ribbon);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 0);
    layout->addLayout(body, 1);

    auto *fields = new QGroupBox(this);
    fields->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(fields);
    grid->setColumnStretch(1, 1);
    using TransferFormParts::addField;
    m_edits[0] = addField(grid, "Label1", "Edit1", true);
    m_edits[1] = addField(grid, "Label2", "Edit2", true);
    m_edits[2] = addField(grid, "Label3", "Edit3", true, &m_label3);
    m_edits[3] = addField(grid, "Label4", "Edit4", true);
    m_edits[4] = addField(grid, "Label5", "Edit5", false);
    body->addWidget(fields);

    auto *listBox = new QGroupBox(this);
    listBox->setObjectName(QStringLiteral("GroupBox2"));
    auto *listLayout = new QVBoxLayout(listBox);
    m_list = new ShellListView(listBox);
    m_list->setObjectName(QStringLiteral("ShellListView1"));
    m_list->setViewStyle(ShellListView::Details);
    connect(m_list, &ShellListView::fileOpenRequested, this,
            [](const QString &path) { shell().openWithAssociatedProgram(QDir::toNativeSeparators(path)); });
    // Queued: the list's own action on the double click (opening a folder or a
    // file) comes first, then Select file on what is selected afterwards.
    connect(m_list->currentView(), &QAbstractItemView::doubleClicked, this, [this] { ShellListView1DblClick(); },
            Qt::QueuedConnection);
    listLayout->addWidget(m_list);
    body->addWidget(listBox, 1);

    auto *buttons = new QHBoxLayout;
    m_send = TransferFormParts::button(this, "BitBtn1", QStringLiteral("send"));
    m_receive = TransferFormParts::button(this, "BitBtn2", QStringLiteral("receive"));
    m_select = TransferFormParts::button(this, "BitBtn4", QStringLiteral("select"));
    m_cancel = TransferFormParts::button(this, "BitBtn3", QStringLiteral("cancel"));
    buttons->addWidget(m_select);
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(m_receive);
    buttons->addWidget(m_cancel);
    body->addLayout(buttons);
    connect(m_send, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(m_receive, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });
    connect(m_select, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
}

TForm_Transfer_DIR::~TForm_Transfer_DIR()
{
    if (g_window == this)
        g_window = nullptr;
}

TForm_Transfer_DIR *TForm_Transfer_DIR::instance() { return g_window; }

QString TForm_Transfer_DIR::helpPageName() const
{
    return m_send->isHidden() ? QStringLiteral("func03.5.1.html") : QStringLiteral("func03.4.1.html");
}

QString TForm_Transfer_DIR::ribbonCaption() const
{
    const auto *ribbon = findChild<Ribbon *>(QStringLiteral("Ribbon1"));
    return ribbon ? ribbon->caption() : QString();
}

void TForm_Transfer_DIR::prepare(const QString &file, int mode)
{
    TransferValues &v = transferValues();
    if (mode == TransferRules::Send) {
        m_label3->setText(T("Form_Transfer_DIR.Label3"));
        m_send->setVisible(true);
        m_send->setEnabled(true);
        m_cancel->setVisible(true);
        m_cancel->setEnabled(true);
        m_receive->setVisible(false);
        m_select->setVisible(false);
        v.DirReceiveMode = 0;
        Edit3()->setText(v.MachineTransferDirectory);
        Edit4()->setText(file);
        Edit5()->setText(TransferRules::fileNamePart(file));
        WindowRules::setRibbonCaption(this, T("Form_Transfer_DIR.Ribbon1"));
    } else if (mode == TransferRules::Receive) {
        m_label3->setText(T("Form_Main.MSG04"));
        m_send->setVisible(false);
        for (QPushButton *b : {m_receive, m_cancel, m_select}) {
            b->setVisible(true);
            b->setEnabled(true);
        }
        v.DirReceiveMode = 1;
        Edit3()->setText(app().SelectedProgramDirectory);
        Edit4()->clear();
        Edit5()->clear();
        WindowRules::setRibbonCaption(this, T("Form_Main.MSG03"));
    }
    Edit1()->setText(app().SelectedMachineNumber);
    Edit2()->setText(app().SelectedMachineDescription);
}

void TForm_Transfer_DIR::setListRoot(const QString &folder)
{
    m_list->setFolder(folder);
    m_send->setEnabled(true);
}

void TForm_Transfer_DIR::showEvent(QShowEvent *event)
{
    m_list->setColumnCaption(0, T("Form_Transfer_DIR.ShellListView1.Column0"));
    m_list->setColumnCaption(1, T("Form_Transfer_DIR.ShellListView1.Column1"));
    m_list->setColumnCaption(2, T("Form_Transfer_DIR.ShellListView1.Column2"));
    m_list->setColumnCaption(3, T("Form_Transfer_DIR.ShellListView1.Column3"));
    QDialog::showEvent(event);
    Edit5()->setFocus();
}

// The copy itself asks before replacing a file and writes through a temporary
// name, so a declined, failed or cancelled copy leaves the target as it was.
bool TForm_Transfer_DIR::copy(const QString &target)
{
    m_copying = true;
    const bool copied = FUNC_Copiar_Arquivo(Edit4()->text(), target);
    m_copying = false;
    return copied;
}

void TForm_Transfer_DIR::BitBtn1Click()
{
    if (Edit5()->text().trimmed().isEmpty()) {
        Msg::information(T("Form_Transfer_DIR.MSG03"));
        Edit5()->setFocus();
        return;
    }
    m_send->setEnabled(false);
    m_cancel->setEnabled(false);
    const QString target = TransferRules::copyTarget(Edit3()->text(), Edit5()->text());
    if (copy(target))
        Msg::information(T("Form_Transfer_DIR.MSG01") + target + T("Form_Transfer_DIR.MSG02"));
    m_send->setEnabled(true);
    m_cancel->setEnabled(true);
    QDialog::reject();
}

void TForm_Transfer_DIR::BitBtn2Click()
{
    if (Edit4()->text().trimmed().isEmpty()) {
        Msg::information(T("Form_Transfer_DIR.MSG06"));
        m_list->setFocus();
        return;
    }
    if (Edit5()->text().trimmed().isEmpty()) {
        Msg::information(T("Form_Transfer_DIR.MSG07"));
        Edit5()->setFocus();
        return;
    }
    m_receive->setEnabled(false);
    m_cancel->setEnabled(false);
    m_select->setEnabled(false);
    const QString target = TransferRules::copyTarget(Edit3()->text(), Edit5()->text());
    if (copy(target))
        Msg::information(T("Form_Transfer_DIR.MSG04") + target + T("Form_Transfer_DIR.MSG05"));
    m_receive->setEnabled(true);
    m_cancel->setEnabled(true);
    m_select->setEnabled(true);
    QDialog::reject();
}

void TForm_Transfer_DIR::BitBtn3Click() { reject(); }

void TForm_Transfer_DIR::reject()
{
    // The window waits for a running copy, as its disabled Cancel button says.
    if (!m_copying)
        QDialog::reject();
}

void TForm_Transfer_DIR::BitBtn4Click()
{
    const QString path = QDir::toNativeSeparators(m_list->selectedPath());
    if (path.isEmpty() || transferValues().DirReceiveMode != 1)
        return;
    Edit4()->setText(path);
    Edit5()->setText(TransferRules::fileNamePart(path));
}

QWidget *createForm_Transfer_DIR() { return new TForm_Transfer_DIR; }
