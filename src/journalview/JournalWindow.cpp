#include "JournalWindow.h"

#include "JournalFileCheck.h"
#include "JournalModel.h"
#include "app/AppState.h"
#include "app/Ribbon.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/SafeFile.h"
#include "platform/Shell.h"

#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString extra(const char *id) { return Texts::extraOrEnglish(QLatin1String(id)); }

QComboBox *combo(QWidget *parent, const char *name)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return c;
}

QLabel *label(QWidget *parent, const char *name, QWidget *buddy)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setBuddy(buddy);
    return l;
}

// The table's model with the outcome coloured: failures red, cancels brown, verified green.
class ColouredJournalModel : public JournalModel
{
public:
    using JournalModel::JournalModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::ForegroundRole || index.column() != Outcome)
            return JournalModel::data(index, role);
        switch (JournalEntry::Outcome(JournalModel::data(index, OutcomeRole).toInt())) {
        case JournalEntry::Outcome::Failed:
        case JournalEntry::Outcome::VerificationFailed: return QBrush(QColor(180, 0, 0));
        case JournalEntry::Outcome::Cancelled: return QBrush(QColor(130, 80, 0));
        case JournalEntry::Outcome::Verified: return QBrush(QColor(0, 120, 40));
        case JournalEntry::Outcome::Done: break;
        }
        return QVariant();
    }
};

} // namespace

