#include "Ribbon.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

namespace {

// A group caption is one line, but on a narrow screen the page breaks the longest
// ones between words onto a second line: the ribbon then still fits the screen and
// no caption is cut. (QLabel's own word-wrap hint breaks long captions even when
// there is room, and a box layout short of room would squeeze every group.)
class GroupCaption : public QLabel
{
public:
    explicit GroupCaption(QWidget *parent) : QLabel(parent) { setWordWrap(true); }

    void setWrapped(bool wrapped)
    {
        if (wrapped == m_wrapped)
            return;
        m_wrapped = wrapped;
        updateGeometry();
    }

    QSize sizeHint() const override { return m_wrapped ? minimumSizeHint() : oneLine(text()) + margins(); }

    QSize minimumSizeHint() const override
    {
        int widest = 0;
        for (const QString &word : text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = qMax(widest, oneLine(word).width());
        return QSize(widest, oneLine(text()).height()) + margins();
    }

private:
    QSize oneLine(const QString &t) const
    {
        // Rounded up: a caption measured a pixel short would break or be cut.
        const QSizeF size = QFontMetricsF(font()).size(Qt::TextSingleLine, t);
        return QSize(qCeil(size.width()) + 1, qCeil(size.height()));
    }
    QSize margins() const
    {
        const QMargins m = contentsMargins();
        return QSize(m.left() + m.right() + 2 * margin(), m.top() + m.bottom() + 2 * margin());
    }

    bool m_wrapped = false;
};

} // namespace

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

void RibbonPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitCaptions();
}

void RibbonPage::fitCaptions()
{
    QList<RibbonGroup *> groups;
    for (int i = 0; i < m_groups->count(); ++i) {
        if (auto *group = qobject_cast<RibbonGroup *>(m_groups->itemAt(i)->widget()))
            groups << group;
    }
    if (groups.isEmpty() || width() <= 0)
        return;
    const QMargins margins = m_groups->contentsMargins();
    const int room = width() - margins.left() - margins.right() - m_groups->spacing() * (int(groups.size()) - 1);
    int needed = 0;
    for (RibbonGroup *group : groups) {
        group->setCaptionWrapped(false);
        needed += group->sizeHint().width();
    }
    // The groups that gain most by a second caption line give it first.
    QList<QPair<int, RibbonGroup *>> savings;
    for (RibbonGroup *group : groups)
        savings.append({group->captionSaving(), group});
    std::stable_sort(savings.begin(), savings.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &saving : savings) {
        if (needed <= room || saving.first <= 0)
            break;
        saving.second->setCaptionWrapped(true);
        needed -= saving.first;
    }
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
    m_caption = new GroupCaption(this);
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

void RibbonGroup::setCaption(const QString &caption)
{
    m_caption->setText(caption);
    if (auto *page = qobject_cast<RibbonPage *>(parentWidget()))
        page->fitCaptions();
}

int RibbonGroup::captionSaving() const
{
    auto *caption = static_cast<GroupCaption *>(m_caption);
    const int body = m_body->sizeHint().width();
    return qMax(caption->sizeHint().width(), body) - qMax(caption->minimumSizeHint().width(), body);
}

void RibbonGroup::setCaptionWrapped(bool wrapped) { static_cast<GroupCaption *>(m_caption)->setWrapped(wrapped); }

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
