#include "SerialReceiveWindow.h"

#include "ProgramEnd.h"
#include "SerialWindowFrame.h"
#include "TransferJournal.h"
#include "journal/JournalWords.h"
#include "journal/ProgramHash.h"
#include "TransferErrors.h"
#include "app/AppState.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/serial/SerialPort.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
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

    m_frame = std::make_unique<SerialWindowFrame>(this, m_port, QStringLiteral("func03.5.3.html"));
    m_name = m_frame->addRow("Label13", "Edit8", &m_nameLabel);
    m_directory = m_frame->addPathRow("Label7", "Edit7");
    m_frame->addPortFields();

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
    m_frame->body()->addWidget(m_textGroup, 1);

    m_receive = m_frame->button(QStyle::SP_ArrowDown, "BitBtn2");
    m_save = m_frame->button(QStyle::SP_DialogSaveButton, "BitBtn4");
    m_cancel = m_frame->button(QStyle::SP_DialogCancelButton, "BitBtn3");
    m_frame->addButtons({m_receive, m_save, m_cancel});

    connect(m_receive, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn2Click(); }); });
    connect(m_save, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn4Click(); }); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn3Click(); }); });
    connect(m_timer, &QTimer::timeout, this, &TForm_Transfer_SERIAL232_R::Timer1Timer);
    connect(m_port, &SerialPort::received, this, &TForm_Transfer_SERIAL232_R::onReceived);
    // Handled once the port has left its own notification: the handler shows message boxes.
    connect(m_port, &SerialPort::failed, this, &TForm_Transfer_SERIAL232_R::onPortFailed, Qt::QueuedConnection);
    connect(m_port, &SerialPort::lineError, this, &TForm_Transfer_SERIAL232_R::onLineError, Qt::QueuedConnection);
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
    m_frame->applyCodes(SerialTables::PARAM_serial_Enviar_R, m_codes);
}

void TForm_Transfer_SERIAL232_R::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        clearReceivedText();
        PARAM_serial_Enviar_R();
        m_frame->setStatus(QString());
    }
    QDialog::showEvent(event);
}

void TForm_Transfer_SERIAL232_R::BitBtn2Click()
{
    recordUnsaved(); // a new reception discards the text of the last one
    m_listening = true;
    m_endedBySilence = false;
    m_endWarned = false;
    m_receiveError.clear();
    m_port->close();
    clearReceivedText();
    m_receive->setEnabled(false);
    m_save->setEnabled(false);
    m_timer->start();
    m_watch.reset();
    m_frame->openPort();
    m_frame->setStatus(T("Form_Transfer_SERIAL232_R.MSG01"));
}

void TForm_Transfer_SERIAL232_R::onReceived(const QByteArray &bytes)
{
    if (m_lineError)
        return; // what follows a damaged byte is not kept either
    showReceived(m_text.append(bytes));
    m_frame->setStatus(T("Form_Transfer_SERIAL232_R.MSG02") + QString::number(bytes.size()));
    m_memo->setFocus();
}

void TForm_Transfer_SERIAL232_R::showReceived(const QString &shown)
{
    if (shown.isEmpty())
        return;
    QTextCursor end = m_memo->textCursor();
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    m_memo->setTextCursor(end);
    m_memo->ensureCursorVisible();
}

void TForm_Transfer_SERIAL232_R::Timer1Timer()
{
    if (!m_watch.tick(m_text.length()))
        return;
    // The port stays open: characters that come later are still appended.
    m_timer->stop();
    m_endedBySilence = true;
    showReceived(m_text.flush());
    m_receive->setEnabled(true);
    m_save->setEnabled(true);
    m_frame->setStatus(T("Form_Transfer_SERIAL232_R.MSG03"));
}

