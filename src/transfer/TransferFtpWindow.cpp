#include "TransferFtpWindow.h"

#include "TransferErrors.h"
#include "TransferJournal.h"
#include "journal/ProgramHash.h"
#include "machines/MachineOptions.h"
#include "TransferRules.h"
#include "TransferValues.h"
#include "app/AppState.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/SystemFormats.h"
#include "platform/WindowRules.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <climits>

namespace {
TForm_Transfer_FTP *g_window = nullptr;
const QString Quote = QStringLiteral("\"");
} // namespace

// Counts the running send and receive handlers; when the last one ends, a close
// asked for in the meantime (Cancel during a transfer) takes place.
class TForm_Transfer_FTP::HandlerScope
{
public:
    explicit HandlerScope(TForm_Transfer_FTP *w) : m_w(w)
    {
        if (m_w->m_handlers++ == 0)
            m_w->m_cancelPressed = false;
    }
    ~HandlerScope()
    {
        if (--m_w->m_handlers == 0 && m_w->m_closePending) {
            m_w->m_closePending = false;
            m_w->closeWindow();
        }
    }

private:
    TForm_Transfer_FTP *m_w;
};

TForm_Transfer_FTP::TForm_Transfer_FTP(QWidget *parent)
    : TransferPanelWindow(QStringLiteral("func03.4.2.html"), QStringLiteral("func03.5.2.html"), parent)
{
    g_window = this;
    setObjectName(QStringLiteral("Form_Transfer_FTP"));
    setMinimumSize(760, 640);

    m_client = new FtpClient(this);
    m_client->setObjectName(QStringLiteral("IdFTP1"));
    connect(m_client, &FtpClient::workBegin, this, &TForm_Transfer_FTP::IdFTP1WorkBegin);
    connect(m_client, &FtpClient::work, this, &TForm_Transfer_FTP::IdFTP1Work);
    connect(m_client, &FtpClient::workEnd, this, &TForm_Transfer_FTP::IdFTP1WorkEnd);

    // No margin under the body: the status bar closes the window.
    QVBoxLayout *body = addPanels(7, 0, [this](QWidget *box) {
        m_list = new QTreeWidget(box);
        m_list->setObjectName(QStringLiteral("ListView1"));
        m_list->setColumnCount(4);
        m_list->setRootIsDecorated(false);
        m_list->setUniformRowHeights(true);
        m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_list->setIconSize(QSize(16, 16));
        m_list->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        m_list->header()->setStretchLastSection(true);
        m_list->setColumnWidth(0, 36);
        m_list->setColumnWidth(1, 300);
        m_list->setColumnWidth(2, 100);
        connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1DblClick(); });
        return m_list;
    });

    auto *progress = new QHBoxLayout;
    m_label8 = new QLabel(this);
    m_label8->setObjectName(QStringLiteral("Label8"));
    m_label8->setMinimumWidth(48);
    m_label8->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    progress->addWidget(m_label8);
    progress->addWidget(m_bar, 1);
    body->addLayout(progress);
    addButtons(body);

    auto *statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    m_status = new QLabel(statusBar);
    m_status->setObjectName(QStringLiteral("StatusPanel0"));
    m_status->setTextFormat(Qt::PlainText);
    statusBar->addWidget(m_status, 1);
    layout()->addWidget(statusBar);
}

TForm_Transfer_FTP::~TForm_Transfer_FTP()
{
    if (g_window == this)
        g_window = nullptr;
}

TForm_Transfer_FTP *TForm_Transfer_FTP::instance() { return g_window; }

QString TForm_Transfer_FTP::statusText() const { return m_status->text(); }

void TForm_Transfer_FTP::setStatusText(const QString &text) { m_status->setText(text); }

void TForm_Transfer_FTP::prepare(const QString &file, int mode)
{
    TransferValues &v = transferValues();
    // The rows of an earlier listing may be another machine's: a name picked from
    // them would be fetched from the wrong place.
    m_list->clear();
    Edit7()->clear();
    if (mode == TransferRules::Send) {
        m_send->setVisible(true);
        m_send->setEnabled(true);
        m_receive->setVisible(false);
        m_select->setVisible(false);
        Label5()->setText(T("Form_Transfer_FTP.Label5"));
        v.FtpReceiveMode = 0;
        Edit5()->setText(v.FtpDirectory);
        Edit6()->setText(file);
        Edit7()->setText(TransferRules::fileNamePart(file));
        WindowRules::setRibbonCaption(this, T("Form_Transfer_FTP.Ribbon1"));
    } else if (mode == TransferRules::Receive) {
        m_send->setVisible(false);
        m_receive->setVisible(true);
        m_receive->setEnabled(true);
        m_select->setVisible(true);
        m_select->setEnabled(true);
        Label5()->setText(T("Form_Main.MSG02"));
        v.FtpReceiveMode = 1;
        Edit5()->setText(app().SelectedProgramDirectory);
        Edit6()->clear();
        Edit7()->clear();
        WindowRules::setRibbonCaption(this, T("Form_Main.MSG01"));
    }
    Edit1()->setText(app().SelectedMachineNumber);
    Edit2()->setText(app().SelectedMachineDescription);
    Edit3()->setText(v.FtpHost);
    Edit4()->setText(v.FtpUser);
}

