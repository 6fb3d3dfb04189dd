#include "TransferDirWindow.h"

#include "TransferJournal.h"
#include "TransferRules.h"
#include "TransferValues.h"
#include "app/AppState.h"
#include "files/FileCopy.h"
#include "files/ShellListView.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/WindowRules.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
TForm_Transfer_DIR *g_window = nullptr;
std::function<void(const QString &)> g_beforeReadBack;

JournalEntry::Outcome journalOutcome(FileCopier::Outcome outcome, bool verified)
{
    switch (outcome) {
    case FileCopier::Outcome::Copied: return verified ? JournalEntry::Outcome::Verified : JournalEntry::Outcome::Done;
    case FileCopier::Outcome::VerificationFailed: return JournalEntry::Outcome::VerificationFailed;
    case FileCopier::Outcome::Failed: return JournalEntry::Outcome::Failed;
    case FileCopier::Outcome::Declined: // the existing file was kept: nothing went over
    case FileCopier::Outcome::Cancelled: break;
    }
    return JournalEntry::Outcome::Cancelled;
}
} // namespace

void TForm_Transfer_DIR::setBeforeReadBack(std::function<void(const QString &)> hook)
{
    g_beforeReadBack = std::move(hook);
}

TForm_Transfer_DIR::TForm_Transfer_DIR(QWidget *parent)
    : TransferPanelWindow(QStringLiteral("func03.4.1.html"), QStringLiteral("func03.5.1.html"), parent)
{
    g_window = this;
    setObjectName(QStringLiteral("Form_Transfer_DIR"));
    setMinimumSize(800, 600);

    QVBoxLayout *body = addPanels(5, 8, [this](QWidget *box) {
        m_list = new ShellListView(box);
        m_list->setObjectName(QStringLiteral("ShellListView1"));
        m_list->setViewStyle(ShellListView::Details);
        connect(m_list, &ShellListView::fileOpenRequested, this,
                [](const QString &path) { shell().openWithAssociatedProgram(QDir::toNativeSeparators(path)); });
        // Queued: the list's own action on the double click (opening a folder or a
        // file) comes first, then Select file on what is selected afterwards.
        connect(m_list->currentView(), &QAbstractItemView::doubleClicked, this, [this] { ShellListView1DblClick(); },
                Qt::QueuedConnection);
        return m_list;
    });
    addButtons(body);
}

TForm_Transfer_DIR::~TForm_Transfer_DIR()
{
    if (g_window == this)
        g_window = nullptr;
}

TForm_Transfer_DIR *TForm_Transfer_DIR::instance() { return g_window; }

void TForm_Transfer_DIR::prepare(const QString &file, int mode)
{
    TransferValues &v = transferValues();
    if (mode == TransferRules::Send) {
        Label3()->setText(T("Form_Transfer_DIR.Label3"));
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
        Label3()->setText(T("Form_Main.MSG04"));
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
    // The list is the machine's folder: Backspace does not lead above it.
    m_list->setTopFolder(folder);
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
// A sent file is read back and compared with what was read from the program; a
// received one is recorded with the hash of the bytes stored.
bool TForm_Transfer_DIR::copy(const QString &target, bool sending)
{
    const QString source = Edit4()->text();
    const bool folder = QFileInfo(source).isDir();
    m_copying = true;
    const CopyReport r = copyForTransfer(source, target, sending, g_beforeReadBack);
    m_copying = false;

    using D = JournalEntry::Direction;
    const QString stored = r.target.isEmpty() ? target : r.target;
    JournalEntry e = TransferJournal::entry(JournalEntry::Medium::Directory, sending ? D::Send : D::Receive,
                                            sending ? source : stored, sending ? stored : source);
    e.bytes = r.bytes;
    e.sha256 = folder ? QString() : r.sourceHash;
    e.outcome = journalOutcome(r.outcome, sending);
    e.error = r.error;
    TransferJournal::record(e);
    if (r.outcome == FileCopier::Outcome::VerificationFailed)
        reportVerificationFailed(r.failedPath, r.sourceSize, r.targetSize);
    return r.outcome == FileCopier::Outcome::Copied;
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
    if (copy(target, true))
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
    if (copy(target, false))
        Msg::information(T("Form_Transfer_DIR.MSG04") + target + T("Form_Transfer_DIR.MSG05"));
    m_receive->setEnabled(true);
    m_cancel->setEnabled(true);
    m_select->setEnabled(true);
    QDialog::reject();
}

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
