#pragma once

#include "FtpSend.h"
#include "journal/JournalEntry.h"
#include "TransferPanelWindow.h"
#include "platform/ftp/FtpClient.h"

#include <functional>
#include <initializer_list>

class QProgressBar;
class QTreeWidget;

// The FTP transfer window: sends a program into the machine's FTP directory or
// receives one picked from its listing into the machine's program directory.
//
// The window's client IdFTP1 lives for the whole run and keeps its connection
// between showings. Transfers run inside the client's blocking calls, which keep
// the event loop running, so Cancel works while data flows: it aborts the transfer
// and the window closes as soon as the running handler has finished.
class TForm_Transfer_FTP : public TransferPanelWindow
{
    Q_OBJECT

public:
    explicit TForm_Transfer_FTP(QWidget *parent = nullptr);
    ~TForm_Transfer_FTP() override;

    // The one window of the run (nullptr before it exists).
    static TForm_Transfer_FTP *instance();

    FtpClient *IdFTP1() const { return m_client; }

    // Fills the fields and shows the buttons of mode 1 (send `file`) or 2 (receive)
    // from the selected machine and the loaded FTP values; sets FtpReceiveMode.
    void prepare(const QString &file, int mode);

    // Connects (logging in), changes to `directory` and lists it; when the client
    // is connected already it disconnects instead. Errors are thrown to the caller.
    void FUNC_Conectar_FTP(const QString &user, const QString &password, const QString &host,
                           const QString &directory, const QString &port);
    // Makes `directory` current and lists its plain files.
    void ChangeDir(const QString &directory);

    void BitBtn1Click() override; // send
    void BitBtn2Click() override; // receive
    void BitBtn4Click() override; // select file
    void ListView1DblClick() { BitBtn4Click(); }

    // The status bar's one panel.
    QString statusText() const;

    QLineEdit *Edit6() const { return m_edits[5]; }
    QLineEdit *Edit7() const { return m_edits[6]; }
    QLabel *Label5() const { return m_labels[4]; }
    QLabel *Label8() const { return m_label8; }
    QTreeWidget *ListView1() const { return m_list; }
    QProgressBar *ProgressBar1() const { return m_bar; }

protected:
    void showEvent(QShowEvent *event) override;
    // Escape, the close box and Cancel: while a transfer runs, it is aborted and the
    // window closes once the running handler has finished.
    void reject() override;

private:
    class HandlerScope;
    void IdFTP1WorkBegin(FtpClient::WorkMode mode, qint64 total);
    void IdFTP1Work(FtpClient::WorkMode mode, qint64 done);
    void IdFTP1WorkEnd(FtpClient::WorkMode mode);
    void connectIfNeeded();
    // The machine's FTP server as messages name it ("host:port").
    QString ftpPlace() const;
    // Connects for a send or a receive when the connection is gone; false when that was
    // cancelled (and said so) or left the client unconnected (the message `notConnectedKey`).
    bool connectForTransfer(const char *notConnectedKey);
    // Runs one send or receive with `buttons` disabled: a cancelled one is said so, a whole
    // one by `reportDone`, and the window closes. A failure keeps the window open with the
    // client's reason in the status bar and the message `failedKey`.
    // `journal` is completed with the outcome and recorded as the transfer ends.
    void transfer(std::initializer_list<QPushButton *> buttons, JournalEntry &journal, const std::function<void()> &run,
                  const std::function<void()> &reportDone, const char *failedKey);
    void reportCancelled();
    // The message box of a cancel or a failure, told what became of a partial upload.
    void reportStopped(void (*show)(const QString &), const QString &text);
    void setStatusText(const QString &text);
    void showProgress(qint64 position);
    void closeWindow();

    FtpClient *m_client;
    QLabel *m_label8 = nullptr;
    QLabel *m_status = nullptr;
    QTreeWidget *m_list = nullptr;
    QProgressBar *m_bar = nullptr;

    // Progress in bytes; the bar itself counts in units that fit an int.
    qint64 m_maximum = 100;
    qint64 m_position = 0;
    int m_unitShift = 0;

    int m_handlers = 0;           // send or receive handlers running
    bool m_cancelPressed = false; // Cancel pressed while a handler ran
    bool m_closePending = false;
    FtpSend::Cleanup m_cleanup; // of the running or last send
};

QWidget *createForm_Transfer_FTP();