void TForm_Transfer_FTP::FUNC_Conectar_FTP(const QString &user, const QString &password, const QString &host,
                                           const QString &directory, const QString &port)
{
    if (m_client->connected()) {
        m_client->disconnectFromHost();
        return;
    }
    m_client->setUser(user);
    m_client->setPassword(password);
    m_client->setHost(host);
    m_client->setPort(FtpClient::portFromText(port));
    m_client->connectToHost();
    ChangeDir(directory);
}

void TForm_Transfer_FTP::ChangeDir(const QString &directory)
{
    m_client->changeDir(directory);
    m_client->setTransferType(FtpClient::TransferType::Ascii);
    m_list->clear();
    const QList<FtpListEntry> entries = m_client->list();
    const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const FtpListEntry &e : entries) {
        if (!e.isFile)
            continue;
        auto *row = new QTreeWidgetItem(m_list);
        row->setIcon(0, icon);
        row->setText(1, e.name);
        row->setText(2, TransferRules::sizeInKilobytes(e.size));
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setText(3, e.modified.isValid() ? SystemFormats::formatDateTime(e.modified) : QString());
    }
}

// Send and receive connect again when the connection is gone (closed by the
// preparation, by the server or by an aborted transfer).
void TForm_Transfer_FTP::connectIfNeeded()
{
    if (m_client->connected())
        return;
    const TransferValues &v = transferValues();
    FUNC_Conectar_FTP(v.FtpUser, v.FtpPassword, v.FtpHost, v.FtpDirectory, v.FtpPort);
}

void TForm_Transfer_FTP::reportCancelled()
{
    setStatusText(T("Shared.MSG05"));
    reportStopped(Msg::information, T("Shared.MSG05"));
}

// A deleted partial file is told in the same box; one left on the machine gets a
// warning box of its own, so the operator does not run it.
void TForm_Transfer_FTP::reportStopped(void (*show)(const QString &), const QString &text)
{
    using FtpSend::Cleanup;
    const Cleanup c = m_cleanup;
    m_cleanup = Cleanup();
    QString note;
    if (c.state == Cleanup::Removed) {
        note = Texts::extra("Extra.FtpPartialRemoved").arg(c.name);
        if (c.temporary)
            note += QLatin1Char(' ') + Texts::extra("Extra.FtpProgramUnchanged").arg(Edit7()->text());
    }
    show(note.isEmpty() ? text : text + QLatin1Char('\n') + note);
    if (c.state == Cleanup::NotRemoved)
        Msg::attention(Texts::extra("Extra.FtpPartialNotRemoved").arg(c.name, c.reason));
    else if (c.state == Cleanup::NotRenamed)
        Msg::attention(Texts::extra("Extra.FtpNotRenamed").arg(c.name, Edit7()->text(), c.reason));
}

QString TForm_Transfer_FTP::ftpPlace() const
{
    const TransferValues &v = transferValues();
    return TransferErrors::ftpPlace(v.FtpHost, v.FtpPort);
}

bool TForm_Transfer_FTP::connectForTransfer(const char *notConnectedKey)
{
    // Making the connection may take up to the client's time limit: say so meanwhile, while
    // Cancel stays pressable.
    const bool connecting = !m_client->connected();
    if (connecting)
        setStatusText(Texts::extra("Extra.FtpConnecting").arg(ftpPlace()));
    try {
        connectIfNeeded();
    } catch (const FtpAborted &) {
        if (!m_cancelPressed)
            throw;
        reportCancelled();
        return false;
    } catch (const Error &e) {
        if (connecting)
            setStatusText(QString());
        throw Error(TransferErrors::ftpReason(e, ftpPlace()));
    }
    if (connecting)
        setStatusText(QString());
    if (!m_client->connected()) {
        Msg::error(T(notConnectedKey));
        return false;
    }
    return true;
}

