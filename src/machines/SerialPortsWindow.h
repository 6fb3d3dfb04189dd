#pragma once

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// Which device of this system each COM name of the machines stands for, reached from the
// serial settings of the registration window. Shows each name's device and whether it
// exists, lists the serial devices found under the device folder, and writes the changed
// names to [SERIALPORTS] of Zavrin.ini with one rewrite of the file.
class SerialPortsWindow : public QDialog
{
    Q_OBJECT

public:
    // deviceRoot: the folder whose serial devices are listed (/dev on a real system).
    explicit SerialPortsWindow(const QString &deviceRoot, QWidget *parent = nullptr);

    // Reads the mappings and the devices again; puts the cursor on portName's row.
    void load(const QString &portName);

    // The device field of a COM name's row ("COM3"), nullptr for another name.
    QComboBox *deviceField(const QString &portName) const;
    QTreeWidget *portList() const { return m_ports; }
    QTreeWidget *foundList() const { return m_found; }

    // Save: checks the devices and writes the changed ones; the window closes when that
    // worked and stays open with a message when a device is not valid or the file cannot
    // be written.
    void SaveClick();
    // A double click on a found device makes it the device of the current port row.
    void FoundDeviceActivated(QTreeWidgetItem *item);

private:
    void updateState(int row);

    QString m_root;
    QLabel *m_intro;
    QTreeWidget *m_ports;
    QList<QComboBox *> m_fields;
    QLabel *m_foundCaption;
    QTreeWidget *m_found;
};
