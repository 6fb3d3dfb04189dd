#pragma once

#include <QFrame>
#include <QIcon>
#include <QString>

class QLabel;
class QTabWidget;
class QToolButton;
class QHBoxLayout;

// The command strip at the top of every window: a caption, a help button at the
// right and, in the main window, tab pages of captioned groups of buttons.
// Captions are Qt properties named "caption", which the language texts set.
class Ribbon : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)

public:
    explicit Ribbon(QWidget *parent, bool withPages = false);

    QString caption() const;
    void setCaption(const QString &caption);
    QTabWidget *pages() const { return m_pages; }
    QToolButton *helpButton() const { return m_help; }

signals:
    void helpRequested();

private:
    QLabel *m_caption;
    QToolButton *m_help;
    QTabWidget *m_pages = nullptr;
};

// A page of the main window's ribbon; its caption is the tab's text.
class RibbonPage : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)

public:
    RibbonPage(QTabWidget *pages, const QString &objectName);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QHBoxLayout *groups() const { return m_groups; }
    // Breaks the longest group captions onto two lines while the groups are
    // wider than the page (on a narrow screen or in a wordy language).
    void fitCaptions();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QTabWidget *m_pages;
    QString m_caption;
    QHBoxLayout *m_groups;
};

// A group of commands with its caption underneath.
class RibbonGroup : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)

public:
    RibbonGroup(RibbonPage *page, const QString &objectName);
    QString caption() const;
    void setCaption(const QString &caption);
    // The area above the caption where the group's controls go.
    QWidget *body() const { return m_body; }
    QHBoxLayout *bodyLayout() const { return m_bodyLayout; }
    // A large command button (icon only; the group caption names it).
    QToolButton *addButton(const QString &objectName, const QIcon &icon, bool large = true);
    // How much narrower the group gets with its caption on two lines.
    int captionSaving() const;
    void setCaptionWrapped(bool wrapped);

private:
    QWidget *m_body;
    QHBoxLayout *m_bodyLayout;
    QLabel *m_caption;
};
