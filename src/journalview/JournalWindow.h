#pragma once

#include "journal/JournalEntry.h"

#include <QVector>
#include <QWidget>

#include <functional>

class JournalModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QIODevice;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class Ribbon;

// The transfer journal: every transfer newest first in a sortable table, filtered by machine,
// medium, outcome, date range and file name, the chosen entry's fields beside it, its program
// opened again when the file is still the one transferred, and the entries shown exported.
class JournalWindow : public QWidget
{
    Q_OBJECT

public:
    // Reads the journal; an empty list with *error set when it cannot.
    using Loader = std::function<QVector<JournalEntry>(QString *error)>;
    // Writes entries as CSV to an open device; false with *error when it cannot.
    using CsvWriter = std::function<bool(const QVector<JournalEntry> &, QIODevice *, QString *error)>;
    // Opens a program file in an editor tab.
    using Opener = std::function<void(const QString &path)>;

    explicit JournalWindow(QWidget *parent = nullptr);

    void setLoader(Loader loader) { m_loader = std::move(loader); }
    void setCsvWriter(CsvWriter writer) { m_writer = std::move(writer); }
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    // Reads the journal again through the loader (a failure is shown) and keeps the filter.
    void reload();
    void retranslate();

    void openProgramClick();       // "Open the Program" for the selected entry
    void exportClick();            // CSV of the entries shown
    void clearFilterClick();

    JournalModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }
    // The details pane's text for the selected entry.
    QString detailsText() const;
    QString countText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void applyFilter();
    void fitWordColumns();
    void fillMachines();
    void showDetails();
    const JournalEntry *selectedEntry() const;

    Loader m_loader;
    CsvWriter m_writer;
    Opener m_opener;
    JournalModel *m_model;
    Ribbon *m_ribbon;
    QLabel *m_machineLabel, *m_mediumLabel, *m_outcomeLabel, *m_fileLabel;
    QComboBox *m_machine, *m_medium, *m_outcome;
    QCheckBox *m_fromOn, *m_toOn;
    QDateEdit *m_from, *m_to;
    QLineEdit *m_file;
    QPushButton *m_clearFilter;
    QTableView *m_table;
    QPlainTextEdit *m_details;
    QLabel *m_count;
    QPushButton *m_open, *m_export, *m_close;
    bool m_filling = false;
};
