#include "MessagesWindow.h"

#include "History.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

TForm_MSG::TForm_MSG(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form_MSG"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(19);
    m_tree->setColumnCount(1);
    layout->addWidget(m_tree);
}

void TForm_MSG::addEntry(const QString &fileName, const QString &title, const QStringList &details)
{
    auto *entry = new QTreeWidgetItem(m_tree, {History::entryText(fileName, QDateTime::currentDateTime(), title)});
    for (const QString &line : History::childLines(details))
        new QTreeWidgetItem(entry, {line});
    m_tree->scrollToItem(entry);
}

void TForm_MSG::addAlarm(const QString &fileName, const QString &title, const QStringList &details)
{
    addEntry(fileName, title, details);
    QTreeWidgetItem *entry = m_tree->topLevelItem(m_tree->topLevelItemCount() - 1);
    const QBrush red(QColor(0xC0, 0, 0));
    entry->setForeground(0, red);
    for (int i = 0; i < entry->childCount(); ++i)
        entry->child(i)->setForeground(0, red);
    entry->setExpanded(true);
}

void TForm_MSG::report(const QString &fileName, const QString &title, const QStringList &details, Tone tone)
{
    if (tone == Tone::Alarm)
        addAlarm(fileName, title, details);
    else
        addEntry(fileName, title, details);
}

void TForm_MSG::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}
