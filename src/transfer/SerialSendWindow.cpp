#include "SerialSendWindow.h"

#include "SerialSend.h"
#include "SerialWindowFrame.h"
#include "TransferErrors.h"
#include "TransferJournal.h"
#include "TransferRules.h"
#include "app/AppState.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/serial/SerialPort.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QVBoxLayout>

#include <climits>
#include <cmath>

namespace {

QByteArray readProgramFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Unable to open the file \"%1\": %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Unable to read the file \"%1\": %2").arg(path, file.errorString()));
    return bytes;
}

} // namespace

TForm_Transfer_SERIAL232::TForm_Transfer_SERIAL232(QWidget *parent)
    : QDialog(parent), m_port(new SerialPort(SerialSettings::sendWindowDesign(), this))
{
    setObjectName(QStringLiteral("Form_Transfer_SERIAL232"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_port->setObjectName(QStringLiteral("ComPort1"));

    m_frame = std::make_unique<SerialWindowFrame>(this, m_port, QStringLiteral("func03.4.3.html"));
    m_origin = m_frame->addPathRow("Label7", "Edit7", &m_originLabel);
    m_frame->addPortFields();

    auto *progressPanel = new QFrame(this);
    progressPanel->setObjectName(QStringLiteral("Panel2"));
    progressPanel->setFrameShape(QFrame::StyledPanel);
    auto *progressRow = new QHBoxLayout(progressPanel);
    progressRow->setContentsMargins(8, 4, 8, 4);
    m_progress = new QProgressBar(progressPanel);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_percent = new QLabel(progressPanel);
    m_percent->setObjectName(QStringLiteral("Label14"));
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("100% ")));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(m_percent);
    m_progressPanel = progressPanel;
    m_frame->body()->addWidget(progressPanel);

    m_send = m_frame->button(QStyle::SP_ArrowRight, "BitBtn1");
    m_cancel = m_frame->button(QStyle::SP_DialogCancelButton, "BitBtn3");
    m_frame->addButtons({m_send, m_cancel});

    connect(m_send, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(m_cancel, &QPushButton::clicked, this, &TForm_Transfer_SERIAL232::BitBtn3Click);
    connect(m_port, &SerialPort::received, this, &TForm_Transfer_SERIAL232::onReceived);
    connect(m_port, &SerialPort::failed, this, [this] {
        // A running send stops at the failure and reports it itself.
        if (!m_sending)
            QMetaObject::invokeMethod(this, &TForm_Transfer_SERIAL232::onPortFailed, Qt::QueuedConnection);
    });
}

TForm_Transfer_SERIAL232::~TForm_Transfer_SERIAL232() = default;

void TForm_Transfer_SERIAL232::prepareSend(const QString &file, const SerialTables::SerialCodes &codes)
{
    m_send->setVisible(true);
    m_send->setEnabled(true);
    m_progressPanel->setVisible(true);
    m_originLabel->setText(T("Form_Transfer_SERIAL232.Label7"));
    m_origin->setText(file);
    m_codes = codes;
}

void TForm_Transfer_SERIAL232::PARAM_serial_Enviar()
{
    m_frame->applyCodes(SerialTables::PARAM_serial_Enviar, m_codes);
}

void TForm_Transfer_SERIAL232::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        PARAM_serial_Enviar();
        m_frame->setStatus(QString());
    }
    QDialog::showEvent(event);
}

void TForm_Transfer_SERIAL232::BitBtn1Click()
{
    m_send->setEnabled(false);
    SERIAL_ENVIA(m_origin->text());
}

