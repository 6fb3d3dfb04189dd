#pragma once

#include "TransferPanelWindow.h"

class ShellListView;

// The directory transfer window: copies a program into the machine's transfer
// folder (send) or a file or folder picked from that folder into the machine's
// program directory (receive). Either way the copy goes from Edit4 into the
// directory of Edit3 under the name of Edit5.
class TForm_Transfer_DIR : public TransferPanelWindow
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

    void BitBtn1Click() override; // send
    void BitBtn2Click() override; // receive
    void BitBtn4Click() override; // select file
    // After the list's own action of a double click.
    void ShellListView1DblClick() { BitBtn4Click(); }

    // Called with the target between a sent file's copy and its read-back (tests).
    static void setBeforeReadBack(std::function<void(const QString &target)> hook);

    QLabel *Label3() const { return m_labels[2]; }
    ShellListView *ShellListView1() const { return m_list; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    bool copy(const QString &target, bool sending);

    ShellListView *m_list = nullptr;
    bool m_copying = false;
};

QWidget *createForm_Transfer_DIR();