JournalWindow::JournalWindow(QWidget *parent) : QWidget(parent, Qt::Window), m_model(new ColouredJournalModel(this))
{
    setObjectName(QStringLiteral("Form_Journal"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_ribbon = new Ribbon(this);
    connect(m_ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func03.6.html")); });
    layout->addWidget(m_ribbon);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 8, 8, 8);
    body->setSpacing(8);
    layout->addLayout(body, 1);

    // The filters: two rows, the lists above, the dates and the name below.
    auto *filters = new QGridLayout;
    filters->setHorizontalSpacing(8);
    m_machine = combo(this, "JournalMachine");
    m_machine->setMinimumContentsLength(18);
    m_medium = combo(this, "JournalMedium");
    m_outcome = combo(this, "JournalOutcome");
    m_machineLabel = label(this, "JournalMachineLabel", m_machine);
    m_mediumLabel = label(this, "JournalMediumLabel", m_medium);
    m_outcomeLabel = label(this, "JournalOutcomeLabel", m_outcome);
    m_fromOn = new QCheckBox(this);
    m_fromOn->setObjectName(QStringLiteral("JournalFromOn"));
    m_toOn = new QCheckBox(this);
    m_toOn->setObjectName(QStringLiteral("JournalToOn"));
    const QDate today = QDate::currentDate();
    m_from = new QDateEdit(today.addMonths(-1), this);
    m_from->setObjectName(QStringLiteral("JournalFrom"));
    m_to = new QDateEdit(today, this);
    m_to->setObjectName(QStringLiteral("JournalTo"));
    for (QDateEdit *d : {m_from, m_to}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setEnabled(false);
    }
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("JournalFileText"));
    m_file->setClearButtonEnabled(true);
    m_file->setMinimumWidth(200);
    m_fileLabel = label(this, "JournalFileLabel", m_file);
    m_clearFilter = new QPushButton(this);
    m_clearFilter->setObjectName(QStringLiteral("JournalClearFilter"));
    m_clearFilter->setAutoDefault(false);

    // Each row keeps its controls at their own width, packed to the left.
    auto *lists = new QHBoxLayout;
    for (QWidget *w : {static_cast<QWidget *>(m_machineLabel), static_cast<QWidget *>(m_machine)})
        lists->addWidget(w);
    lists->addSpacing(12);
    lists->addWidget(m_mediumLabel);
    lists->addWidget(m_medium);
    lists->addSpacing(12);
    lists->addWidget(m_outcomeLabel);
    lists->addWidget(m_outcome);
    lists->addStretch(1);
    auto *dates = new QHBoxLayout;
    dates->addWidget(m_fromOn);
    dates->addWidget(m_from);
    dates->addSpacing(12);
    dates->addWidget(m_toOn);
    dates->addWidget(m_to);
    dates->addSpacing(24);
    dates->addWidget(m_fileLabel);
    dates->addWidget(m_file, 1);
    dates->addWidget(m_clearFilter);
    filters->addLayout(lists, 0, 0);
    filters->addLayout(dates, 1, 0);
    body->addLayout(filters);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_table = new QTableView(splitter);
    m_table->setObjectName(QStringLiteral("JournalTable"));
    m_table->setModel(m_model);
    m_table->setSortingEnabled(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    // Fixed row heights and no measuring of contents: the view never asks for every row.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setSortIndicator(JournalModel::Time, Qt::DescendingOrder);
    const int widths[JournalModel::ColumnCount] = {140, 150, 70, 80, 130, 230, 190, 70, 220, 90, 110};
    for (int c = 0; c < JournalModel::ColumnCount; ++c)
        m_table->setColumnWidth(c, widths[c]);
    m_details = new QPlainTextEdit(splitter);
    m_details->setObjectName(QStringLiteral("JournalDetails"));
    m_details->setReadOnly(true);
    m_details->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    splitter->addWidget(m_table);
    splitter->addWidget(m_details);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    body->addWidget(splitter, 1);

    auto *buttons = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("JournalCount"));
    m_open = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), QString(), this);
    m_open->setObjectName(QStringLiteral("JournalOpen"));
    m_export = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QString(), this);
    m_export->setObjectName(QStringLiteral("JournalExport"));
    m_close = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QString(), this);
    m_close->setObjectName(QStringLiteral("JournalClose"));
    for (QPushButton *b : {m_open, m_export, m_close})
        b->setAutoDefault(false);
    buttons->addWidget(m_count, 1);
    buttons->addWidget(m_open);
    buttons->addWidget(m_export);
    buttons->addWidget(m_close);
    body->addLayout(buttons);

    connect(m_machine, &QComboBox::currentIndexChanged, this, &JournalWindow::applyFilter);
    connect(m_medium, &QComboBox::currentIndexChanged, this, &JournalWindow::applyFilter);
    connect(m_outcome, &QComboBox::currentIndexChanged, this, &JournalWindow::applyFilter);
    connect(m_fromOn, &QCheckBox::toggled, m_from, &QWidget::setEnabled);
    connect(m_toOn, &QCheckBox::toggled, m_to, &QWidget::setEnabled);
    connect(m_fromOn, &QCheckBox::toggled, this, &JournalWindow::applyFilter);
    connect(m_toOn, &QCheckBox::toggled, this, &JournalWindow::applyFilter);
    connect(m_from, &QDateEdit::dateChanged, this, &JournalWindow::applyFilter);
    connect(m_to, &QDateEdit::dateChanged, this, &JournalWindow::applyFilter);
    connect(m_file, &QLineEdit::textChanged, this, &JournalWindow::applyFilter);
    connect(m_clearFilter, &QPushButton::clicked, this, &JournalWindow::clearFilterClick);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &JournalWindow::showDetails);
    connect(m_model, &QAbstractItemModel::modelReset, this, &JournalWindow::showDetails);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &JournalWindow::showDetails);
    connect(m_table, &QTableView::doubleClicked, this, [this] { guarded([this] { openProgramClick(); }); });
    connect(m_open, &QPushButton::clicked, this, [this] { guarded([this] { openProgramClick(); }); });
    connect(m_export, &QPushButton::clicked, this, [this] { guarded([this] { exportClick(); }); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    retranslate();
    resize(1200, 700);
}

void JournalWindow::retranslate()
{
    m_filling = true;
    fitWordColumns();
    const QString caption = extra("Extra.JournalCaption");
    m_ribbon->setCaption(caption);
    setWindowTitle(caption);
    m_machineLabel->setText(extra("Extra.JournalMachine"));
    m_mediumLabel->setText(extra("Extra.JournalMedium"));
    m_outcomeLabel->setText(extra("Extra.JournalOutcome"));
    m_fileLabel->setText(extra("Extra.JournalFileName"));
    m_fromOn->setText(extra("Extra.JournalFrom"));
    m_toOn->setText(extra("Extra.JournalTo"));
    m_clearFilter->setText(extra("Extra.JournalClearFilter"));
    m_open->setText(extra("Extra.JournalOpen"));
    m_export->setText(extra("Extra.JournalExport"));
    m_close->setText(extra("Extra.JournalClose"));

    const int medium = m_medium->currentIndex(), outcome = m_outcome->currentIndex();
    m_medium->clear();
    m_medium->addItem(extra("Extra.JournalAll"));
    for (const auto m : {JournalEntry::Medium::Directory, JournalEntry::Medium::Ftp, JournalEntry::Medium::Serial})
        m_medium->addItem(JournalModel::mediumText(m), int(m));
    m_medium->setCurrentIndex(qMax(0, medium));
    m_outcome->clear();
    m_outcome->addItem(extra("Extra.JournalAll"));
    for (const auto o : {JournalEntry::Outcome::Done, JournalEntry::Outcome::Verified,
                         JournalEntry::Outcome::VerificationFailed, JournalEntry::Outcome::Cancelled,
                         JournalEntry::Outcome::Failed})
        m_outcome->addItem(JournalModel::outcomeText(o), int(o));
    m_outcome->setCurrentIndex(qMax(0, outcome));
    m_filling = false;
    fillMachines();
    emit m_model->headerDataChanged(Qt::Horizontal, 0, JournalModel::ColumnCount - 1);
    showDetails();
}

void JournalWindow::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        retranslate();
        reload();
    }
    QWidget::showEvent(event);
}

