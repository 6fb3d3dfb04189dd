#include "SerialReceiveWindow.h"

#include "LineIndicatorPanel.h"
#include "SerialPortFields.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/Shell.h"
#include "platform/serial/SerialPort.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

TForm_Transfer_SERIAL232_R::TForm_Transfer_SERIAL232_R(QWidget *parent)
    : QDialog(parent), m_port(new SerialPort(SerialSettings::receiveWindowDesign(), this)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("Form_Transfer_SERIAL232_R"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_port->setObjectName(QStringLiteral("ComPort1"));
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(EndOfTransmissionInterval);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *ribbon = new Ribbon(this);
    connect(ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func03.5.3.html")); });
    layout->addWidget(ribbon);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->setSpacing(8);
    layout->addLayout(body, 1);

    auto *group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    m_nameLabel = new QLabel(group);
    m_nameLabel->setObjectName(QStringLiteral("Label13"));
    m_name = new QLineEdit(group);
    m_name->setObjectName(QStringLiteral("Edit8"));
    m_nameLabel->setBuddy(m_name);
    auto *directoryLabel = new QLabel(group);
    directoryLabel->setObjectName(QStringLiteral("Label7"));
    m_directory = new QLineEdit(group);
    m_directory->setObjectName(QStringLiteral("Edit7"));
    m_directory->setReadOnly(true);
    m_directory->setFocusPolicy(Qt::ClickFocus);
    m_directory->setMinimumWidth(440);
    grid->addWidget(m_nameLabel, 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 3);
    grid->addWidget(directoryLabel, 1, 0);
    grid->addWidget(m_directory, 1, 1, 1, 3);
    m_fields = new SerialPortFields(group, grid, 2);
    m_lines = new LineIndicatorPanel(group);
    grid->addWidget(m_lines, 5, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    body->addWidget(group);

    m_textGroup = new QGroupBox(this);
    m_textGroup->setObjectName(QStringLiteral("GroupBox2"));
    auto *textLayout = new QVBoxLayout(m_textGroup);
    m_memo = new QPlainTextEdit(m_textGroup);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    // The box only ever grows at its end; an undo history of it would just hold memory.
    m_memo->setUndoRedoEnabled(false);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_memo->setMinimumHeight(200);
    textLayout->addWidget(m_memo);
    body->addWidget(m_textGroup, 1);

    auto *buttons = new QHBoxLayout;
    m_receive = new QPushButton(style()->standardIcon(QStyle::SP_ArrowDown), QString(), this);
    m_receive->setObjectName(QStringLiteral("BitBtn2"));
    m_save = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    m_save->setObjectName(QStringLiteral("BitBtn4"));
    m_cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QString(), this);
    m_cancel->setObjectName(QStringLiteral("BitBtn3"));
    for (QPushButton *b : {m_receive, m_save, m_cancel})
        b->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(m_receive);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    body->addLayout(buttons);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    layout->addWidget(m_status);

    connect(m_receive, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });
    connect(m_save, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn4Click(); }); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn3Click(); }); });
    connect(m_timer, &QTimer::timeout, this, &TForm_Transfer_SERIAL232_R::Timer1Timer);
    connect(m_port, &SerialPort::received, this, &TForm_Transfer_SERIAL232_R::onReceived);
    connect(m_port, &SerialPort::linesChanged, m_lines, &LineIndicatorPanel::setLines);
    // Handled once the port has left its own notification: the handler shows message boxes.
    connect(m_port, &SerialPort::failed, this, &TForm_Transfer_SERIAL232_R::onPortFailed, Qt::QueuedConnection);
    m_lines->setLines(m_port->lines());
    resize(660, 620);
}

TForm_Transfer_SERIAL232_R::~TForm_Transfer_SERIAL232_R() = default;

void TForm_Transfer_SERIAL232_R::prepareReceive(const QString &localDirectory, const SerialTables::SerialCodes &codes)
{
    for (QWidget *w : {static_cast<QWidget *>(m_receive), static_cast<QWidget *>(m_save)}) {
        w->setVisible(true);
        w->setEnabled(true);
    }
    for (QWidget *w : {static_cast<QWidget *>(m_textGroup), static_cast<QWidget *>(m_memo),
                       static_cast<QWidget *>(m_name), static_cast<QWidget *>(m_nameLabel)})
        w->setVisible(true);
    clearReceivedText();
    m_directory->setText(localDirectory);
    m_name->clear();
    m_codes = codes;
}

