#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class ShellListView;

// The directory transfer window: copies a program into the machine's transfer
// folder (send) or a file or folder picked from that folder into the machine's
// program directory (receive). Either way the copy goes from Edit4 into the
// directory of Edit3 under the name of Edit5.
class TForm_Transfer_DIR : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_Transfer_DIR(QWidget *parent = nullptr);
    ~TForm_Transfer_DIR() override;

    static TForm_Transfer_DIR *instance();

    // Fills the fields and shows the buttons of mode 1 (send `file`) or 2 (receive)
    // from the selected machine and the loaded directory; sets DirReceiveMode.
    void prepare(const QString &file, int mode);
    // Points the list at the machine's transfer folder.
    void setListRoot(const QString &folder);

    void BitBtn1Click(); // send
    void BitBtn2Click(); // receive
    void BitBtn3Click(); // cancel
    void BitBtn4Click(); // select file
    // After the list's own action of a double click.
    void ShellListView1DblClick() { BitBtn4Click(); }

    QString helpPageName() const;
    QString ribbonCaption() const;

    QLineEdit *Edit1() const { return m_edits[0]; }
    QLineEdit *Edit2() const { return m_edits[1]; }
    QLineEdit *Edit3() const { return m_edits[2]; }
    QLineEdit *Edit4() const { return m_edits[3]; }
    QLineEdit *Edit5() const { return m_edits[4]; }
    QLabel *Label3() const { return m_label3; }
    ShellListView *ShellListView1() const { return m_list; }
    QPushButton *BitBtn1() const { return m_send; }
    QPushButton *BitBtn2() const { return m_receive; }
    QPushButton *BitBtn3() const { return m_cancel; }
    QPushButton *BitBtn4() const { return m_select; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    bool copy(const QString &target);

    QLineEdit *m_edits[5] = {};
    QLabel *m_label3 = nullptr;
    ShellListView *m_list = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_receive = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_select = nullptr;
    bool m_copying = false;
};

QWidget *createForm_Transfer_DIR();
