#pragma once

#include <QObject>
#include <QString>

// The caption of a painted label: the language texts set its "caption" property
// by object name, and the list that paints it repaints.
class RowCaption : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption NOTIFY captionChanged)

public:
    RowCaption(const QString &objectName, QObject *parent) : QObject(parent) { setObjectName(objectName); }

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption)
    {
        if (caption == m_caption)
            return;
        m_caption = caption;
        emit captionChanged();
    }

signals:
    void captionChanged();

private:
    QString m_caption;
};
