#pragma once

#include "platform/serial/SerialLineMarks.h"
#include "transfer/ReceivedText.h"
#include "transfer/ReceptionWatch.h"
#include "transfer/SerialTables.h"

#include <QDialog>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class SerialPort;
class SerialWindowFrame;

// The serial receive window: listens on the machine's RS-232 line, shows the program as it
// arrives, notices the end of the transmission after a second of silence, and saves the
// program into the local directory.
class TForm_Transfer_SERIAL232_R : public QDialog
{
    Q_OBJECT

public:
    static constexpr int EndOfTransmissionInterval = ReceptionWatch::TickInterval; // ms, Timer1

    explicit TForm_Transfer_SERIAL232_R(QWidget *parent = nullptr);
    ~TForm_Transfer_SERIAL232_R() override;

    // What the transfer dispatch does before showing the window to receive: the receive and
    // save buttons visible and enabled, the received-text group, box, destination name and its
    // label visible, the received text cleared, the local directory (ending in a separator),
    // an empty destination name, and the machine's serial codes, which the window applies
    // each time it is shown.
    void prepareReceive(const QString &localDirectory, const SerialTables::SerialCodes &codes);

    // Applies the serial codes of the latest preparation to the port and the port fields.
    void PARAM_serial_Enviar_R();

    void BitBtn2Click(); // start receiving; throws Error when the port cannot be opened
    void BitBtn4Click(); // save; throws Error when the file cannot be written
    void BitBtn3Click(); // cancel, offering to save received text
    void Timer1Timer();  // end-of-transmission check

    SerialPort *ComPort1() const { return m_port; }
    QTimer *Timer1() const { return m_timer; }
    const ReceivedText &receivedText() const { return m_text; }
    const ReceptionWatch &receptionWatch() const { return m_watch; }
    QString statusText() const;

protected:
    void showEvent(QShowEvent *event) override;
    // Escape and the close box act as Cancel: received text is never dropped without asking.
    void reject() override;

private:
    void onReceived(const QByteArray &bytes);
    void onPortFailed();
    // A damaged byte or a break on the line: the program received is not to be trusted.
    void onLineError(SerialLineMarks::Kind kind, qint64 position);
    void showReceived(const QString &shown);
    void clearReceivedText();
    void closeWindow();
    // The journal entry of a reception that ends without a save (discarded, failed).
    void recordUnsaved();

    SerialTables::SerialCodes m_codes;
    ReceivedText m_text;
    ReceptionWatch m_watch;
    SerialPort *m_port;
    bool m_lineError = false; // this reception met a line error
    // The reception as the transfer journal sees it.
    bool m_listening = false;      // started and not yet recorded
    bool m_endedBySilence = false; // the timer declared its end
    bool m_endWarned = false;      // the missing end of program was shown
    QString m_receiveError;        // why it failed, if it did
    QTimer *m_timer;
    std::unique_ptr<SerialWindowFrame> m_frame;
    QLabel *m_nameLabel;
    QLineEdit *m_name;
    QLineEdit *m_directory;
    QGroupBox *m_textGroup;
    QPlainTextEdit *m_memo;
    QPushButton *m_receive;
    QPushButton *m_save;
    QPushButton *m_cancel;
};

QWidget *createForm_Transfer_SERIAL232_R();
