#pragma once

#include "platform/serial/SerialLines.h"
#include "transfer/SerialMonitorLog.h"
#include "transfer/SerialOutputWatch.h"

#include <QAbstractScrollArea>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QToolButton;
class SerialPort;

// The lines of a monitor log, drawn as they are shown: only the lines in view are turned into
// text, so a full log of a megabyte scrolls as fast as an empty one.
class SerialMonitorView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    SerialMonitorView(const SerialMonitorLog *log, QWidget *parent);
    void setHex(bool hex);
    bool hex() const { return m_hex; }
    // Takes the log's new lines: stays at the end when it was there, else keeps its place.
    void refresh();
    // The text of line i as drawn (time, direction, content).
    QString lineText(qsizetype i) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateBars();
    int lineHeight() const;

    const SerialMonitorLog *m_log;
    bool m_hex = false;
    qint64 m_dropped = 0;
};

// The line monitor of a serial window: what went out and came in on the port, with the marked
// events of the line. It listens only while it is shown, takes the port's bytes into its log as
// they pass and redraws at most every RefreshInterval, so that it never holds up a transfer.
class SerialMonitorPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int RefreshInterval = 100; // ms

    SerialMonitorPanel(SerialPort *port, QWidget *parent);

    const SerialMonitorLog &log() const { return m_log; }
    SerialMonitorView *view() const { return m_view; }
    void retranslate();
    // Looks at the port at once (the timer does so every RefreshInterval): the output watch,
    // the port opening or closing, and a redraw when the log changed.
    void look();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void listen(bool on);
    void onLines(const SerialLines &lines);
    void mark(const QString &text);

    SerialPort *m_port;
    SerialMonitorLog m_log;
    SerialOutputWatch m_watch;
    SerialMonitorView *m_view;
    QCheckBox *m_hex;
    QPushButton *m_clear;
    QLabel *m_note;
    QToolButton *m_help;
    QTimer m_timer;
    QList<QMetaObject::Connection> m_connections;
    bool m_portOpen = false;
    qint64 m_handed = 0; // bytes handed to the port since it opened
    SerialLines m_lines;
    bool m_linesKnown = false;
    qint64 m_shownChanges = -1;
};
