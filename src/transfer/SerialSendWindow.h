#pragma once

#include "transfer/SerialTables.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class SerialPort;
class SerialWindowFrame;

// The serial send window: sends one program file over the machine's RS-232 line, byte by
// byte, with the line indicators and the progress in view.
class TForm_Transfer_SERIAL232 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_Transfer_SERIAL232(QWidget *parent = nullptr);
    ~TForm_Transfer_SERIAL232() override;

    // What the transfer dispatch does before showing the window to send file: the send
    // button and the progress panel visible and enabled, the origin label's text, the origin
    // field, and the machine's serial codes, which the window applies each time it is shown.
    void prepareSend(const QString &file, const SerialTables::SerialCodes &codes);

    // Applies the serial codes of the latest preparation to the port and the port fields.
    void PARAM_serial_Enviar();
    // Sends one file. Throws Error when the port cannot be opened or the file cannot be read;
    // a port failure during the send is reported here and closes the window.
    void SERIAL_ENVIA(const QString &file);

    void BitBtn1Click(); // send the file of Edit7
    void BitBtn3Click(); // cancel: stops a send after its current byte, else closes

    SerialPort *ComPort1() const { return m_port; }
    bool isSending() const { return m_sending; }
    QString statusText() const;

protected:
    void showEvent(QShowEvent *event) override;
    // Escape and the close box act as Cancel, so that a send is never cut in the middle of a byte.
    void reject() override;

private:
    void onReceived(const QByteArray &bytes);
    void onPortFailed();
    void showProgress(qint64 position);
    void closeWindow();

    SerialTables::SerialCodes m_codes;
    SerialPort *m_port;
    std::unique_ptr<SerialWindowFrame> m_frame;
    QLabel *m_originLabel;
    QLineEdit *m_origin;
    QWidget *m_progressPanel;
    QProgressBar *m_progress;
    QLabel *m_percent;
    QPushButton *m_send;
    QPushButton *m_cancel;
    qint64 m_maximum = 0;
    qint64 m_shownPercent = -1;
    int m_progressShift = 0; // a file beyond the bar's int range is shown in coarser steps
    bool m_sending = false;
};

QWidget *createForm_Transfer_SERIAL232();