void TForm_Transfer_SERIAL232_R::PARAM_serial_Enviar_R()
{
    SerialSettings settings = m_port->settings();
    SerialTables::PARAM_serial_Enviar_R(m_codes, settings, m_fieldTexts);
    m_port->setSettings(settings);
    m_fields->show(m_fieldTexts);
}

void TForm_Transfer_SERIAL232_R::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        clearReceivedText();
        PARAM_serial_Enviar_R();
        setStatus(QString());
    }
    QDialog::showEvent(event);
}

void TForm_Transfer_SERIAL232_R::BitBtn2Click()
{
    m_port->close();
    clearReceivedText();
    m_receive->setEnabled(false);
    m_save->setEnabled(false);
    m_timer->start();
    m_watch.reset();
    m_port->open();
    setStatus(T("Form_Transfer_SERIAL232_R.MSG01"));
}

void TForm_Transfer_SERIAL232_R::onReceived(const QByteArray &bytes)
{
    const QString shown = m_text.append(bytes);
    QTextCursor end = m_memo->textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    m_memo->setTextCursor(end);
    m_memo->ensureCursorVisible();
    setStatus(T("Form_Transfer_SERIAL232_R.MSG02") + QString::number(bytes.size()));
    m_memo->setFocus();
}

void TForm_Transfer_SERIAL232_R::Timer1Timer()
{
    if (!m_watch.tick(m_text.length()))
        return;
    // The port stays open: characters that come later are still appended.
    m_timer->stop();
    m_receive->setEnabled(true);
    m_save->setEnabled(true);
    setStatus(T("Form_Transfer_SERIAL232_R.MSG03"));
}

void TForm_Transfer_SERIAL232_R::BitBtn4Click()
{
    if (!m_text.isEmpty() && !m_name->text().trimmed().isEmpty()) {
        // The name exactly as typed: blanks at its ends are part of it.
        const QString path = m_directory->text() + m_name->text();
        const QFileInfo existing(path);
        if (existing.exists() && !existing.isDir()
            && !Msg::question(T("Shared.MSG06") + path + T("Shared.MSG07"))) {
            m_name->setFocus();
            return;
        }
        QString error;
        if (!SafeFile::write(path, m_text.fileBytes(), &error))
            throw Error(QStringLiteral("Unable to save the file \"%1\": %2").arg(path, error));
        Msg::information(T("Form_Transfer_SERIAL232_R.MSG05") + path + T("Form_Transfer_SERIAL232_R.MSG06"));
        closeWindow();
    } else if (!m_text.isEmpty()) {
        Msg::error(T("Form_Transfer_SERIAL232_R.MSG08"));
        m_name->setFocus();
    } else {
        Msg::error(T("Form_Transfer_SERIAL232_R.MSG07"));
    }
}

void TForm_Transfer_SERIAL232_R::BitBtn3Click()
{
    if (m_text.isEmpty()) {
        closeWindow();
        return;
    }
    if (Msg::question(T("Form_Transfer_SERIAL232_R.MSG04")))
        BitBtn4Click(); // closes after a save; stays open when the save stops with a message
    else
        closeWindow();
}

void TForm_Transfer_SERIAL232_R::reject()
{
    guarded([this] { BitBtn3Click(); });
}

void TForm_Transfer_SERIAL232_R::onPortFailed()
{
    if (!isVisible())
        return;
    m_timer->stop();
    Msg::error(T("Form_Transfer_SERIAL232_R.MSG09"));
    if (m_text.isEmpty()) {
        closeWindow();
        return;
    }
    // What arrived before the failure may be the whole program: offer to keep it, as Cancel does.
    m_receive->setEnabled(true);
    m_save->setEnabled(true);
    guarded([this] { BitBtn3Click(); });
}

QString TForm_Transfer_SERIAL232_R::statusText() const { return m_status->currentMessage(); }

void TForm_Transfer_SERIAL232_R::clearReceivedText()
{
    m_text.clear();
    m_memo->clear();
}

void TForm_Transfer_SERIAL232_R::setStatus(const QString &text)
{
    if (text.isEmpty())
        m_status->clearMessage();
    else
        m_status->showMessage(text);
}

void TForm_Transfer_SERIAL232_R::closeWindow()
{
    m_timer->stop();
    m_port->close();
    QDialog::done(QDialog::Rejected);
}

QWidget *createForm_Transfer_SERIAL232_R() { return new TForm_Transfer_SERIAL232_R; }
