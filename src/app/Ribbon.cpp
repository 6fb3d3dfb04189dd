#include "Ribbon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

Ribbon::Ribbon(QWidget *parent, bool withPages) : QFrame(parent)
{
    setObjectName(QStringLiteral("Ribbon1"));
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xEE, 0xF2, 0xF7));
    setPalette(pal);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    auto *top = new QHBoxLayout;
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("RibbonCaption"));
    QFont f = m_caption->font();
    f.setBold(true);
    m_caption->setFont(f);
    m_caption->setTextFormat(Qt::PlainText);
    m_help = new QToolButton(this);
    m_help->setObjectName(QStringLiteral("RibbonHelpButton"));
    m_help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    m_help->setAutoRaise(true);
    m_help->setFocusPolicy(Qt::NoFocus);
    connect(m_help, &QToolButton::clicked, this, &Ribbon::helpRequested);
    top->addWidget(m_caption, 1);
    top->addWidget(m_help);
    layout->addLayout(top);
    if (withPages) {
        m_pages = new QTabWidget(this);
        m_pages->setObjectName(QStringLiteral("RibbonTabs"));
        m_pages->setDocumentMode(true);
        layout->addWidget(m_pages, 1);
    }
}

QString Ribbon::caption() const { return m_caption->text(); }

void Ribbon::setCaption(const QString &caption) { m_caption->setText(caption); }

RibbonPage::RibbonPage(QTabWidget *pages, const QString &objectName) : QWidget(pages), m_pages(pages)
{
    setObjectName(objectName);
    m_groups = new QHBoxLayout(this);
    m_groups->setContentsMargins(2, 2, 2, 2);
    m_groups->setSpacing(4);
    pages->addTab(this, QString());
}

void RibbonPage::setCaption(const QString &caption)
{
    m_caption = caption;
    m_pages->setTabText(m_pages->indexOf(this), caption);
}

RibbonGroup::RibbonGroup(RibbonPage *page, const QString &objectName) : QFrame(page)
{
    setObjectName(objectName);
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(0);
    m_body = new QWidget(this);
    m_bodyLayout = new QHBoxLayout(m_body);
    m_bodyLayout->setContentsMargins(0, 0, 0, 0);
    m_bodyLayout->setSpacing(2);
    m_caption = new QLabel(this);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setTextFormat(Qt::PlainText);
    QPalette pal = m_caption->palette();
    pal.setColor(QPalette::WindowText, QColor(0x33, 0x44, 0x66));
    m_caption->setPalette(pal);
    layout->addWidget(m_body, 1);
    layout->addWidget(m_caption);
    page->groups()->addWidget(this);
}

QString RibbonGroup::caption() const { return m_caption->text(); }

void RibbonGroup::setCaption(const QString &caption) { m_caption->setText(caption); }

QToolButton *RibbonGroup::addButton(const QString &objectName, const QIcon &icon, bool large)
{
    auto *b = new QToolButton(m_body);
    b->setObjectName(objectName);
    b->setIcon(icon);
    b->setIconSize(large ? QSize(40, 40) : QSize(22, 22));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_bodyLayout->addWidget(b);
    return b;
}
