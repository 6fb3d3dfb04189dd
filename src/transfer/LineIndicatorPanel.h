#pragma once

#include "platform/serial/SerialLines.h"

#include <QFrame>

class QLabel;
class QWidget;

// The line indicators of a serial window ("Panel1"): a lamp for CTS, DSR, carrier detect
// (RLSD), receive and transmit activity, each with its label (Label8 to Label12). A line the
// port cannot report is drawn hollow and grey, so that it never reads as "off".
class LineIndicatorPanel : public QFrame
{
    Q_OBJECT

public:
    explicit LineIndicatorPanel(QWidget *parent);

    void setLines(const SerialLines &lines);
    SerialLines lines() const { return m_lines; }

private:
    SerialLines m_lines;
    QWidget *m_lamps[5];
};