void TForm_Transfer_SERIAL232_R::BitBtn4Click()
{
    if (!m_text.isEmpty() && !m_name->text().trimmed().isEmpty()) {
        // The name exactly as typed: blanks at its ends are part of it.
        const QString path = m_directory->text() + m_name->text();
        // Ended by silence without an end of program: it may have been cut off. Said once;
        // the save goes on as always.
        const bool cutOff = m_endedBySilence && !ProgramEnd::hasEndMark(m_text.bytes());
        if (cutOff && !m_endWarned) {
            m_endWarned = true;
            Msg::attention(Texts::extra("Extra.NoEndOfProgramWarning"));
        }
        const QFileInfo existing(path);
        if (existing.exists() && !existing.isDir()
            && !Msg::question(T("Shared.MSG06") + path + T("Shared.MSG07"))) {
            m_name->setFocus();
            return;
        }
        QString error;
        if (!SafeFile::write(path, m_text.fileBytes(), &error))
            throw Error(QStringLiteral("Unable to save the file \"%1\": %2").arg(path, error));
        if (m_listening) {
            m_listening = false;
            JournalEntry e = TransferJournal::entry(JournalEntry::Medium::Serial, JournalEntry::Direction::Receive, path,
                                                    TransferJournal::serialPortText(*m_port));
            QString reason;
            e.sha256 = ProgramHash::ofFile(path, &reason, &e.bytes);
            e.error = m_receiveError.isEmpty() ? reason : m_receiveError;
            if (cutOff)
                e.notice = QLatin1String(JournalWords::NoEndOfProgramKeyword);
            TransferJournal::record(e);
        }
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
    m_receiveError = TransferErrors::serialReason(m_port->failureKind(), m_port->deviceName(), m_port->failureMessage());
    Msg::error(T("Form_Transfer_SERIAL232_R.MSG09") + QLatin1Char('\n') + m_receiveError);
    if (m_text.isEmpty()) {
        closeWindow();
        return;
    }
    // What arrived before the failure may be the whole program: offer to keep it, as Cancel does.
    m_receive->setEnabled(true);
    m_save->setEnabled(true);
    guarded([this] { BitBtn3Click(); });
}

// The line's error: the message of a failing port, which names what happened, and the window
// closes without saving (the damage cannot be told from the text).
void TForm_Transfer_SERIAL232_R::onLineError(SerialLineMarks::Kind kind, qint64 position)
{
    if (!isVisible() || m_lineError)
        return;
    m_lineError = true;
    m_timer->stop();
    m_port->close();
    const QString what = Texts::extra(kind == SerialLineMarks::Kind::Break ? "Extra.SerialBreak" : "Extra.SerialParityError");
    m_frame->setStatus(what);
    m_receiveError = Texts::extra("Extra.SerialLineError").arg(what, QString::number(position + 1));
    Msg::error(T("Form_Transfer_SERIAL232_R.MSG09") + QLatin1Char('\n') + m_receiveError);
    closeWindow();
}

QString TForm_Transfer_SERIAL232_R::statusText() const { return m_frame->statusText(); }

void TForm_Transfer_SERIAL232_R::clearReceivedText()
{
    m_lineError = false;
    m_text.clear();
    m_memo->clear();
}

void TForm_Transfer_SERIAL232_R::recordUnsaved()
{
    if (!m_listening)
        return;
    m_listening = false;
    JournalEntry e = TransferJournal::entry(JournalEntry::Medium::Serial, JournalEntry::Direction::Receive, QString(),
                                            TransferJournal::serialPortText(*m_port));
    e.bytes = m_text.length();
    e.sha256 = m_text.isEmpty() ? QString() : ProgramHash::ofBytes(m_text.bytes());
    e.outcome = m_receiveError.isEmpty() ? JournalEntry::Outcome::Cancelled : JournalEntry::Outcome::Failed;
    e.error = m_receiveError;
    TransferJournal::record(e);
}

void TForm_Transfer_SERIAL232_R::closeWindow()
{
    recordUnsaved();
    m_timer->stop();
    m_port->close();
    QDialog::done(QDialog::Rejected);
}

QWidget *createForm_Transfer_SERIAL232_R() { return new TForm_Transfer_SERIAL232_R; }