// The way, direction and outcome columns hold a few words of the current language: wide
// enough for the longest of them ("Prüfung fehlgeschlagen"), so that none is cut.
void JournalWindow::fitWordColumns()
{
    const QFontMetrics metrics = m_table->fontMetrics();
    const int padding = 2 * m_table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table) + 16;
    auto fit = [&](int column, const QStringList &words) {
        int width = m_table->columnWidth(column);
        for (const QString &w : words)
            width = qMax(width, metrics.horizontalAdvance(w) + padding);
        m_table->setColumnWidth(column, width);
    };
    using E = JournalEntry;
    fit(JournalModel::Medium, {JournalModel::mediumText(E::Medium::Directory), JournalModel::mediumText(E::Medium::Ftp),
                               JournalModel::mediumText(E::Medium::Serial)});
    fit(JournalModel::Direction, {JournalModel::directionText(E::Direction::Send), JournalModel::directionText(E::Direction::Receive)});
    fit(JournalModel::Outcome, {JournalModel::outcomeText(E::Outcome::Done), JournalModel::outcomeText(E::Outcome::Verified),
                                JournalModel::outcomeText(E::Outcome::VerificationFailed),
                                JournalModel::outcomeText(E::Outcome::Cancelled), JournalModel::outcomeText(E::Outcome::Failed)});
}

void JournalWindow::reload()
{
    QString error;
    QVector<JournalEntry> entries;
    if (m_loader)
        entries = m_loader(&error);
    m_model->setEntries(std::move(entries));
    fillMachines();
    applyFilter();
    if (!error.isEmpty())
        Msg::error(extra("Extra.JournalNotRead").arg(error));
}

void JournalWindow::fillMachines()
{
    const QString chosen = m_machine->currentData().toString();
    m_filling = true;
    m_machine->clear();
    m_machine->addItem(extra("Extra.JournalAll"), QString());
    for (const JournalModel::MachineChoice &m : m_model->machines())
        m_machine->addItem(m.caption.isEmpty() ? m.id : m.caption, m.id);
    const int at = m_machine->findData(chosen);
    m_machine->setCurrentIndex(at < 0 ? 0 : at);
    m_filling = false;
}

void JournalWindow::applyFilter()
{
    if (m_filling)
        return;
    JournalViewFilter f;
    f.machineId = m_machine->currentData().toString();
    if (m_medium->currentIndex() > 0)
        f.medium = JournalEntry::Medium(m_medium->currentData().toInt());
    if (m_outcome->currentIndex() > 0)
        f.outcome = JournalEntry::Outcome(m_outcome->currentData().toInt());
    if (m_fromOn->isChecked())
        f.from = m_from->date();
    if (m_toOn->isChecked())
        f.to = m_to->date();
    f.fileText = m_file->text().trimmed();
    m_model->setFilter(f);
    if (m_model->rowCount() > 0)
        m_table->setCurrentIndex(m_model->index(0, 0)); // the newest shown, in the details
    m_count->setText(countText());
}

void JournalWindow::clearFilterClick()
{
    m_filling = true;
    m_machine->setCurrentIndex(0);
    m_medium->setCurrentIndex(0);
    m_outcome->setCurrentIndex(0);
    m_fromOn->setChecked(false);
    m_toOn->setChecked(false);
    m_file->clear();
    m_filling = false;
    applyFilter();
}

QString JournalWindow::countText() const
{
    const QLocale locale;
    return extra("Extra.JournalCount").arg(locale.toString(m_model->rowCount()), locale.toString(m_model->totalCount()));
}

