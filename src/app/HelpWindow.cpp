#include "HelpWindow.h"

#include "AppState.h"
#include "HelpPages.h"
#include "lang/Texts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QPointer<HelpWindow> g_help;
}

QVariant HelpBrowser::loadResource(int type, const QUrl &name)
{
    QVariant resource = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || resource.userType() != QMetaType::QByteArray)
        return resource;
    // The rich-text engine knows no <figure>, <nav>, <main> or <footer>: as blocks they
    // keep a picture out of the text around it. Pictures wider than the page are
    // shown at the page's width, so that none has to be scrolled sideways.
    QString html = QString::fromUtf8(resource.toByteArray());
    static const QRegularExpression blocks(QStringLiteral("<(/?)(figure|figcaption|nav|main|footer)\\b"));
    html.replace(blocks, QStringLiteral("<\\1div"));
    const QUrl page = source().resolved(name);
    const int room = pictureRoom();
    m_loadedRoom = room;
    static const QRegularExpression picture(QStringLiteral("<img\\s+src=\"([^\"]+)\""));
    QString out;
    qsizetype last = 0;
    for (auto it = picture.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(html).mid(last, m.capturedEnd() - last);
        last = m.capturedEnd();
        const QUrl image = page.resolved(QUrl(m.captured(1)));
        const QSize size = image.isLocalFile() ? QImageReader(image.toLocalFile()).size() : QSize();
        if (size.isValid() && size.width() > room)
            out += QStringLiteral(" width=\"%1\" height=\"%2\"")
                       .arg(room)
                       .arg(qRound(double(size.height()) * room / size.width()));
    }
    out += QStringView(html).mid(last);
    return out.toUtf8();
}

int HelpBrowser::pictureRoom() const { return std::max(240, viewport()->width() - 40); }

void HelpBrowser::resizeEvent(QResizeEvent *event)
{
    QTextBrowser::resizeEvent(event);
    if (m_loadedRoom > 0 && std::abs(pictureRoom() - m_loadedRoom) > 40)
        emit pageWidthChanged();
}

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Help"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *bar = new QHBoxLayout;
    auto tool = [this](const char *name, QStyle::StandardPixmap icon) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        return b;
    };
    m_back = tool("HelpBack", QStyle::SP_ArrowBack);
    m_forward = tool("HelpForward", QStyle::SP_ArrowForward);
    m_searchEdit = new QLineEdit(this);
    m_searchEdit->setObjectName(QStringLiteral("HelpSearchEdit"));
    m_searchEdit->setClearButtonEnabled(true);
    m_searchButton = new QPushButton(this);
    m_searchButton->setObjectName(QStringLiteral("HelpSearchButton"));
    m_searchButton->setAutoDefault(false);
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addSpacing(12);
    bar->addWidget(m_searchEdit, 1);
    bar->addWidget(m_searchButton);
    layout->addLayout(bar);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    auto *side = new QWidget(splitter);
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    m_resultsLabel = new QLabel(side);
    m_resultsLabel->setObjectName(QStringLiteral("HelpResultsLabel"));
    m_resultsLabel->setWordWrap(true);
    m_resultsLabel->setTextFormat(Qt::PlainText);
    m_results = new QListWidget(side);
    m_results->setObjectName(QStringLiteral("HelpResults"));
    m_results->setWordWrap(true);
    m_results->setTextElideMode(Qt::ElideNone);
    m_results->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_results->setSpacing(2);
    sideLayout->addWidget(m_resultsLabel);
    sideLayout->addWidget(m_results, 1);
    side->hide(); // until the first search
    m_browser = new HelpBrowser(splitter);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenLinks(false);
    splitter->addWidget(side);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 700});
    layout->addWidget(splitter, 1);

    connect(m_back, &QToolButton::clicked, this, &HelpWindow::backClick);
    connect(m_forward, &QToolButton::clicked, this, [this] {
        m_showingMissing = false;
        m_browser->forward();
    });
    connect(m_browser, &QTextBrowser::backwardAvailable, this, &HelpWindow::updateButtons);
    connect(m_browser, &QTextBrowser::forwardAvailable, this, &HelpWindow::updateButtons);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::linkClicked);
    // Fitted again once the width has settled (a window being dragged wider).
    auto *refit = new QTimer(this);
    refit->setSingleShot(true);
    refit->setInterval(150);
    connect(m_browser, &HelpBrowser::pageWidthChanged, refit, qOverload<>(&QTimer::start));
    connect(refit, &QTimer::timeout, this, [this] {
        if (m_showingMissing || m_browser->source().isEmpty())
            return;
        QScrollBar *bar = m_browser->verticalScrollBar();
        const double at = bar->maximum() > 0 ? double(bar->value()) / bar->maximum() : 0.0;
        m_browser->reload();
        bar->setValue(qRound(at * bar->maximum()));
    });
    connect(m_searchButton, &QPushButton::clicked, this, &HelpWindow::searchClick);
    connect(m_searchEdit, &QLineEdit::returnPressed, this, &HelpWindow::searchClick);
    connect(m_results, &QListWidget::itemActivated, this, &HelpWindow::resultActivated);
    connect(m_results, &QListWidget::itemClicked, this, &HelpWindow::resultActivated);

    resize(1000, 700);
    retranslate();
    updateButtons();
}

