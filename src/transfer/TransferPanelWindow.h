#pragma once

#include <QDialog>
#include <QVector>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// What the directory and the FTP transfer windows share: the ribbon strip, the fields
// of GroupBox1 (Label1/Edit1 on, read-only but the last, the destination name), the
// list of the machine's side in GroupBox2, and the buttons Send, Receive, Cancel and
// Select file (BitBtn1 to BitBtn4), of which the window's mode shows some.
class TransferPanelWindow : public QDialog
{
    Q_OBJECT

public:
    virtual void BitBtn1Click() = 0; // send
    virtual void BitBtn2Click() = 0; // receive
    void BitBtn3Click() { reject(); } // cancel
    virtual void BitBtn4Click() = 0; // select file

    // The page of the mode shown: receiving when Send is hidden.
    QString helpPageName() const;
    QString ribbonCaption() const;

    QLineEdit *Edit1() const { return m_edits[0]; }
    QLineEdit *Edit2() const { return m_edits[1]; }
    QLineEdit *Edit3() const { return m_edits[2]; }
    QLineEdit *Edit4() const { return m_edits[3]; }
    QLineEdit *Edit5() const { return m_edits[4]; }
    QPushButton *BitBtn1() const { return m_send; }
    QPushButton *BitBtn2() const { return m_receive; }
    QPushButton *BitBtn3() const { return m_cancel; }
    QPushButton *BitBtn4() const { return m_select; }

protected:
    TransferPanelWindow(const QString &sendHelpPage, const QString &receiveHelpPage, QWidget *parent);

    // Lays the window out down to the list, creating the controls in their focus order:
    // the ribbon strip, then in the body GroupBox1 with `fieldCount` fields and GroupBox2
    // with the list that `makeList` creates in the box it is given. Returns the body.
    QVBoxLayout *addPanels(int fieldCount, int bottomMargin, const std::function<QWidget *(QWidget *box)> &makeList);
    // The button row at the end of the body: Select file at the left, then Send, Receive
    // and Cancel at the right.
    void addButtons(QVBoxLayout *body);
    // A sent program's copy does not match it: the error box naming the file and both
    // sizes (-1: unknown), and a red entry in the messages panel.
    static void reportVerificationFailed(const QString &program, qint64 programBytes, qint64 copyBytes);

    QVector<QLineEdit *> m_edits;
    QVector<QLabel *> m_labels;
    QPushButton *m_send = nullptr;
    QPushButton *m_receive = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_select = nullptr;

private:
    QString m_sendHelpPage;
    QString m_receiveHelpPage;
};