void TForm_Transfer_FTP::transfer(std::initializer_list<QPushButton *> buttons, JournalEntry &journal,
                                  const std::function<void()> &run, const std::function<void()> &reportDone,
                                  const char *failedKey)
{
    for (QPushButton *b : buttons)
        b->setEnabled(false);
    try {
        m_client->setTransferType(FtpClient::TransferType::Binary);
        try {
            run();
        } catch (const FtpAborted &) {
            if (!app().CancelRequested)
                throw;
        }
        if (app().CancelRequested) {
            journal.outcome = JournalEntry::Outcome::Cancelled;
            TransferJournal::record(journal);
            reportCancelled();
        } else {
            TransferJournal::record(journal);
            reportDone();
        }
        setStatusText(QString());
        for (QPushButton *b : buttons)
            b->setEnabled(true);
        closeWindow();
    } catch (const Error &e) {
        // The message of the failure is fixed; the client's reason stays in the status bar
        // so that the operator can tell a full disk from a refused name.
        journal.outcome = JournalEntry::Outcome::Failed;
        journal.error = TransferErrors::ftpReason(e, ftpPlace());
        TransferJournal::record(journal);
        setStatusText(e.message());
        reportStopped(Msg::error, T(failedKey) + QLatin1Char('\n') + TransferErrors::ftpReason(e, ftpPlace()));
    }
}

void TForm_Transfer_FTP::BitBtn1Click()
{
    HandlerScope scope(this);
    if (Edit7()->text().trimmed().isEmpty()) {
        Msg::information(T("Form_Transfer_FTP.MSG12"));
        Edit7()->setFocus();
        return;
    }
    if (!connectForTransfer("Form_Transfer_FTP.MSG11"))
        return;

    app().CancelRequested = false;
    m_cleanup = FtpSend::Cleanup();
    const TransferValues &v = transferValues();
    const QString program = Edit6()->text();
    JournalEntry journal = TransferJournal::entry(
        JournalEntry::Medium::Ftp, JournalEntry::Direction::Send, program,
        TransferJournal::ftpRemote(v.FtpUser, v.FtpHost, v.FtpPort, Edit5()->text() + Edit7()->text()));
    const bool readBack = MachineOptions::read(app().mainSettingsPath(), app().SelectedMachineId).verifyByReadBack;
    FtpSend::Sent sent;
    const FtpSend::Check &check = sent.check;
    transfer(
        {m_send}, journal,
        [&] {
            try {
                FtpSend::sendAndVerify(*m_client, program, Edit7()->text(), readBack, m_cleanup, sent);
            } catch (...) {
                journal.sha256 = sent.programHash;
                journal.bytes = sent.programBytes;
                throw;
            }
            journal.sha256 = sent.programHash;
            journal.bytes = sent.programBytes;
            if (check.result == FtpSend::Check::Verified)
                journal.outcome = JournalEntry::Outcome::Verified;
            else if (check.result == FtpSend::Check::Mismatch) {
                journal.outcome = JournalEntry::Outcome::VerificationFailed;
                journal.error = Texts::extra("Extra.VerificationSizes")
                                    .arg(QString::number(sent.programBytes),
                                         check.remoteBytes >= 0 ? QString::number(check.remoteBytes)
                                                                : Texts::extra("Extra.VerificationSizeUnknown"));
            }
            ChangeDir(m_client->pwd());
        },
        [&] {
            if (check.result == FtpSend::Check::Mismatch) {
                setStatusText(journal.error);
                reportVerificationFailed(Edit5()->text() + Edit7()->text(), journal.bytes, check.remoteBytes);
                return;
            }
            setStatusText(T("Form_Transfer_FTP.MSG01") + Edit6()->text() + T("Form_Transfer_FTP.MSG02"));
            Msg::information(T("Form_Transfer_FTP.MSG07") + Edit6()->text() + T("Form_Transfer_FTP.MSG08")
                             + Edit5()->text() + Edit7()->text() + T("Form_Transfer_FTP.MSG09"));
        },
        "Form_Transfer_FTP.MSG10");
}