void TForm_Transfer_SERIAL232::SERIAL_ENVIA(const QString &file)
{
    app().CancelRequested = false;
    using JournalOutcome = JournalEntry::Outcome;
    const auto journal = [&](const QByteArray &program, qint64 taken, JournalOutcome outcome, const QString &error) {
        TransferJournal::recordSerialSend(file, TransferJournal::serialPortText(*m_port), program, taken, outcome, error);
    };
    try {
        m_frame->openPort();
    } catch (const Error &e) {
        journal({}, 0, JournalOutcome::Failed, e.message());
        throw;
    }
    m_frame->setStatus(T("Form_Transfer_SERIAL232.MSG01") + file + QLatin1Char('"'));
    m_frame->statusBar()->repaint();

    QByteArray bytes;
    try {
        bytes = readProgramFile(file);
    } catch (const Error &e) {
        m_port->close();
        m_frame->setStatus(QString());
        journal({}, 0, JournalOutcome::Failed, e.message());
        throw;
    }
    SerialSendStream stream(bytes);
    m_maximum = stream.size();
    m_progressShift = 0;
    while ((m_maximum >> m_progressShift) > INT_MAX)
        ++m_progressShift;
    m_progress->setRange(0, int(m_maximum >> m_progressShift));
    m_progress->setValue(0);
    m_shownPercent = -1;

    SerialSend::Outcome outcome;
    m_sending = true;
    try {
        outcome = SerialSend::run(*m_port, stream, app().CancelRequested,
                                  [this](qint64 position) { showProgress(position); });
    } catch (const Error &e) {
        // The port failed: what went out so far is all the machine got, so say so and nothing else.
        m_sending = false;
        m_port->close();
        m_frame->setStatus(e.message());
        showProgress(0);
        const QString reason = m_port->failureMessage().isEmpty()
                                   ? e.message()
                                   : TransferErrors::serialReason(m_port->failureKind(), m_port->deviceName(), e.message());
        journal(bytes, stream.position(), JournalOutcome::Failed, reason);
        Msg::error(Texts::extra("Extra.SerialSendFailed").arg(reason));
        closeWindow();
        return;
    }
    m_sending = false;
    m_port->close();

    journal(bytes, stream.position(), outcome == SerialSend::Outcome::Cancelled ? JournalOutcome::Cancelled
                                                                                : JournalOutcome::Done, QString());
    if (outcome == SerialSend::Outcome::Cancelled) {
        m_frame->setStatus(T("Form_Transfer_SERIAL232.MSG02"));
        Msg::information(T("Shared.MSG05"));
        showProgress(0);
        closeWindow();
        return;
    }
    m_frame->setStatus(T("Form_Transfer_SERIAL232.MSG03") + file + T("Form_Transfer_SERIAL232.MSG04"));
    m_send->setEnabled(true);
    Msg::information(T("Form_Transfer_SERIAL232.MSG06") + file + T("Form_Transfer_SERIAL232.MSG07"));
    showProgress(0);
    closeWindow();
}

void TForm_Transfer_SERIAL232::BitBtn3Click()
{
    app().CancelRequested = true;
    // A running send notices the request after its current byte, reports it and closes.
    if (!m_sending)
        closeWindow();
}

void TForm_Transfer_SERIAL232::reject() { BitBtn3Click(); }

QString TForm_Transfer_SERIAL232::statusText() const { return m_frame->statusText(); }

void TForm_Transfer_SERIAL232::onReceived(const QByteArray &bytes)
{
    m_frame->setStatus(T("Form_Transfer_SERIAL232.MSG05") + QString::number(bytes.size()));
}

void TForm_Transfer_SERIAL232::onPortFailed()
{
    if (!isVisible())
        return;
    Msg::error(T("Form_Transfer_SERIAL232.MSG08") + QLatin1Char('\n')
               + TransferErrors::serialReason(m_port->failureKind(), m_port->deviceName(), m_port->failureMessage()));
    closeWindow();
}

void TForm_Transfer_SERIAL232::showProgress(qint64 position)
{
    m_progress->setValue(int(position >> m_progressShift));
    // The text changes once per percent; building it for every byte would double the window's cost.
    const qint64 percent = m_maximum > 0 ? std::llround(double(position) * 100.0 / double(m_maximum)) : 0;
    if (percent != m_shownPercent) {
        m_shownPercent = percent;
        m_percent->setText(TransferRules::percentText(position, m_maximum));
    }
}

void TForm_Transfer_SERIAL232::closeWindow()
{
    m_port->close();
    QDialog::done(QDialog::Rejected);
}

QWidget *createForm_Transfer_SERIAL232() { return new TForm_Transfer_SERIAL232; }
