#include "TransferValues.h"

SerialTables::SerialCodes TransferValues::serialCodes() const
{
    SerialTables::SerialCodes c;
    c.portName = SerialPortName;
    c.speed = SerialSpeedCode;
    c.dataBits = SerialDataBitsCode;
    c.parity = SerialParityCode;
    c.stopBits = SerialStopBitsCode;
    c.flow = SerialFlowCode;
    return c;
}

TransferValues &transferValues()
{
    static TransferValues values;
    return values;
}
