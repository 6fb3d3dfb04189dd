#include "MachinesWindow.h"

#include "DncOptionsBox.h"
#include "dnc/DncService.h"
#include "MachineOptions.h"

#include "Database.h"
#include "MachineFieldChecks.h"
#include "SerialPortsWindow.h"
#include "app/AppState.h"
#include "app/MainWindow.h"
#include "app/Ribbon.h"
#include "app/WindowFactories.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/WindowRules.h"
#include "platform/ftp/FtpClient.h"
#include "platform/serial/NetworkSerialAddress.h"
#include "platform/serial/SerialDevices.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/SerialPortNames.h"
#include "transfer/ConnectingNotice.h"
#include "transfer/SerialTables.h"
#include "transfer/TransferErrors.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

std::function<std::optional<QString>()> TForm_Maquinas::listCursorMachineId;
std::function<void()> TForm_Maquinas::refreshMachineList;

namespace {

TForm_Maquinas *g_window = nullptr;
const QString NoReading = QStringLiteral("____________");

// The picture panel shows its caption above the machine picture.
class PicturePanel : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ title WRITE setTitle)
public:
    using QGroupBox::QGroupBox;
};

class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

QLabel *label(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QLineEdit *edit(QWidget *parent, const char *name)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    return e;
}

QComboBox *combo(QWidget *parent, const char *name, const QStringList &items = {})
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->addItems(items);
    return c;
}

// The communication test buttons size to their (long, translated) captions; the
// style's own hint leaves the text touching the frame.
class TestButton : public QPushButton
{
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override { return QPushButton::sizeHint() + QSize(24, 0); }
};

// The port list refreshes the devices its names stand for whenever it opens: an adapter may
// have been plugged in or out since.
class PortComboBox : public QComboBox
{
public:
    PortComboBox(QWidget *parent, std::function<void()> refresh) : QComboBox(parent), m_refresh(std::move(refresh)) {}
    void showPopup() override
    {
        m_refresh();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_refresh;
};

// Each entry of the port list shows its COM name, then, lined up in a column of their own,
// the device it stands for; the entry's own text (what is stored) stays the COM name.
class PortItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QString device = index.data(TForm_Maquinas::PortDeviceRole).toString();
        if (device.isEmpty())
            return;
        QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        text.setLeft(text.left() + deviceColumn(opt.fontMetrics));
        painter->save();
        painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, device);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString device = index.data(TForm_Maquinas::PortDeviceRole).toString();
        if (!device.isEmpty())
            size.rwidth() = qMax(size.width(), deviceColumn(option.fontMetrics) + option.fontMetrics.horizontalAdvance(device) + 24);
        return size;
    }

private:
    static int deviceColumn(const QFontMetrics &fm) { return fm.horizontalAdvance(QStringLiteral("COM12")) + 3 * fm.averageCharWidth(); }
};

QPixmap machinePicture(int number)
{
    if (number < 1 || number > 7)
        return QPixmap();
    return QPixmap(QStringLiteral(":/pictures/machine%1.png").arg(number));
}

QString quoted(const QString &before, const QString &value, const QString &after)
{
    return before + value + after;
}

} // namespace