void TForm_Transfer_FTP::BitBtn2Click()
{
    HandlerScope scope(this);
    const bool haveOrigin = !Edit6()->text().trimmed().isEmpty();
    const bool haveName = !Edit7()->text().trimmed().isEmpty();
    if (!haveOrigin) {
        Msg::information(T("Form_Transfer_FTP.MSG20"));
        m_list->setFocus();
        return;
    }
    if (!haveName) {
        Msg::information(T("Form_Transfer_FTP.MSG21"));
        Edit7()->setFocus();
        return;
    }

    // The name comes from the machine's listing: it must not lead out of the folder.
    if (!TransferRules::isPlainLocalName(Edit7()->text())) {
        QString shown = Edit7()->text();
        for (QChar &c : shown)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                c = QLatin1Char('?');
        Msg::error(Texts::extra("Extra.UnsafeLocalName").arg(shown));
        Edit7()->setFocus();
        return;
    }
    app().CancelRequested = false;
    const QString local = Edit5()->text() + Edit7()->text();
    if (QFileInfo(local).isFile()
        && !Msg::question(T("Form_Transfer_FTP.MSG13") + local + T("Form_Transfer_FTP.MSG14"))) {
        Edit7()->setFocus();
        return;
    }
    if (!connectForTransfer("Form_Transfer_FTP.MSG19"))
        return;

    // The client writes into a temporary file beside `local` and puts it in place only
    // when the whole file arrived: a cancelled or broken download leaves the program
    // that was there untouched.
    const TransferValues &v = transferValues();
    JournalEntry journal =
        TransferJournal::entry(JournalEntry::Medium::Ftp, JournalEntry::Direction::Receive, local,
                               TransferJournal::ftpRemote(v.FtpUser, v.FtpHost, v.FtpPort, Edit6()->text()));
    transfer(
        {m_receive, m_select}, journal,
        [&] {
            m_client->get(Edit6()->text(), local);
            // What was stored, read from the disk.
            QString reason;
            qint64 bytes = -1;
            journal.sha256 = ProgramHash::ofFile(local, &reason, &bytes);
            journal.bytes = bytes;
            journal.error = reason;
        },
        [&] {
            setStatusText(T("Form_Transfer_FTP.MSG03") + Edit6()->text() + T("Form_Transfer_FTP.MSG04"));
            Msg::information(T("Form_Transfer_FTP.MSG15") + Edit6()->text() + T("Form_Transfer_FTP.MSG16") + local
                             + T("Form_Transfer_FTP.MSG17"));
        },
        "Form_Transfer_FTP.MSG18");
}

void TForm_Transfer_FTP::BitBtn4Click()
{
    QTreeWidgetItem *row = m_list->currentItem();
    if (!row || !row->isSelected() || transferValues().FtpReceiveMode != 1)
        return;
    Edit6()->setText(transferValues().FtpDirectory + row->text(1));
    Edit7()->setText(row->text(1));
}

void TForm_Transfer_FTP::reject()
{
    if (m_handlers == 0) {
        QDialog::reject();
        return;
    }
    app().CancelRequested = true;
    m_cancelPressed = true;
    m_closePending = true;
    m_client->abort();
}

void TForm_Transfer_FTP::closeWindow() { QDialog::reject(); }

void TForm_Transfer_FTP::showEvent(QShowEvent *event)
{
    m_label8->setText(QStringLiteral("0%"));
    QDialog::showEvent(event);
}

void TForm_Transfer_FTP::showProgress(qint64 position)
{
    m_position = qBound<qint64>(0, position, m_maximum);
    m_bar->setValue(int(m_position >> m_unitShift));
}

void TForm_Transfer_FTP::IdFTP1WorkBegin(FtpClient::WorkMode, qint64 total)
{
    if (total > 0) {
        m_maximum = total;
        // The bar counts in an int: very large files are counted in kilobytes or more.
        m_unitShift = 0;
        while ((m_maximum >> m_unitShift) > INT_MAX)
            m_unitShift += 10;
        m_bar->setMaximum(int(m_maximum >> m_unitShift));
    }
    showProgress(0);
    m_label8->setText(QStringLiteral("0%"));
}

void TForm_Transfer_FTP::IdFTP1Work(FtpClient::WorkMode mode, qint64 done)
{
    // The client lets pending events through while it works, which keeps the
    // window painted and Cancel pressable; here only the texts follow.
    showProgress(done);
    m_label8->setText(TransferRules::percentText(m_position, m_maximum));
    const QString prefix = mode == FtpClient::WorkMode::Read ? T("Form_Transfer_FTP.MSG05") : T("Form_Transfer_FTP.MSG06");
    setStatusText(prefix + QString::number(m_position) + QStringLiteral(" Bytes"));
}

void TForm_Transfer_FTP::IdFTP1WorkEnd(FtpClient::WorkMode)
{
    showProgress(0);
    m_label8->setText(QStringLiteral("0%"));
}

QWidget *createForm_Transfer_FTP() { return new TForm_Transfer_FTP; }
