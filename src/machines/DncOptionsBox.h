#pragma once

#include "MachineOptions.h"

#include <QGroupBox>

class QCheckBox;
class QLineEdit;

// The automatic receive settings of a serial machine on the registration window's serial page:
// kept in Zavrin.ini beside the machine (MachineOptions), written when the machine is saved.
class DncOptionsBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit DncOptionsBox(QWidget *parent = nullptr);

    // Shows the options (the defaults for a new machine).
    void load(const MachineOptions &options);
    // The options as shown, over `base` (which keeps the options this box does not show).
    MachineOptions apply(MachineOptions base) const;
    void setEditable(bool editable);
    // Why the name pattern and the extension cannot name received programs, in the user's
    // language; empty when they can. Focuses the field at fault.
    QString problem();

    void retranslate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void updateEnabled();

    QCheckBox *m_autoReceive;
    QCheckBox *m_remoteRequest;
    QLineEdit *m_pattern;
    QLineEdit *m_extension;
    QCheckBox *m_strip;
    class QLabel *m_patternLabel;
    class QLabel *m_extensionLabel;
    bool m_editable = true;
};