const JournalEntry *JournalWindow::selectedEntry() const
{
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    if (!current.isValid() || current.row() >= m_model->rowCount())
        return nullptr;
    return &m_model->entryAt(current.row());
}

QString JournalWindow::detailsText() const
{
    const JournalEntry *e = selectedEntry();
    if (!e)
        return QString();
    const int row = m_table->selectionModel()->currentIndex().row();
    const QString none = QStringLiteral("-");
    const auto value = [&](const QString &v) { return v.isEmpty() ? none : v; };
    const QList<QPair<const char *, QString>> fields = {
        {"Extra.JournalColumnTime", m_model->timeText(row)
                                        + (e->timeUtc.isValid() ? QStringLiteral("  (UTC %1)").arg(e->timeUtc.toUTC().toString(Qt::ISODate)) : QString())},
        {"Extra.JournalColumnMachine", value(JournalModel::machineCaption(*e))},
        {"Extra.JournalMachineId", value(e->machineId)},
        {"Extra.JournalColumnMedium", JournalModel::mediumText(e->medium)},
        {"Extra.JournalColumnDirection", JournalModel::directionText(e->direction)},
        {"Extra.JournalColumnFile", value(e->localPath)},
        {"Extra.JournalColumnRemote", value(e->remote)},
        {"Extra.JournalColumnBytes", e->bytes < 0 ? none : JournalModel::bytesText(e->bytes)},
        {"Extra.JournalSha256", value(e->sha256)},
        {"Extra.JournalColumnOutcome", JournalModel::outcomeText(e->outcome)},
        {"Extra.JournalError", value(e->error)},
        {"Extra.JournalNotice", value(e->notice)},
        {"Extra.JournalColumnUser", value(e->user)},
        {"Extra.JournalColumnWorkstation", value(e->workstation)},
        {"Extra.JournalEntryId", e->id > 0 ? QString::number(e->id) : none},
    };
    QStringList lines;
    for (const auto &f : fields)
        lines << extra(f.first) + QStringLiteral(": ") + f.second;
    return lines.join(QLatin1Char('\n'));
}

void JournalWindow::showDetails()
{
    m_details->setPlainText(detailsText());
    const JournalEntry *e = selectedEntry();
    m_open->setEnabled(e && !e->localPath.isEmpty());
    m_export->setEnabled(m_writer && m_model->rowCount() > 0);
    m_count->setText(countText());
}

void JournalWindow::openProgramClick()
{
    const JournalEntry *e = selectedEntry();
    if (!e || e->localPath.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(e->localPath);
    const JournalFileCheck::Result r = JournalFileCheck::check(*e);
    switch (r.state) {
    case JournalFileCheck::State::Same:
        if (m_opener)
            m_opener(e->localPath);
        return;
    case JournalFileCheck::State::Missing: Msg::attention(extra("Extra.JournalFileMissing").arg(path)); return;
    case JournalFileCheck::State::Changed:
        Msg::attention(extra("Extra.JournalFileChanged").arg(path, e->sha256, r.sha256));
        return;
    case JournalFileCheck::State::Unreadable: Msg::error(extra("Extra.JournalFileUnreadable").arg(path, r.reason)); return;
    case JournalFileCheck::State::NoRecord: Msg::attention(extra("Extra.JournalNoHash").arg(path)); return;
    }
}

void JournalWindow::exportClick()
{
    if (!m_writer || m_model->rowCount() == 0)
        return;
    const QString suggested = QDir(QDir::homePath()).filePath(
        QStringLiteral("journal-%1.csv").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    const QString path = dialogs().saveFile(this, extra("Extra.JournalExportTitle"), suggested,
                                            extra("Extra.JournalCsvFilter"));
    if (path.isEmpty())
        return;
    const QVector<JournalEntry> entries = m_model->shownEntries();
    SafeFile::Writer file(path);
    QString error;
    bool ok = file.open(&error);
    if (ok) {
        ok = m_writer(entries, &file, &error);
        if (!ok && error.isEmpty())
            error = file.reason();
        if (ok)
            ok = file.commit(&error);
        else
            file.cancel();
    }
    if (!ok) {
        Msg::error(extra("Extra.JournalExportFailed").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    Msg::information(extra("Extra.JournalExported").arg(entries.size()).arg(QDir::toNativeSeparators(path)));
}
