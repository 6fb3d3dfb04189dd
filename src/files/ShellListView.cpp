#include "ShellListView.h"

#include "FolderListModel.h"
#include "FolderListing.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace {

// The selection stays visible when the list loses the focus.
void keepSelectionVisible(QAbstractItemView *view)
{
    QPalette pal = view->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(pal);
}

// In the icon styles an item keeps to its grid cell; a long name is shortened.
class GridCellDelegate : public QStyledItemDelegate
{
public:
    explicit GridCellDelegate(QListView *view) : QStyledItemDelegate(view), m_view(view) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QSize grid = m_view->gridSize();
        if (grid.isValid())
            size = size.boundedTo(grid - QSize(4, 2));
        return size;
    }

private:
    QListView *m_view;
};

} // namespace

ShellListView::ShellListView(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ShellListView1"));
    m_model = new FolderListModel(this);
    connect(m_model, &FolderListModel::renameFailed, this, &ShellListView::renameFailed);
    connect(m_model, &FolderListModel::folderLoaded, this, &ShellListView::folderLoaded);

    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);

    m_icons = new QListView(this);
    m_icons->setObjectName(QStringLiteral("ShellListView1Icons"));
    m_icons->setItemDelegate(new GridCellDelegate(m_icons));
    m_details = new QTreeView(this);
    m_details->setObjectName(QStringLiteral("ShellListView1Details"));
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setSortingEnabled(true);
    m_details->header()->setSortIndicator(0, Qt::AscendingOrder);
    m_details->header()->setSectionsMovable(false);
    m_columnWidths = {420, 100, 200, 170};
    m_details->viewport()->installEventFilter(this);
    // Once the user drags a column border the widths are theirs.
    connect(m_details->header(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!m_sizingColumns && column < FolderListing::Modified)
            m_columnsSizedByUser = true;
    });

    for (QAbstractItemView *view : {static_cast<QAbstractItemView *>(m_icons), static_cast<QAbstractItemView *>(m_details)}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
        view->setTextElideMode(Qt::ElideMiddle);
        keepSelectionVisible(view);
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::activated, this, &ShellListView::openItem);
        m_stack->addWidget(view);
    }
    attach(m_details);
}

ShellListView::~ShellListView() = default;

QAbstractItemView *ShellListView::currentView() const
{
    return m_style == Details ? static_cast<QAbstractItemView *>(m_details) : m_icons;
}

// Only the visible view holds the model, so that a folder of thousands of files
// is laid out once.
void ShellListView::attach(QAbstractItemView *view)
{
    QAbstractItemView *other = view == m_details ? static_cast<QAbstractItemView *>(m_icons) : m_details;
    QString selected;
    if (other->model() == m_model) {
        const QModelIndexList rows = other->selectionModel()->selectedRows(0);
        if (!rows.isEmpty())
            selected = m_model->filePath(rows.first());
        if (other == m_details) {
            m_columnWidths.clear();
            for (int c = 0; c < m_model->columnCount(); ++c)
                m_columnWidths << m_details->columnWidth(c);
        }
        QItemSelectionModel *selection = other->selectionModel();
        other->setModel(nullptr);
        delete selection;
    }
    if (view->model() != m_model) {
        view->setModel(m_model);
        if (view == m_details) {
            m_sizingColumns = true;
            for (int c = 0; c < m_columnWidths.size(); ++c)
                m_details->setColumnWidth(c, m_columnWidths.at(c));
            m_sizingColumns = false;
            fitNameColumn();
        }
    }
    m_stack->setCurrentWidget(view);
    setFocusProxy(view);
    if (!selected.isEmpty())
        selectPath(selected);
}

void ShellListView::setViewStyle(int style)
{
    if (style < LargeIcons || style > Details)
        return;
    m_style = style;
    if (style == Details) {
        attach(m_details);
        return;
    }
    m_icons->setViewMode(style == LargeIcons ? QListView::IconMode : QListView::ListMode);
    m_icons->setMovement(QListView::Static);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setWrapping(true);
    m_icons->setWordWrap(style == LargeIcons);
    m_icons->setUniformItemSizes(true);
    switch (style) {
    case LargeIcons:
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setIconSize(QSize(32, 32));
        m_icons->setGridSize(QSize(110, 76));
        break;
    case SmallIcons:
        m_icons->setFlow(QListView::LeftToRight);
        m_icons->setIconSize(QSize(16, 16));
        m_icons->setGridSize(QSize(220, 22));
        break;
    case List:
        m_icons->setFlow(QListView::TopToBottom);
        m_icons->setIconSize(QSize(16, 16));
        m_icons->setGridSize(QSize(300, 22));
        break;
    }
    attach(m_icons);
}

