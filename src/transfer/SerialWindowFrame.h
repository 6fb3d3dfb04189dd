#pragma once

#include "transfer/SerialTables.h"

#include <QStyle>

#include <initializer_list>

class LineIndicatorPanel;
class QDialog;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QVBoxLayout;
class SerialMonitorPanel;
class SerialPort;

// The controls both serial windows are built of around their own: the ribbon strip, GroupBox1
// with the window's rows, the port fields and the line indicators, the button row and the
// status bar. The window adds its parts in the order of this class's calls, which is also
// the focus order.
class SerialWindowFrame
{
public:
    // Lays out `window` with the ribbon strip (its help button opens `helpPage`) over the
    // body, which starts with GroupBox1.
    SerialWindowFrame(QDialog *window, SerialPort *port, const QString &helpPage);

    QVBoxLayout *body() const { return m_body; }

    // A row of GroupBox1 across the field columns, for a name to type.
    QLineEdit *addRow(const char *labelName, const char *editName, QLabel **label = nullptr);
    // A row showing a path: read-only, focused only by a click, wide enough for long paths.
    QLineEdit *addPathRow(const char *labelName, const char *editName, QLabel **label = nullptr);
    // Completes GroupBox1 under the rows: the port fields "COM Port :" to "Flow Control :"
    // (Label1 to Label6, read-only Edit1 to Edit6) in two columns of three rows, then the
    // line indicators, which follow the port from here on.
    void addPortFields();

    // A button of the button row; none is the default button.
    QPushButton *button(QStyle::StandardPixmap icon, const char *name);
    // The line monitor (hidden) at the body's end, the button row under it with the monitor's
    // toggle at the left and `buttons` at the right, then the status bar under the body.
    void addButtons(std::initializer_list<QPushButton *> buttons);
    SerialMonitorPanel *monitor() const { return m_monitor; }
    QPushButton *monitorButton() const { return m_monitorButton; }

    using Param = void (*)(const SerialTables::SerialCodes &, SerialSettings &, SerialTables::SerialFieldTexts &);
    // Sets the port from `codes` by the window's table `param` and shows its settings in the
    // port fields; a code outside the table leaves the setting and its field as they were.
    void applyCodes(Param param, const SerialTables::SerialCodes &codes);

    // Opens the port; when it cannot be opened, the error says so in the operator's
    // language, with the system's reason.
    void openPort();

    QString statusText() const;
    void setStatus(const QString &text); // empty: cleared
    QStatusBar *statusBar() const { return m_status; }

private:
    QDialog *m_window;
    SerialPort *m_port;
    QVBoxLayout *m_layout;
    QVBoxLayout *m_body;
    QGroupBox *m_group;
    QGridLayout *m_grid;
    int m_rows = 0;
    QLineEdit *m_fields[6] = {};
    SerialTables::SerialFieldTexts m_fieldTexts;
    LineIndicatorPanel *m_lines = nullptr;
    QStatusBar *m_status = nullptr;
    SerialMonitorPanel *m_monitor = nullptr;
    QPushButton *m_monitorButton = nullptr;
};
