#include "DncOptionsBox.h"

#include "dnc/ReceivedProgram.h"
#include "lang/Texts.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

DncOptionsBox::DncOptionsBox(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("DncOptions"));
    auto *g = new QGridLayout(this);
    m_autoReceive = new QCheckBox(this);
    m_autoReceive->setObjectName(QStringLiteral("DncAutoReceive"));
    m_remoteRequest = new QCheckBox(this);
    m_remoteRequest->setObjectName(QStringLiteral("DncRemoteRequest"));
    m_strip = new QCheckBox(this);
    m_strip->setObjectName(QStringLiteral("DncStripLeader"));
    m_pattern = new QLineEdit(this);
    m_pattern->setObjectName(QStringLiteral("DncNamePattern"));
    m_extension = new QLineEdit(this);
    m_extension->setObjectName(QStringLiteral("DncExtension"));
    m_extension->setMaximumWidth(90);
    m_patternLabel = new QLabel(this);
    m_extensionLabel = new QLabel(this);
    m_patternLabel->setBuddy(m_pattern);
    m_extensionLabel->setBuddy(m_extension);
    g->addWidget(m_autoReceive, 0, 0, 1, 2);
    g->addWidget(m_remoteRequest, 1, 0, 1, 2);
    auto *names = new QHBoxLayout;
    names->addWidget(m_patternLabel);
    names->addWidget(m_pattern, 1);
    names->addSpacing(12);
    names->addWidget(m_extensionLabel);
    names->addWidget(m_extension);
    g->addLayout(names, 2, 0, 1, 2);
    g->addWidget(m_strip, 3, 0, 1, 2);
    connect(m_autoReceive, &QCheckBox::toggled, this, &DncOptionsBox::updateEnabled);
    load(MachineOptions());
    retranslate();
}

void DncOptionsBox::retranslate()
{
    setTitle(Texts::extra("Extra.DncGroup"));
    m_autoReceive->setText(Texts::extra("Extra.DncAutoReceive"));
    m_remoteRequest->setText(Texts::extra("Extra.DncRemoteRequest"));
    m_strip->setText(Texts::extra("Extra.DncStripLeader"));
    m_patternLabel->setText(Texts::extra("Extra.DncNamePattern"));
    m_extensionLabel->setText(Texts::extra("Extra.DncExtension"));
}

void DncOptionsBox::showEvent(QShowEvent *event)
{
    retranslate(); // the language may have changed since the last showing
    QGroupBox::showEvent(event);
}

void DncOptionsBox::load(const MachineOptions &o)
{
    m_autoReceive->setChecked(o.autoReceive);
    m_remoteRequest->setChecked(o.remoteRequest);
    m_pattern->setText(o.namePattern);
    m_extension->setText(o.extension);
    m_strip->setChecked(o.stripLeader);
    updateEnabled();
}

MachineOptions DncOptionsBox::apply(MachineOptions o) const
{
    o.autoReceive = m_autoReceive->isChecked();
    o.remoteRequest = m_remoteRequest->isChecked();
    o.namePattern = m_pattern->text().trimmed();
    QString ext = m_extension->text().trimmed();
    if (!ext.isEmpty() && !ext.startsWith(QLatin1Char('.')))
        ext.prepend(QLatin1Char('.'));
    o.extension = ext;
    o.stripLeader = m_strip->isChecked();
    return o;
}

void DncOptionsBox::setEditable(bool editable)
{
    m_editable = editable;
    m_autoReceive->setEnabled(editable);
    updateEnabled();
}

void DncOptionsBox::updateEnabled()
{
    const bool on = m_editable && m_autoReceive->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(m_remoteRequest), static_cast<QWidget *>(m_pattern),
                       static_cast<QWidget *>(m_extension), static_cast<QWidget *>(m_strip)})
        w->setEnabled(on);
}

QString DncOptionsBox::problem()
{
    const MachineOptions o = apply(MachineOptions());
    QString why;
    QLineEdit *fault = m_pattern;
    if (!o.namePattern.contains(QLatin1String("%1"))) {
        why = QStringLiteral("%1 is missing");
    } else {
        const ReceivedProgram::Naming n = ReceivedProgram::nameFor(QStringLiteral("O1234"), o.namePattern, o.extension,
                                                                   QDateTime::currentDateTime());
        if (n.problem.isEmpty())
            return QString();
        why = ReceivedProgram::unsafeNameReason(QString(o.namePattern).replace(QLatin1String("%1"), QLatin1String("O1234")) + o.extension);
        if (ReceivedProgram::unsafeNameReason(QStringLiteral("O1234") + o.extension).size())
            fault = m_extension;
    }
    fault->setFocus();
    return Texts::extra("Extra.DncBadNamePattern").arg(o.namePattern, QStringLiteral("%1"), o.extension, why);
}
