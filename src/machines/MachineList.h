#pragma once

#include "MachineRecord.h"

#include <QAbstractListModel>
#include <QList>
#include <optional>

// One machine list of the windows (the filtered list of the "Machines" page, the
// all-machines list of the selection window): the rows of its last query and a
// cursor, the current row. Views follow the cursor and move it.
class MachineList : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NumberRole,
        DescriptionRole,
        TransferTypeRole,
        PictureRole,   // ID_IMAGEM as text
        DirectoryRole, // DIR_PROGRAMAS as stored
        CreatedRole,   // DATA_CRIACAO in the system's date and time format
        ChangedRole,   // DATA_ALTERACAO likewise
    };

    explicit MachineList(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Holds these rows; the cursor goes to the first row (none when empty).
    void open(const QList<MachineRecord> &rows);
    // Holds new rows of the same query (another workstation changed the register):
    // the cursor stays on the machine it was on while that is still listed, else
    // on the same position, or the last row when the list became shorter.
    void reopen(const QList<MachineRecord> &rows);
    // Forgets the rows; the list is closed and has no cursor.
    void close();
    bool isOpen() const { return m_open; }
    const QList<MachineRecord> &rows() const { return m_rows; }

    // The cursor as a row number from 1; 0 when there is no current row.
    int position() const { return m_cursor + 1; }
    // Moves the cursor; false (and no move) for a position outside 1 to rowCount.
    bool setPosition(int position);
    int cursorRow() const { return m_cursor; }
    void setCursorRow(int row) { setPosition(row + 1); }
    std::optional<MachineRecord> current() const;

signals:
    // The cursor moved to another row (-1: no row).
    void cursorChanged(int row);

private:
    QList<MachineRecord> m_rows;
    int m_cursor = -1;
    bool m_open = false;
};
