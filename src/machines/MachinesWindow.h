#pragma once

#include "MachineRecord.h"

#include <QDialog>
#include <QVariant>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class Ribbon;
class DncOptionsBox;
class FtpClient;
class SerialPort;
class TForm_Main;

// Registration of a machine: its data, its transfer type with that type's
// parameters, the field checks, and a communication test for each type.
class TForm_Maquinas : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Register, Edit, View };

    explicit TForm_Maquinas(QWidget *parent = nullptr);
    ~TForm_Maquinas() override;

    static TForm_Maquinas *instance();

    // The opening commands of the "Machines" page ("Register", "Edit", "View").
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    // Prepares the window for a mode (buttons, clear, fields) without showing it.
    void prepare(Mode mode);

    void FUNC_Limpar_Form_Maquinas();
    void FUNC_Bloquear_Campos_Maquinas();
    void FUNC_Liberar_Campos_Maquinas();
    // Loads a machine and its parameter row into the fields; throws on a database
    // failure. False, leaving the fields as they were, when no machine has that id.
    bool FUNC_Listar_BD_Maquinas(const QString &id);
    // Runs the checks; sets FieldCheckMessage and focuses the failing control.
    void FUNC_Verifica_Campos();

    void FUNC_Cad_Dados_Path(const QString &id);
    void FUNC_Cad_Dados_FTP(const QString &id);
    void writeFtpOptions(const QString &id);
    void FUNC_Cad_Dados_SERIAL232(const QString &id);
    void FUNC_Edit_Dados_Path(const QString &id);
    void FUNC_Edit_Dados_FTP(const QString &id);
    void FUNC_Edit_Dados_SERIAL232(const QString &id);

    // Handlers.
    void BitBtn1Click(); // Register
    void BitBtn2Click(); // Change
    void BitBtn3Click(); // Cancel
    void BitBtn4Click(); // program directory folder
    void BitBtn5Click(); // machine directory folder
    void Button1Click(); // FTP test
    void Button2Click(); // serial test
    void Button3Click(); // directory test
    void Button4Click(); // devices of the serial ports
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox8Change();

    QString ChosenTransferType;
    QString FieldCheckMessage;

    // The machine under the main window's list cursor: nullopt when the list is
    // not open, an empty text when no row is under the cursor. Set by the list.
    static std::function<std::optional<QString>()> listCursorMachineId;
    // Called after a successful Register or Change to refresh the machine list.
    static std::function<void()> refreshMachineList;

    // The port list's entries carry the device their COM name stands for, with whether it
    // exists, as a text under this role.
    static constexpr int PortDeviceRole = Qt::UserRole + 1;
    // Reads the devices of the port list's names again (Zavrin.ini and the system).
    void refreshPortDevices();
    // The folder whose serial devices the devices window lists (/dev unless set).
    void setSerialDeviceRoot(const QString &root) { m_deviceRoot = root; }

    FtpClient *ftpClient() const { return m_ftp; }
    SerialPort *serialPort() const { return m_port; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showPortDevice();
    template <typename T> T *control(const char *name) const { return findChild<T *>(QLatin1String(name)); }
    // The FTP page's fields in the order the parameter row takes them.
    FtpParameters ftpParameters() const;
    void openForMachine(Mode mode, const char *noRowKey, const char *captionKey);
    void resetReadings();
    void pickFolder(QLineEdit *field);
    QString machineDirectoryCaption() const;
    void runTest(QPushButton *button, const std::function<void()> &test);
    // The machine was deleted meanwhile (on another workstation): say so and show
    // the list without it.
    void reportMachineGone();

    Ribbon *m_ribbon;
    QTabWidget *m_pages;
    QList<QLabel *> m_readings;
    FtpClient *m_ftp;
    SerialPort *m_port;
    QLabel *m_portDevice = nullptr;
    // Automatic receive settings of a serial machine, written beside it in Zavrin.ini.
    DncOptionsBox *m_dncOptions = nullptr;
    bool checkDncOptions();
    void writeDncOptions(const QString &id);
    QString m_deviceRoot = QStringLiteral("/dev");
    // DATA_ALTERACAO of the machine as loaded: "Ch&ange" writes only over that
    // version, so that another workstation's change in between is never lost.
    QVariant m_loadedChanged;
};

// Wires "Register", "Edit" and "View" of the "Machines" page.
void installRegistrationCommands(TForm_Main *main);