TForm_Maquinas::TForm_Maquinas(QWidget *parent) : QDialog(parent)
{
    g_window = this;
    setObjectName(QStringLiteral("Form_Maquinas"));
    m_ftp = new FtpClient(this);
    m_port = new SerialPort(SerialSettings::registrationTestDesign(), this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    m_ribbon = new Ribbon(this);
    connect(m_ribbon, &Ribbon::helpRequested, this,
            [] { shell().openHelpPage(app().HelpDirectory + QStringLiteral("func04.html")); });
    layout->addWidget(m_ribbon);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 4, 10, 0);
    layout->addLayout(body, 1);

    auto *top = new QHBoxLayout;
    auto *data = new QGroupBox(this);
    data->setObjectName(QStringLiteral("GroupBox1"));
    auto *grid = new QGridLayout(data);
    grid->addWidget(label(data, "Label3"), 0, 0);
    grid->addWidget(edit(data, "Edit1"), 0, 1, 1, 2);
    grid->addWidget(label(data, "Label5"), 1, 0);
    grid->addWidget(edit(data, "Edit2"), 1, 1, 1, 2);
    grid->addWidget(label(data, "Label1"), 2, 0);
    auto *types = combo(data, "ComboBox1", {QString(), QString(), QString(), QString(), QString()});
    grid->addWidget(types, 2, 1, 1, 2);
    grid->addWidget(label(data, "Label2"), 3, 0);
    auto *pictures = combo(data, "ComboBox2", QStringList(8, QString()));
    grid->addWidget(pictures, 3, 1, 1, 2);
    grid->addWidget(label(data, "Label18"), 4, 0);
    QLineEdit *programs = edit(data, "Edit9");
    programs->setReadOnly(true);
    programs->setMinimumWidth(320);
    grid->addWidget(programs, 4, 1);
    auto *folder4 = new QToolButton(data);
    folder4->setObjectName(QStringLiteral("BitBtn4"));
    folder4->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    grid->addWidget(folder4, 4, 2);
    grid->setColumnStretch(1, 1);
    top->addWidget(data, 1);

    auto *picturePanel = new PicturePanel(this);
    picturePanel->setObjectName(QStringLiteral("Panel1"));
    auto *pictureLayout = new QVBoxLayout(picturePanel);
    auto *image = new QLabel(picturePanel);
    image->setObjectName(QStringLiteral("Image1"));
    image->setFixedSize(160, 160);
    image->setScaledContents(true);
    pictureLayout->addWidget(image, 0, Qt::AlignCenter);
    top->addWidget(picturePanel);
    body->addLayout(top);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    // Directory page.
    auto *dirPage = new QWidget(m_pages);
    dirPage->setObjectName(QStringLiteral("TabSheet1"));
    {
        auto *g = new QGridLayout(dirPage);
        g->addWidget(label(dirPage, "Label4"), 0, 0);
        QLineEdit *dir = edit(dirPage, "Edit3");
        dir->setReadOnly(true);
        g->addWidget(dir, 0, 1);
        auto *folder5 = new QToolButton(dirPage);
        folder5->setObjectName(QStringLiteral("BitBtn5"));
        folder5->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
        g->addWidget(folder5, 0, 2);
        auto *test = new TestButton(dirPage);
        test->setObjectName(QStringLiteral("Button3"));
        g->addWidget(test, 1, 1, 1, 2, Qt::AlignLeft);
        g->setRowStretch(2, 1);
        g->setColumnStretch(1, 1);
        connect(folder5, &QToolButton::clicked, this, &TForm_Maquinas::BitBtn5Click);
        connect(test, &QPushButton::clicked, this, &TForm_Maquinas::Button3Click);
    }
    m_pages->addTab(dirPage, QString());
    // FTP page.
    auto *ftpPage = new QWidget(m_pages);
    ftpPage->setObjectName(QStringLiteral("TabSheet2"));
    {
        auto *g = new QGridLayout(ftpPage);
        const struct { const char *label; const char *edit; } rows[] = {
            {"Label6", "Edit4"}, {"Label7", "Edit5"}, {"Label8", "Edit6"}, {"Label9", "Edit7"}, {"Label10", "Edit8"}};
        int r = 0;
        for (const auto &row : rows) {
            g->addWidget(label(ftpPage, row.label), r, 0);
            g->addWidget(edit(ftpPage, row.edit), r, 1);
            ++r;
        }
        // A password on a shop-floor screen is shown masked.
        control<QLineEdit>("Edit7")->setEchoMode(QLineEdit::Password);
        // Kept in Zavrin.ini beside the register (MachineOptions), not in the database.
        auto *verify = new QCheckBox(ftpPage);
        verify->setObjectName(QStringLiteral("CheckBoxVerify"));
        verify->setChecked(MachineOptions().verifyByReadBack);
        g->addWidget(verify, r++, 1);
        auto *test = new TestButton(ftpPage);
        test->setObjectName(QStringLiteral("Button1"));
        g->addWidget(test, r, 1, Qt::AlignLeft);
        g->setRowStretch(r + 1, 1);
        g->setColumnStretch(1, 1);
        connect(test, &QPushButton::clicked, this, &TForm_Maquinas::Button1Click);
    }
    m_pages->addTab(ftpPage, QString());
    // Serial page.
    auto *serialPage = new QWidget(m_pages);
    serialPage->setObjectName(QStringLiteral("TabSheet3"));
    {
        auto *h = new QHBoxLayout(serialPage);
        auto *g = new QGridLayout;
        const struct { const char *label; const char *combo; const QStringList &items; } rows[] = {
            {"Label11", "ComboBox3", SerialTables::portList()},
            {"Label12", "ComboBox4", SerialTables::speedList()},
            {"Label14", "ComboBox5", SerialTables::dataBitsList()},
            {"Label13", "ComboBox6", SerialTables::parityList()},
            {"Label15", "ComboBox7", SerialTables::stopBitsList()},
            {"Label16", "ComboBox8", SerialTables::flowList()},
        };
        int r = 0;
        for (const auto &row : rows) {
            g->addWidget(label(serialPage, row.label), r, 0);
            if (r == 0) {
                // The port list, with the device of the chosen name beside it and the
                // button to the window that sets the devices.
                auto *ports = new PortComboBox(serialPage, [this] { refreshPortDevices(); });
                ports->setObjectName(QLatin1String(row.combo));
                ports->addItems(row.items);
                ports->setItemDelegate(new PortItemDelegate(ports));
                auto *portRow = new QHBoxLayout;
                portRow->addWidget(ports, 1);
                auto *devices = new QPushButton(serialPage);
                devices->setObjectName(QStringLiteral("Button4"));
                devices->setVisible(SerialPortNames::mapsToDevices());
                portRow->addWidget(devices);
                g->addLayout(portRow, r, 1);
                m_portDevice = new QLabel(serialPage);
                m_portDevice->setObjectName(QStringLiteral("PortDevice"));
                m_portDevice->setTextFormat(Qt::PlainText);
                m_portDevice->setVisible(SerialPortNames::mapsToDevices());
                g->addWidget(m_portDevice, ++r, 1);
                connect(ports, &QComboBox::currentIndexChanged, this, &TForm_Maquinas::showPortDevice);
                connect(devices, &QPushButton::clicked, this, &TForm_Maquinas::Button4Click);
            } else {
                g->addWidget(combo(serialPage, row.combo, row.items), r, 1);
            }
            ++r;
        }
        auto *crlf = new QCheckBox(serialPage);
        crlf->setObjectName(QStringLiteral("CheckBox1"));
        crlf->hide();
        QLabel *crlfLabel = label(serialPage, "Label17");
        crlfLabel->hide();
        auto *test = new TestButton(serialPage);
        test->setObjectName(QStringLiteral("Button2"));
        g->addWidget(test, r, 1, Qt::AlignLeft);
        m_dncOptions = new DncOptionsBox(serialPage);
        g->addWidget(m_dncOptions, r + 1, 0, 1, 2);
        g->setRowStretch(r + 2, 1);
        // The captions keep their width and the lists take the rest, up to a gap
        // before the line readings.
        g->setColumnStretch(1, 1);
        h->addLayout(g, 1);
        h->addSpacing(24);
        auto *readings = new QGridLayout;
        const char *captions[] = {"Label19", "Label20", "Label21", "Label22",
                                  "Label23", "Label24", "Label25", "Label26"};
        r = 0;
        for (const char *caption : captions) {
            readings->addWidget(label(serialPage, caption), r, 0);
            auto *value = new QLabel(NoReading, serialPage);
            value->setObjectName(QStringLiteral("Reading%1").arg(r + 1));
            m_readings << value;
            readings->addWidget(value, r, 1);
            ++r;
        }
        readings->setRowStretch(r, 1);
        h->addLayout(readings);
        connect(test, &QPushButton::clicked, this, &TForm_Maquinas::Button2Click);
        connect(control<QComboBox>("ComboBox8"), qOverload<int>(&QComboBox::activated), this,
                &TForm_Maquinas::ComboBox8Change);
    }
    m_pages->addTab(serialPage, QString());
    body->addWidget(m_pages, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const char *name : {"BitBtn1", "BitBtn2", "BitBtn3"}) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setMinimumWidth(110);
        buttons->addWidget(b);
    }
    body->addLayout(buttons);

    connect(control<QPushButton>("BitBtn1"), &QPushButton::clicked, this, &TForm_Maquinas::BitBtn1Click);
    connect(control<QPushButton>("BitBtn2"), &QPushButton::clicked, this, &TForm_Maquinas::BitBtn2Click);
    connect(control<QPushButton>("BitBtn3"), &QPushButton::clicked, this, &TForm_Maquinas::BitBtn3Click);
    connect(folder4, &QToolButton::clicked, this, &TForm_Maquinas::BitBtn4Click);
    connect(types, qOverload<int>(&QComboBox::activated), this, &TForm_Maquinas::ComboBox1Change);
    connect(pictures, qOverload<int>(&QComboBox::activated), this, &TForm_Maquinas::ComboBox2Change);

    for (int i = 0; i < 3; ++i)
        m_pages->setTabVisible(i, false);
    resize(860, 620);
}

