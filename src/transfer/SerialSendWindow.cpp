#include "SerialSendWindow.h"

#include "LineIndicatorPanel.h"
#include "SerialPortFields.h"
#include "SerialSend.h"
#include "TransferRules.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Shell.h"
#include "platform/serial/SerialPort.h"

#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *ribbon = new Ribbon(this);
    connect(ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func03.4.3.html")); });
    layout->addWidget(ribbon);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->setSpacing(8);
    layout->addLayout(body, 1);

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    m_originLabel = new QLabel(group);
    m_originLabel->setObjectName(QStringLiteral("Label7"));
    m_origin = new QLineEdit(group);
    m_origin->setObjectName(QStringLiteral("Edit7"));
    m_origin->setReadOnly(true);
    m_origin->setFocusPolicy(Qt::ClickFocus);
    m_origin->setMinimumWidth(440);
    grid->addWidget(m_originLabel, 0, 0);
    grid->addWidget(m_origin, 0, 1, 1, 3);
    m_fields = new SerialPortFields(group, grid, 1);
    m_lines = new LineIndicatorPanel(group);
    grid->addWidget(m_lines, 4, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    body->addWidget(group);

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
    body->addWidget(progressPanel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_send = new QPushButton(style()->standardIcon(QStyle::SP_ArrowRight), QString(), this);
    m_send->setObjectName(QStringLiteral("BitBtn1"));
    m_send->setAutoDefault(false);
    m_cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QString(), this);
    m_cancel->setObjectName(QStringLiteral("BitBtn3"));
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_send);
    buttons->addWidget(m_cancel);
    body->addLayout(buttons);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    layout->addWidget(m_status);

    connect(m_send, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn1Click(); }); });
    connect(m_cancel, &QPushButton::clicked, this, &TForm_Transfer_SERIAL232::BitBtn3Click);
    connect(m_port, &SerialPort::received, this, &TForm_Transfer_SERIAL232::onReceived);
    connect(m_port, &SerialPort::linesChanged, m_lines, &LineIndicatorPanel::setLines);
    connect(m_port, &SerialPort::failed, this, [this] {
        // A running send stops at the failure and reports it itself.
        if (!m_sending)
            QMetaObject::invokeMethod(this, &TForm_Transfer_SERIAL232::onPortFailed, Qt::QueuedConnection);
    });
    m_lines->setLines(m_port->lines());
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
    SerialSettings settings = m_port->settings();
    SerialTables::PARAM_serial_Enviar(m_codes, settings, m_fieldTexts);
    m_port->setSettings(settings);
    m_fields->show(m_fieldTexts);
}

void TForm_Transfer_SERIAL232::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        PARAM_serial_Enviar();
        setStatus(QString());
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
    m_port->open();
    setStatus(T("Form_Transfer_SERIAL232.MSG01") + file + QLatin1Char('"'));
    m_status->repaint();

    QByteArray bytes;
    try {
        bytes = readProgramFile(file);
    } catch (const Error &) {
        m_port->close();
        setStatus(QString());
        throw;
    }
    SerialSendStream stream(std::move(bytes));
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
        setStatus(e.message());
        showProgress(0);
        Msg::error(Texts::extra("Extra.SerialSendFailed").arg(e.message()));
        closeWindow();
        return;
    }
    m_sending = false;
    m_port->close();

    if (outcome == SerialSend::Outcome::Cancelled) {
        setStatus(T("Form_Transfer_SERIAL232.MSG02"));
        Msg::information(T("Shared.MSG05"));
        showProgress(0);
        closeWindow();
        return;
    }
    setStatus(T("Form_Transfer_SERIAL232.MSG03") + file + T("Form_Transfer_SERIAL232.MSG04"));
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

QString TForm_Transfer_SERIAL232::statusText() const { return m_status->currentMessage(); }

void TForm_Transfer_SERIAL232::onReceived(const QByteArray &bytes)
{
    setStatus(T("Form_Transfer_SERIAL232.MSG05") + QString::number(bytes.size()));
}

void TForm_Transfer_SERIAL232::onPortFailed()
{
    if (!isVisible())
        return;
    Msg::error(T("Form_Transfer_SERIAL232.MSG08"));
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

void TForm_Transfer_SERIAL232::setStatus(const QString &text)
{
    if (text.isEmpty())
        m_status->clearMessage();
    else
        m_status->showMessage(text);
}

void TForm_Transfer_SERIAL232::closeWindow()
{
    m_port->close();
    QDialog::done(QDialog::Rejected);
}

QWidget *createForm_Transfer_SERIAL232() { return new TForm_Transfer_SERIAL232; }
