#pragma once

#include <QDialog>

class MachineList;
class MachineListView;
class QLabel;
class QLineEdit;

// The machine selection window: the all-machines list, four panels at a time,
// "&Select" (or a double click on a panel) and "&Cancel".
class TForm_Selecionar_Maquina : public QDialog
{
    Q_OBJECT

public:
    explicit TForm_Selecionar_Maquina(QWidget *parent = nullptr);

    // The all-machines list that this window shows.
    MachineList *allMachines() const { return m_all; }
    MachineListView *DBCtrlGrid1() const { return m_view; }
    // Narrows the list to the machines whose number or name contains the text,
    // as it is typed; empty again each time the window opens, with the keyboard
    // in it.
    QLineEdit *filterBox() const { return m_filter; }
    // The list again with the text of the filter box (another workstation changed
    // the register), keeping the cursor on its machine; throws on a database failure.
    void refreshList();

    // "&Select": selects the machine under the cursor and closes, or tells the user
    // to choose one when the list has no row under its cursor.
    void BitBtn1Click();
    // "&Cancel": closes without change.
    void BitBtn5Click();

    static constexpr int VisibleRows = 4;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runFilter();

    QLabel *m_filterLabel;
    QLineEdit *m_filter;
    MachineList *m_all;
    MachineListView *m_view;
};