void ShellListView::setFolder(const QString &path)
{
    m_model->setFolder(path);
    currentView()->scrollToTop();
}

QString ShellListView::folder() const { return m_model->folder(); }

void ShellListView::setFilterText(const QString &text) { m_model->setFilterText(text); }

QString ShellListView::filterText() const { return m_model->filterText(); }

void ShellListView::reread() { m_model->reread(); }

QModelIndex ShellListView::selectedIndex() const
{
    const QAbstractItemView *view = currentView();
    if (!view->selectionModel())
        return QModelIndex();
    const QModelIndexList rows = view->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

QString ShellListView::selectedPath() const { return m_model->filePath(selectedIndex()); }

bool ShellListView::selectedIsFolder() const { return m_model->isDir(selectedIndex()); }

bool ShellListView::selectPath(const QString &path)
{
    const QModelIndex index = m_model->indexOf(path);
    if (!index.isValid())
        return false;
    QAbstractItemView *view = currentView();
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
    return true;
}

bool ShellListView::editSelected()
{
    const QModelIndex index = selectedIndex();
    if (!index.isValid())
        return false;
    currentView()->edit(index);
    return true;
}

QStringList ShellListView::itemNames() const
{
    QStringList names;
    const int rows = m_model->rowCount();
    names.reserve(rows);
    for (int r = 0; r < rows; ++r)
        names << m_model->index(r, 0).data().toString();
    return names;
}

void ShellListView::setColumnCaption(int column, const QString &caption) { m_model->setColumnCaption(column, caption); }

void ShellListView::openItem(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QString path = m_model->filePath(index);
    if (m_model->isDir(index)) {
        setFolder(path);
        emit folderChanged(folder());
    } else {
        emit fileOpenRequested(path);
    }
}

void ShellListView::setTopFolder(const QString &path)
{
    m_topFolder = path.isEmpty() ? QString() : QDir::cleanPath(QDir(QDir::fromNativeSeparators(path)).absolutePath());
}

void ShellListView::openParent()
{
    const QString current = folder();
    QDir dir(QDir::fromNativeSeparators(current));
    if (current.isEmpty())
        return;
    if (!m_topFolder.isEmpty()) {
        const QString here = QDir::cleanPath(dir.absolutePath());
#ifdef Q_OS_WIN
        const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
        const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
        const QString top = m_topFolder.endsWith(QLatin1Char('/')) ? m_topFolder : m_topFolder + QLatin1Char('/');
        if (here.compare(m_topFolder, cs) == 0 || !(here + QLatin1Char('/')).startsWith(top, cs))
            return;
    }
    if (!dir.cdUp())
        return;
    setFolder(dir.path());
    selectPath(current);
    emit folderChanged(folder());
}

// In a narrow list (the transfer window's) the name column gives up room so that
// the date column is not pushed out of sight; in a wide one it stays as it was.
void ShellListView::fitNameColumn()
{
    if (m_columnsSizedByUser || m_details->model() != m_model)
        return;
    int others = 0;
    for (int c = FolderListing::Size; c < FolderListing::Modified; ++c)
        others += m_details->columnWidth(c);
    // The last column stretches, but not below the width it was given.
    const int dateWidth = qMax(m_details->header()->sectionSizeHint(FolderListing::Modified), 150);
    const int room = m_details->viewport()->width() - others - dateWidth;
    m_sizingColumns = true;
    m_details->setColumnWidth(FolderListing::Name, qBound(160, room, 420));
    m_details->setColumnWidth(FolderListing::Modified, dateWidth);
    m_sizingColumns = false;
}

bool ShellListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_details->viewport() && event->type() == QEvent::Resize)
        fitNameColumn();
    if (event->type() == QEvent::KeyPress && (watched == m_details || watched == m_icons)) {
        auto *view = static_cast<QAbstractItemView *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        // Keys left over by an in-place editor (a child of the viewport) are not ours.
        const QWidget *focus = QApplication::focusWidget();
        const bool editing = focus && view->viewport()->isAncestorOf(focus);
        if (!editing && key->modifiers() == Qt::NoModifier) {
            if (key->key() == Qt::Key_Backspace) {
                openParent();
                return true;
            }
            if (key->key() == Qt::Key_F5) {
                reread();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
