#pragma once

#include "platform/ftp/FtpClient.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTreeWidget;

// The FTP transfer window: sends a program into the machine's FTP directory or
// receives one picked from its listing into the machine's program directory.
//
// The window's client IdFTP1 lives for the whole run and keeps its connection
// between showings. Transfers run inside the client's blocking calls, which keep
// the event loop running, so Cancel works while data flows: it aborts the transfer
// and the window closes as soon as the running handler has finished.
class TForm_Transfer_FTP : public QDialog
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

    void BitBtn1Click(); // send
    void BitBtn2Click(); // receive
    void BitBtn3Click() { reject(); } // cancel
    void BitBtn4Click(); // select file
    void ListView1DblClick() { BitBtn4Click(); }

    // The status bar's one panel.
    QString statusText() const;
    QString helpPageName() const;
    QString ribbonCaption() const;

    QLineEdit *Edit1() const { return m_edits[0]; }
    QLineEdit *Edit2() const { return m_edits[1]; }
    QLineEdit *Edit3() const { return m_edits[2]; }
    QLineEdit *Edit4() const { return m_edits[3]; }
    QLineEdit *Edit5() const { return m_edits[4]; }
    QLineEdit *Edit6() const { return m_edits[5]; }
    QLineEdit *Edit7() const { return m_edits[6]; }
    QLabel *Label5() const { return m_label5; }
    QLabel *Label8() const { return m_label8; }
    QTreeWidget *ListView1() const { return m_list; }
    QProgressBar *ProgressBar1() const { return m_bar; }
    QPushButton *BitBtn1() const { return m_send; }
    QPushButton *BitBtn2() const { return m_receive; }
    QPushButton *BitBtn3() const { return m_cancel; }
    QPushButton *BitBtn4() const { return m_select; }

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
    void reportCancelled();
    void setStatusText(const QString &text);
    void showProgress(qint64 position);
    void closeWindow();

    FtpClient *m_client;
    QLineEdit *m_edits[7] = {};
    QLabel *m_label5 = nullptr;
    QLabel *m_label8 = nullptr;
    QLabel *m_status = nullptr;
    QTreeWidget *m_list = nullptr;
    QProgressBar *m_bar = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_receive = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_select = nullptr;

    // Progress in bytes; the bar itself counts in units that fit an int.
    qint64 m_maximum = 100;
    qint64 m_position = 0;
    int m_unitShift = 0;

    int m_handlers = 0;           // send or receive handlers running
    bool m_cancelPressed = false; // Cancel pressed while a handler ran
    bool m_closePending = false;
};

QWidget *createForm_Transfer_FTP();