HelpWindow *HelpWindow::instance() { return g_help; }

void HelpWindow::destroy() { delete g_help.data(); }

void HelpWindow::showHelpPage(const QString &path)
{
    // Over the window that asked: a modal window blocks every window but its own.
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    if (!owner || owner == g_help) {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("Form_Main")) {
                owner = w;
                break;
            }
        }
    }
    if (owner == g_help)
        owner = nullptr;
    if (!g_help) {
        g_help = new HelpWindow(owner);
        if (QScreen *screen = owner ? owner->screen() : QApplication::primaryScreen()) {
            const QRect free = screen->availableGeometry();
            g_help->resize(std::min(1000, free.width() - 40), std::min(720, free.height() - 40));
            g_help->move(free.center() - g_help->rect().center());
        }
    } else if (owner && g_help->parentWidget() != owner) {
        const QRect geometry = g_help->geometry();
        g_help->setParent(owner, g_help->windowFlags());
        g_help->setGeometry(geometry);
    }
    g_help->retranslate();
    g_help->show();
    // Laid out before the page is read, so that pictures fit the page's width.
    g_help->layout()->activate();
    g_help->showPage(path);
    g_help->raise();
    g_help->activateWindow();
}

void HelpWindow::retranslate()
{
    setWindowTitle(Texts::extraOrEnglish(QStringLiteral("Extra.HelpCaption")));
    m_back->setText(Texts::extraOrEnglish(QStringLiteral("Extra.HelpBack")));
    m_forward->setText(Texts::extraOrEnglish(QStringLiteral("Extra.HelpForward")));
    m_searchButton->setText(Texts::extraOrEnglish(QStringLiteral("Extra.HelpSearch")));
    m_searchEdit->setPlaceholderText(Texts::extraOrEnglish(QStringLiteral("Extra.HelpSearchHint")));
}

void HelpWindow::showPage(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        showMissing(path);
        return;
    }
    m_showingMissing = false;
    m_browser->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    updateButtons();
}

void HelpWindow::showMissing(const QString &path)
{
    m_showingMissing = true;
    const QString text = Texts::extraOrEnglish(QStringLiteral("Extra.HelpPageMissing")).arg(path);
    m_browser->setHtml(QStringLiteral("<p style=\"margin:24px\"><b>%1</b></p>").arg(text.toHtmlEscaped()));
    updateButtons();
}

void HelpWindow::linkClicked(const QUrl &url)
{
    const QUrl target = m_browser->source().resolved(url);
    if (!target.isLocalFile()) {
        QDesktopServices::openUrl(target);
        return;
    }
    const QString file = target.toLocalFile();
    if (!QFileInfo(file).isFile()) {
        showMissing(file);
        return;
    }
    m_showingMissing = false;
    m_browser->setSource(target);
    updateButtons();
}

void HelpWindow::backClick()
{
    if (m_showingMissing) {
        // The missing-page text stands over the last page shown: back is that page.
        m_showingMissing = false;
        if (!m_browser->source().isEmpty())
            m_browser->reload();
    } else {
        m_browser->backward();
    }
    updateButtons();
}

void HelpWindow::updateButtons()
{
    m_back->setEnabled(m_browser->isBackwardAvailable()
                       || (m_showingMissing && !m_browser->source().isEmpty()));
    m_forward->setEnabled(m_browser->isForwardAvailable());
}

void HelpWindow::searchClick()
{
    const QString query = m_searchEdit->text().simplified();
    m_results->clear();
    m_lastQuery = query;
    if (query.isEmpty()) {
        m_results->parentWidget()->hide();
        return;
    }
    const QList<HelpPages::Hit> hits = HelpPages::search(app().HelpDirectory, query);
    for (const HelpPages::Hit &hit : hits) {
        auto *item = new QListWidgetItem(hit.title + QLatin1Char('\n') + hit.excerpt, m_results);
        item->setData(Qt::UserRole, hit.path);
        item->setToolTip(hit.excerpt);
    }
    m_resultsLabel->setText(hits.isEmpty()
                                ? Texts::extraOrEnglish(QStringLiteral("Extra.HelpNothingFound")).arg(query)
                                : Texts::extraOrEnglish(QStringLiteral("Extra.HelpFound")).arg(hits.size()));
    m_results->parentWidget()->show();
    if (!hits.isEmpty()) {
        m_results->setCurrentRow(0);
        resultActivated(m_results->item(0));
    }
}

void HelpWindow::resultActivated(QListWidgetItem *item)
{
    if (!item)
        return;
    showPage(item->data(Qt::UserRole).toString());
    // Shows the first place of the first word (as typed; accents may differ).
    const QString first = m_lastQuery.section(QLatin1Char(' '), 0, 0);
    if (!first.isEmpty() && !m_showingMissing) {
        m_browser->moveCursor(QTextCursor::Start);
        m_browser->find(first);
    }
}