TForm_Maquinas::~TForm_Maquinas()
{
    if (g_window == this)
        g_window = nullptr;
}

TForm_Maquinas *TForm_Maquinas::instance() { return g_window; }

void TForm_Maquinas::resetReadings()
{
    for (QLabel *reading : m_readings)
        reading->setText(NoReading);
}

void TForm_Maquinas::FUNC_Limpar_Form_Maquinas()
{
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9"})
        control<QLineEdit>(name)->clear();
    for (int i = 0; i < 3; ++i)
        m_pages->setTabVisible(i, false);
    for (const char *name :
         {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6", "ComboBox7", "ComboBox8"})
        control<QComboBox>(name)->setCurrentIndex(0);
    resetReadings();
    control<QCheckBox>("CheckBox1")->setChecked(false);
    m_dncOptions->load(MachineOptions());
    control<QCheckBox>("CheckBoxVerify")->setChecked(MachineOptions().verifyByReadBack);
    control<QLabel>("Image1")->setPixmap(QPixmap());
}

void TForm_Maquinas::FUNC_Bloquear_Campos_Maquinas()
{
    for (const char *name : {"Edit1", "Edit2", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8"})
        control<QLineEdit>(name)->setReadOnly(true);
    for (const char *name :
         {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6", "ComboBox7", "ComboBox8"})
        control<QComboBox>(name)->setEnabled(false);
    control<QCheckBox>("CheckBox1")->setEnabled(false);
    m_dncOptions->setEditable(false);
    control<QCheckBox>("CheckBoxVerify")->setEnabled(false);
}

void TForm_Maquinas::FUNC_Liberar_Campos_Maquinas()
{
    for (const char *name : {"Edit1", "Edit2", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8"})
        control<QLineEdit>(name)->setReadOnly(false);
    for (const char *name :
         {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6", "ComboBox7", "ComboBox8"})
        control<QComboBox>(name)->setEnabled(true);
    control<QCheckBox>("CheckBox1")->setEnabled(true);
    m_dncOptions->setEditable(true);
    control<QCheckBox>("CheckBoxVerify")->setEnabled(true);
}

void TForm_Maquinas::refreshPortDevices()
{
    QComboBox *ports = control<QComboBox>("ComboBox3");
    for (int i = 0; i < ports->count(); ++i) {
        const QString name = ports->itemText(i);
        QString shown;
        if (!name.isEmpty() && SerialPortNames::mapsToDevices()) {
            const QString device = SerialPortNames::deviceFor(name);
            // A device server on the network is not looked for here; the port test reaches it.
            if (NetworkSerialAddress::looksLikeAddress(device))
                shown = device;
            else
                shown = Texts::extra(SerialDevices::exists(device) ? "Extra.SerialDevicePresent" : "Extra.SerialDeviceAbsent")
                        .arg(device);
        }
        ports->setItemData(i, shown, PortDeviceRole);
        ports->setItemData(i, shown.isEmpty() ? QVariant() : QVariant(shown), Qt::ToolTipRole);
    }
    // The open list is wide enough for the longest device (a by-id name is long).
    ports->view()->setMinimumWidth(ports->view()->sizeHintForColumn(0)
                                   + ports->view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    control<QPushButton>("Button4")->setText(Texts::extra("Extra.SerialPortsButton"));
    showPortDevice();
}

void TForm_Maquinas::showPortDevice()
{
    QComboBox *ports = control<QComboBox>("ComboBox3");
    m_portDevice->setText(ports->currentData(PortDeviceRole).toString());
}

void TForm_Maquinas::Button4Click()
{
    SerialPortsWindow window(m_deviceRoot, this);
    window.load(control<QComboBox>("ComboBox3")->currentText());
    WindowRules::centreOnScreen(&window);
    window.exec();
    refreshPortDevices();
}

void TForm_Maquinas::showEvent(QShowEvent *event)
{
    refreshPortDevices();
    QCheckBox *verify = control<QCheckBox>("CheckBoxVerify");
    verify->setText(Texts::extra("Extra.VerifyByReadBack"));
    verify->setToolTip(Texts::extra("Extra.VerifyByReadBackHint"));
    QDialog::showEvent(event);
}

void TForm_Maquinas::prepare(Mode mode)
{
    refreshPortDevices();
    control<QPushButton>("BitBtn1")->setEnabled(mode == Mode::Register);
    control<QPushButton>("BitBtn2")->setEnabled(mode == Mode::Edit);
    control<QPushButton>("BitBtn3")->setEnabled(true);
    control<QToolButton>("BitBtn4")->setEnabled(mode != Mode::View);
    FUNC_Limpar_Form_Maquinas();
    if (mode == Mode::View)
        FUNC_Bloquear_Campos_Maquinas();
    else
        FUNC_Liberar_Campos_Maquinas();
}

void TForm_Maquinas::SpeedButton5Click()
{
    prepare(Mode::Register);
    WindowRules::showModal(this, T("Form_Maquinas.Ribbon1"));
}

void TForm_Maquinas::openForMachine(Mode mode, const char *noRowKey, const char *captionKey)
{
    guarded([&] {
        const std::optional<QString> id = listCursorMachineId ? listCursorMachineId() : std::nullopt;
        if (!id)
            return; // the list is not open
        if (id->isEmpty()) {
            Msg::information(T(noRowKey));
            return;
        }
        prepare(mode);
        app().EditMachineId = *id;
        if (!FUNC_Listar_BD_Maquinas(app().EditMachineId)) {
            reportMachineGone();
            return;
        }
        WindowRules::showModal(this, T(captionKey));
    });
}

void TForm_Maquinas::SpeedButton6Click() { openForMachine(Mode::Edit, "Form_Main.MSG35", "Form_Main.MSG06"); }

void TForm_Maquinas::SpeedButton7Click() { openForMachine(Mode::View, "Form_Main.MSG36", "Form_Main.MSG07"); }

void TForm_Maquinas::reportMachineGone()
{
    Msg::error(Texts::extra("Extra.MachineGone"));
    if (refreshMachineList)
        refreshMachineList();
}

bool TForm_Maquinas::FUNC_Listar_BD_Maquinas(const QString &id)
{
    TDataModule1 &db = TDataModule1::instance();
    const std::optional<MachineRecord> m = db.loadMachine(id);
    if (!m)
        return false;
    m_loadedChanged = m->changed;
    control<QLineEdit>("Edit1")->setText(m->number);
    control<QLineEdit>("Edit2")->setText(m->description);
    const int position = MachineFieldChecks::transferTypePosition(m->transferType);
    if (position > 0)
        control<QComboBox>("ComboBox1")->setCurrentIndex(position);
    if (position == 1 || position == 2) {
        control<QLineEdit>("Edit3")->setText(db.loadPathParameters(id).directory);
    } else if (position == 3) {
        const FtpParameters p = db.loadFtpParameters(id);
        control<QLineEdit>("Edit4")->setText(p.host);
        control<QLineEdit>("Edit5")->setText(p.port);
        control<QLineEdit>("Edit6")->setText(p.user);
        control<QLineEdit>("Edit7")->setText(p.password);
        control<QLineEdit>("Edit8")->setText(p.directory);
        control<QCheckBox>("CheckBoxVerify")
            ->setChecked(MachineOptions::read(app().mainSettingsPath(), id).verifyByReadBack);
    } else if (position == 4) {
        const SerialParameters p = db.loadSerialParameters(id);
        // A port name not in the list leaves the list without a choice.
        control<QComboBox>("ComboBox3")->setCurrentIndex(p.port.isEmpty() ? 0 : SerialTables::portList().indexOf(p.port));
        const struct { const char *name; int code; } lists[] = {{"ComboBox4", p.speed}, {"ComboBox5", p.dataBits},
                                                               {"ComboBox6", p.parity}, {"ComboBox7", p.stopBits},
                                                               {"ComboBox8", p.flow}};
        for (const auto &l : lists) {
            QComboBox *c = control<QComboBox>(l.name);
            c->setCurrentIndex(l.code >= 0 && l.code < c->count() ? l.code : -1);
        }
        control<QCheckBox>("CheckBox1")->setChecked(p.crLf != 0);
        ComboBox8Change();
        m_dncOptions->load(MachineOptions::read(app().mainSettingsPath(), id));
    }
    const int picture = m->pictureId.toInt();
    control<QComboBox>("ComboBox2")->setCurrentIndex(picture >= 0 && picture <= 7 ? picture : -1);
    control<QLineEdit>("Edit9")->setText(m->programDirectory);
    ComboBox1Change();
    ComboBox2Change();
    return true;
}

QString TForm_Maquinas::machineDirectoryCaption() const { return QString(); }

void TForm_Maquinas::ComboBox1Change()
{
    const int position = control<QComboBox>("ComboBox1")->currentIndex();
    for (int i = 0; i < 3; ++i)
        m_pages->setTabVisible(i, false);
    QWidget *dirPage = control<QWidget>("TabSheet1");
    switch (position) {
    case 1:
        m_pages->setTabText(m_pages->indexOf(dirPage), T("Form_Maquinas.TabSheet1"));
        break;
    case 2:
        m_pages->setTabText(m_pages->indexOf(dirPage), T("Form_Maquinas.MSG01"));
        break;
    default:
        break;
    }
    const QString word = MachineFieldChecks::transferTypeWord(position);
    if (word.isEmpty())
        return;
    ChosenTransferType = word;
    const int page = position <= 2 ? 0 : position - 2;
    m_pages->setTabVisible(page, true);
    m_pages->setCurrentIndex(page);
}

void TForm_Maquinas::ComboBox2Change()
{
    control<QLabel>("Image1")->setPixmap(machinePicture(control<QComboBox>("ComboBox2")->currentIndex()));
}

void TForm_Maquinas::ComboBox8Change() { resetReadings(); }

void TForm_Maquinas::FUNC_Verifica_Campos()
{
    MachineFieldChecks::Fields f;
    f.number = control<QLineEdit>("Edit1")->text();
    f.description = control<QLineEdit>("Edit2")->text();
    f.picture = qMax(0, control<QComboBox>("ComboBox2")->currentIndex());
    f.programDirectory = control<QLineEdit>("Edit9")->text();
    f.transferType = qMax(0, control<QComboBox>("ComboBox1")->currentIndex());
    f.directory = control<QLineEdit>("Edit3")->text();
    f.host = control<QLineEdit>("Edit4")->text();
    f.port = control<QLineEdit>("Edit5")->text();
    f.user = control<QLineEdit>("Edit6")->text();
    f.password = control<QLineEdit>("Edit7")->text();
    f.ftpDirectory = control<QLineEdit>("Edit8")->text();
    f.comPort = control<QComboBox>("ComboBox3")->currentText();
    f.speed = control<QComboBox>("ComboBox4")->currentText();
    f.dataBits = control<QComboBox>("ComboBox5")->currentText();
    f.parity = control<QComboBox>("ComboBox6")->currentText();
    f.stopBits = control<QComboBox>("ComboBox7")->currentText();
    f.flow = control<QComboBox>("ComboBox8")->currentText();
    const MachineFieldChecks::Failure failure = MachineFieldChecks::FUNC_Verifica_Campos(f);
    FieldCheckMessage = failure.messageKey.isEmpty() ? QString() : Texts::text(failure.messageKey);
    if (!failure.control.isEmpty()) {
        if (QWidget *w = findChild<QWidget *>(failure.control)) {
            if (w->parentWidget() && m_pages->indexOf(w->parentWidget()) >= 0)
                m_pages->setCurrentWidget(w->parentWidget());
            w->setFocus();
        }
    }
}

void TForm_Maquinas::FUNC_Cad_Dados_Path(const QString &id)
{
    TDataModule1::instance().insertPathParameters(id, {control<QLineEdit>("Edit3")->text()});
}

FtpParameters TForm_Maquinas::ftpParameters() const
{
    return {control<QLineEdit>("Edit8")->text(), control<QLineEdit>("Edit4")->text(), control<QLineEdit>("Edit6")->text(),
            control<QLineEdit>("Edit7")->text(), control<QLineEdit>("Edit5")->text()};
}

void TForm_Maquinas::FUNC_Cad_Dados_FTP(const QString &id)
{
    TDataModule1::instance().insertFtpParameters(id, ftpParameters());
    writeFtpOptions(id);
}

// The machine is saved either way: a settings file that refuses the write is told, and
// the machine keeps its earlier options.
void TForm_Maquinas::writeFtpOptions(const QString &id)
{
    MachineOptions options = MachineOptions::read(app().mainSettingsPath(), id);
    options.verifyByReadBack = control<QCheckBox>("CheckBoxVerify")->isChecked();
    QString error;
    if (!options.write(app().mainSettingsPath(), id, &error))
        dialogs().errorBox(error);
}

namespace {
SerialParameters serialParameters(const TForm_Maquinas *w)
{
    auto position = [w](const char *name) { return qMax(0, w->findChild<QComboBox *>(QLatin1String(name))->currentIndex()); };
    SerialParameters p;
    p.speed = position("ComboBox4");
    p.dataBits = position("ComboBox5");
    p.parity = position("ComboBox6");
    p.stopBits = position("ComboBox7");
    p.crLf = w->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->isChecked() ? 1 : 0;
    p.flow = position("ComboBox8");
    p.port = w->findChild<QComboBox *>(QStringLiteral("ComboBox3"))->currentText();
    return p;
}
} // namespace

void TForm_Maquinas::FUNC_Cad_Dados_SERIAL232(const QString &id)
{
    TDataModule1::instance().insertSerialParameters(id, serialParameters(this));
}

void TForm_Maquinas::FUNC_Edit_Dados_Path(const QString &id)
{
    TDataModule1::instance().updatePathParameters(id, {control<QLineEdit>("Edit3")->text()});
}

void TForm_Maquinas::FUNC_Edit_Dados_FTP(const QString &id)
{
    TDataModule1::instance().updateFtpParameters(id, ftpParameters());
    writeFtpOptions(id);
}

void TForm_Maquinas::FUNC_Edit_Dados_SERIAL232(const QString &id)
{
    TDataModule1::instance().updateSerialParameters(id, serialParameters(this));
}

void TForm_Maquinas::BitBtn1Click()
{
    BusyCursor busy;
    FUNC_Verifica_Campos();
    if (!FieldCheckMessage.isEmpty()) {
        Msg::information(T("Form_Maquinas.MSG21") + FieldCheckMessage);
        return;
    }
    if (!checkDncOptions())
        return;
    guarded([this] {
        MachineRecord m;
        m.number = control<QLineEdit>("Edit1")->text().trimmed();
        m.description = control<QLineEdit>("Edit2")->text().trimmed();
        m.transferType = ChosenTransferType.trimmed();
        m.pictureId = QString::number(control<QComboBox>("ComboBox2")->currentIndex());
        m.programDirectory = control<QLineEdit>("Edit9")->text().trimmed();
        app().EditMachineId = TDataModule1::instance().insertMachine(m);
        const QString &id = app().EditMachineId;
        if (ChosenTransferType == TransferType::DirLocal || ChosenTransferType == TransferType::DirRede
            || ChosenTransferType == TransferType::DirNet)
            FUNC_Cad_Dados_Path(id);
        else if (ChosenTransferType == TransferType::Ftp)
            FUNC_Cad_Dados_FTP(id);
        else if (ChosenTransferType == TransferType::Serial)
            FUNC_Cad_Dados_SERIAL232(id);
        writeDncOptions(id);
        Msg::information(quoted(T("Form_Maquinas.MSG19"), control<QLineEdit>("Edit2")->text(),
                                T("Form_Maquinas.MSG20")));
        accept();
        if (refreshMachineList)
            refreshMachineList();
    });
}

void TForm_Maquinas::BitBtn2Click()
{
    BusyCursor busy;
    FUNC_Verifica_Campos();
    if (!FieldCheckMessage.isEmpty()) {
        Msg::information(T("Form_Maquinas.MSG21") + FieldCheckMessage);
        return;
    }
    if (!checkDncOptions())
        return;
    guarded([this] {
        TDataModule1 &db = TDataModule1::instance();
        const QString id = app().EditMachineId;
        MachineRecord m;
        m.id = id;
        m.number = control<QLineEdit>("Edit1")->text();
        m.description = control<QLineEdit>("Edit2")->text();
        m.transferType = ChosenTransferType;
        m.pictureId = QString::number(control<QComboBox>("ComboBox2")->currentIndex());
        m.programDirectory = control<QLineEdit>("Edit9")->text();
        m.changed = m_loadedChanged;
        // Written only over the version loaded here; another workstation's change
        // since then is the user's to decide on, never overwritten silently.
        for (;;) {
            const TDataModule1::UpdateOutcome outcome = db.updateMachineIfUnchanged(m);
            if (outcome == TDataModule1::UpdateOutcome::Updated)
                break;
            if (outcome == TDataModule1::UpdateOutcome::Gone) {
                reportMachineGone();
                return;
            }
            const Dialogs::Button answer = dialogs().message(
                Dialogs::Icon::Question,
                Texts::extra("Extra.MachineChangedElsewhere").arg(control<QLineEdit>("Edit2")->text()),
                Dialogs::Yes | Dialogs::No | Dialogs::Cancel, Dialogs::Cancel);
            if (answer == Dialogs::Yes) {
                // The other workstation's values, to edit further or to cancel.
                FUNC_Limpar_Form_Maquinas();
                if (!FUNC_Listar_BD_Maquinas(id))
                    reportMachineGone();
                return;
            }
            if (answer != Dialogs::No)
                return; // back to editing, nothing written
            const std::optional<MachineRecord> current = db.loadMachine(id);
            if (!current) {
                reportMachineGone();
                return;
            }
            m.changed = current->changed;
        }
        const QString table = TransferType::parameterTable(ChosenTransferType);
        const bool exists = db.hasParameterRow(table, id);
        if (table == QLatin1String("ZVRD_PATH"))
            exists ? FUNC_Edit_Dados_Path(id) : FUNC_Cad_Dados_Path(id);
        else if (table == QLatin1String("ZVRD_FTP"))
            exists ? FUNC_Edit_Dados_FTP(id) : FUNC_Cad_Dados_FTP(id);
        else if (table == QLatin1String("ZVRD_SERIAL"))
            exists ? FUNC_Edit_Dados_SERIAL232(id) : FUNC_Cad_Dados_SERIAL232(id);
        writeDncOptions(id);
        Msg::information(quoted(T("Form_Maquinas.MSG22"), control<QLineEdit>("Edit2")->text(),
                                T("Form_Maquinas.MSG23")));
        accept();
        if (refreshMachineList)
            refreshMachineList();
    });
}

bool TForm_Maquinas::checkDncOptions()
{
    if (ChosenTransferType != TransferType::Serial)
        return true;
    const QString problem = m_dncOptions->problem();
    if (problem.isEmpty())
        return true;
    m_pages->setCurrentWidget(control<QWidget>("TabSheet3"));
    m_dncOptions->problem(); // the focus, now that the page is shown
    Msg::error(problem);
    return false;
}

void TForm_Maquinas::writeDncOptions(const QString &id)
{
    if (ChosenTransferType != TransferType::Serial || id.isEmpty())
        return;
    // Options that this page does not show keep their values.
    const QString ini = app().mainSettingsPath();
    const MachineOptions options = m_dncOptions->apply(MachineOptions::read(ini, id));
    QString error;
    if (!options.write(ini, id, &error))
        Msg::error(Texts::extra("Extra.DncOptionsNotSaved").arg(error));
}

void TForm_Maquinas::BitBtn3Click() { reject(); }

void TForm_Maquinas::pickFolder(QLineEdit *field)
{
    const QString start = field->text().isEmpty() ? QDir::homePath() : field->text();
    QString chosen = dialogs().pickFolder(this, QString(), start).trimmed();
    if (chosen.isEmpty())
        return;
    field->setText(Paths::withTrailingSeparator(chosen));
}

void TForm_Maquinas::BitBtn4Click() { pickFolder(control<QLineEdit>("Edit9")); }

void TForm_Maquinas::BitBtn5Click() { pickFolder(control<QLineEdit>("Edit3")); }

void TForm_Maquinas::runTest(QPushButton *button, const std::function<void()> &test)
{
    button->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
    test();
    button->setEnabled(true);
    QApplication::restoreOverrideCursor();
    QApplication::processEvents();
}

void TForm_Maquinas::Button3Click()
{
    const QString dir = control<QLineEdit>("Edit3")->text().trimmed();
    if (dir.isEmpty())
        return;
    runTest(control<QPushButton>("Button3"), [&] {
        const QString shown = control<QLineEdit>("Edit3")->text();
        if (QFileInfo(dir).isDir())
            Msg::information(T("Form_Maquinas.MSG32") + shown + T("Form_Maquinas.MSG33"));
        else
            Msg::error(T("Form_Maquinas.MSG34") + shown + QStringLiteral("\".") + QLatin1Char('\r')
                       + T("Form_Maquinas.MSG35"));
    });
}

void TForm_Maquinas::Button1Click()
{
    for (const char *name : {"Edit4", "Edit5", "Edit6", "Edit7", "Edit8"}) {
        QLineEdit *e = control<QLineEdit>(name);
        if (e->text().trimmed().isEmpty()) {
            m_pages->setCurrentWidget(control<QWidget>("TabSheet2"));
            e->setFocus();
            return;
        }
    }
    runTest(control<QPushButton>("Button1"), [this] {
        const QString place = control<QLineEdit>("Edit4")->text() + control<QLineEdit>("Edit8")->text();
        const QString server = TransferErrors::ftpPlace(control<QLineEdit>("Edit4")->text(),
                                                        control<QLineEdit>("Edit5")->text());
        try {
            m_ftp->setUser(control<QLineEdit>("Edit6")->text().trimmed());
            m_ftp->setPassword(control<QLineEdit>("Edit7")->text().trimmed());
            m_ftp->setHost(control<QLineEdit>("Edit4")->text().trimmed());
            m_ftp->setPort(FtpClient::portFromText(control<QLineEdit>("Edit5")->text().trimmed()));
            {
                ConnectingNotice notice(this, server, [this] { m_ftp->abort(); });
                m_ftp->connectToHost();
            }
            m_ftp->changeDir(control<QLineEdit>("Edit8")->text().trimmed());
            Msg::information(T("Form_Maquinas.MSG24") + place + T("Form_Maquinas.MSG25"));
        } catch (const FtpAborted &) {
            Msg::information(T("Shared.MSG05"));
        } catch (const Error &e) {
            // The fixed message, then why in the operator's terms, with the client's own text.
            Msg::error(T("Form_Maquinas.MSG26") + place + QStringLiteral("\".") + QLatin1Char('\r')
                       + T("Form_Maquinas.MSG27") + QLatin1Char('\r') + TransferErrors::ftpReason(e, server));
        }
        try {
            m_ftp->disconnectFromHost();
        } catch (const Error &) {
        }
    });
}

void TForm_Maquinas::Button2Click()
{
    for (const char *name : {"ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6", "ComboBox7", "ComboBox8"}) {
        QComboBox *c = control<QComboBox>(name);
        if (c->currentText().trimmed().isEmpty()) {
            m_pages->setCurrentWidget(control<QWidget>("TabSheet3"));
            c->setFocus();
            return;
        }
    }
    runTest(control<QPushButton>("Button2"), [this] {
        const SerialParameters p = serialParameters(this);
        SerialSettings settings = m_port->settings();
        SerialTables::SerialFieldTexts texts;
        SerialTables::PARAM_serial_Enviar(SerialTables::SerialCodes::fromParameters(p), settings, texts);
        const QString port = p.port;
        const PortHandover::Scope borrowed(port); // automatic receive lets go of it meanwhile
        try {
            m_port->setSettings(settings);
            m_port->open();
            const SerialSettings &s = m_port->settings();
            const QString values[] = {SerialTables::dtrControlReading(s.dtrControl),
                                      SerialTables::rtsControlReading(s.rtsControl),
                                      SerialTables::flagReading(s.ctsOutputFlow),
                                      SerialTables::flagReading(s.dsrOutputFlow),
                                      SerialTables::flagReading(s.dsrSensitivity),
                                      SerialTables::flagReading(s.xonXoffOut),
                                      SerialTables::characterReading(s.xonChar),
                                      SerialTables::characterReading(s.xoffChar)};
            for (int i = 0; i < m_readings.size(); ++i)
                m_readings.at(i)->setText(values[i]);
            Msg::information(T("Form_Maquinas.MSG28") + port + T("Form_Maquinas.MSG29"));
        } catch (const SerialPortOpenError &e) {
            Msg::error(T("Form_Maquinas.MSG30") + port + QStringLiteral("\".") + QLatin1Char('\r')
                       + T("Form_Maquinas.MSG31") + QLatin1Char('\r') + TransferErrors::serialOpenReason(e));
        } catch (const Error &e) {
            // A setting the device refused: the port's text names the port and its device.
            Msg::error(T("Form_Maquinas.MSG30") + port + QStringLiteral("\".") + QLatin1Char('\r')
                       + T("Form_Maquinas.MSG31") + QLatin1Char('\r') + e.message());
        }
        m_port->close();
    });
}

QWidget *createForm_Maquinas() { return new TForm_Maquinas; }

void installRegistrationCommands(TForm_Main *main)
{
    TForm_Maquinas *w = TForm_Maquinas::instance();
    if (!w)
        return;
    QObject::connect(main->findChild<QToolButton *>(QStringLiteral("SpeedButton5")), &QToolButton::clicked, w,
                     &TForm_Maquinas::SpeedButton5Click);
    QObject::connect(main->findChild<QToolButton *>(QStringLiteral("SpeedButton6")), &QToolButton::clicked, w,
                     &TForm_Maquinas::SpeedButton6Click);
    QObject::connect(main->findChild<QToolButton *>(QStringLiteral("SpeedButton7")), &QToolButton::clicked, w,
                     &TForm_Maquinas::SpeedButton7Click);
}

#include "MachinesWindow.moc"
