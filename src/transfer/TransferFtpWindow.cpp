#include "TransferFtpWindow.h"

#include "TransferFormParts.h"
#include "TransferRules.h"
#include "TransferValues.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/SystemFormats.h"
#include "platform/WindowRules.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
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

TForm_Transfer_FTP::TForm_Transfer_FTP(QWidget *parent) : QDialog(parent)
{
    g_window = this;
    setObjectName(QStringLiteral("Form_Transfer_FTP"));
    setWindowTitle(QStringLiteral("Zavrin"));
    setMinimumSize(760, 640);

    m_client = new FtpClient(this);
    m_client->setObjectName(QStringLiteral("IdFTP1"));
    connect(m_client, &FtpClient::workBegin, this, &TForm_Transfer_FTP::IdFTP1WorkBegin);
    connect(m_client, &FtpClient::work, this, &TForm_Transfer_FTP::IdFTP1Work);
    connect(m_client, &FtpClient::workEnd, this, &TForm_Transfer_FTP::IdFTP1WorkEnd);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
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
    m_edits[2] = addField(grid, "Label3", "Edit3", true);
    m_edits[3] = addField(grid, "Label4", "Edit4", true);
    m_edits[4] = addField(grid, "Label5", "Edit5", true, &m_label5);
    m_edits[5] = addField(grid, "Label6", "Edit6", true);
    m_edits[6] = addField(grid, "Label7", "Edit7", false);
    body->addWidget(fields);

    auto *listBox = new QGroupBox(this);
    listBox->setObjectName(QStringLiteral("GroupBox2"));
    auto *listLayout = new QVBoxLayout(listBox);
    m_list = new QTreeWidget(listBox);
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
    listLayout->addWidget(m_list);
    body->addWidget(listBox, 1);

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

    auto *statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    m_status = new QLabel(statusBar);
    m_status->setObjectName(QStringLiteral("StatusPanel0"));
    m_status->setTextFormat(Qt::PlainText);
    statusBar->addWidget(m_status, 1);
    layout->addWidget(statusBar);
}

TForm_Transfer_FTP::~TForm_Transfer_FTP()
{
    if (g_window == this)
        g_window = nullptr;
}

TForm_Transfer_FTP *TForm_Transfer_FTP::instance() { return g_window; }

QString TForm_Transfer_FTP::statusText() const { return m_status->text(); }

void TForm_Transfer_FTP::setStatusText(const QString &text) { m_status->setText(text); }

QString TForm_Transfer_FTP::helpPageName() const
{
    return m_send->isHidden() ? QStringLiteral("func03.5.2.html") : QStringLiteral("func03.4.2.html");
}

QString TForm_Transfer_FTP::ribbonCaption() const
{
    const auto *ribbon = findChild<Ribbon *>(QStringLiteral("Ribbon1"));
    return ribbon ? ribbon->caption() : QString();
}

void TForm_Transfer_FTP::prepare(const QString &file, int mode)
{
    TransferValues &v = transferValues();
    if (mode == TransferRules::Send) {
        m_send->setVisible(true);
        m_send->setEnabled(true);
        m_receive->setVisible(false);
        m_select->setVisible(false);
        m_label5->setText(T("Form_Transfer_FTP.Label5"));
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
        m_label5->setText(T("Form_Main.MSG02"));
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
    Msg::information(T("Shared.MSG05"));
}

void TForm_Transfer_FTP::BitBtn1Click()
{
    HandlerScope scope(this);
    if (Edit7()->text().trimmed().isEmpty()) {
        Msg::information(T("Form_Transfer_FTP.MSG12"));
        Edit7()->setFocus();
        return;
    }
    try {
        connectIfNeeded();
    } catch (const FtpAborted &) {
        if (!m_cancelPressed)
            throw;
        reportCancelled();
        return;
    }
    if (!m_client->connected()) {
        Msg::error(T("Form_Transfer_FTP.MSG11"));
        return;
    }

    app().CancelRequested = false;
    m_send->setEnabled(false);
    try {
        m_client->setTransferType(FtpClient::TransferType::Binary);
        try {
            m_client->put(Edit6()->text(), Edit7()->text());
            ChangeDir(m_client->pwd());
        } catch (const FtpAborted &) {
            if (!app().CancelRequested)
                throw;
        }
        if (app().CancelRequested) {
            reportCancelled();
        } else {
            setStatusText(T("Form_Transfer_FTP.MSG01") + Edit6()->text() + T("Form_Transfer_FTP.MSG02"));
            Msg::information(T("Form_Transfer_FTP.MSG07") + Edit6()->text() + T("Form_Transfer_FTP.MSG08")
                             + Edit5()->text() + Edit7()->text() + T("Form_Transfer_FTP.MSG09"));
        }
        setStatusText(QString());
        m_send->setEnabled(true);
        closeWindow();
    } catch (const Error &e) {
        // The message of the failure is fixed; the client's reason stays in the
        // status bar so that the operator can tell a full disk from a refused name.
        setStatusText(e.message());
        Msg::error(T("Form_Transfer_FTP.MSG10"));
    }
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

    app().CancelRequested = false;
    const QString local = Edit5()->text() + Edit7()->text();
    if (QFileInfo(local).isFile()
        && !Msg::question(T("Form_Transfer_FTP.MSG13") + local + T("Form_Transfer_FTP.MSG14"))) {
        Edit7()->setFocus();
        return;
    }
    try {
        connectIfNeeded();
    } catch (const FtpAborted &) {
        if (!m_cancelPressed)
            throw;
        reportCancelled();
        return;
    }
    if (!m_client->connected()) {
        Msg::error(T("Form_Transfer_FTP.MSG19"));
        return;
    }

    m_receive->setEnabled(false);
    m_select->setEnabled(false);
    try {
        m_client->setTransferType(FtpClient::TransferType::Binary);
        // The client writes into a temporary file beside `local` and puts it in
        // place only when the whole file arrived: a cancelled or broken download
        // leaves the program that was there untouched.
        try {
            m_client->get(Edit6()->text(), local);
        } catch (const FtpAborted &) {
            if (!app().CancelRequested)
                throw;
        }
        if (app().CancelRequested) {
            reportCancelled();
        } else {
            setStatusText(T("Form_Transfer_FTP.MSG03") + Edit6()->text() + T("Form_Transfer_FTP.MSG04"));
            Msg::information(T("Form_Transfer_FTP.MSG15") + Edit6()->text() + T("Form_Transfer_FTP.MSG16") + local
                             + T("Form_Transfer_FTP.MSG17"));
        }
        setStatusText(QString());
        m_receive->setEnabled(true);
        m_select->setEnabled(true);
        closeWindow();
    } catch (const Error &e) {
        setStatusText(e.message());
        Msg::error(T("Form_Transfer_FTP.MSG18"));
    }
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
