#pragma once

// Qt
#include <QString>

#include "firmwareformat.h"

namespace Firmware {

// The firmware's settings as a value: what the wizard's pages and brindle-cli edit, and what a
// description of the settings shows. The record (CFirmwareRecord) is one of these plus the image
// it was loaded from; pages, tests and the command line copy and compare whole values.
struct Settings {
    // The monitor's UART.
    int m_nBaudRate = kDefaultBaudRate;
    int m_nStopBits = 1;
    int m_nDataBits = 8;
    int m_nParity = 0;       // 0 none, 1 odd, 2 even
    int m_nFlowControl = 0;  // 0 none, 1 CTS/RTS, 2 DTR/DSR, 3 XON/XOFF, 4 unknown (written back as it was)

    // The USB slave identity (QSOL).
    int m_nVendorId = 0;
    int m_nProductId = 0;

    // The option byte.
    bool m_bDisableUpgrades = false;
    bool m_bHideConnects = false;
    bool m_bDisableDataMode = false;
    bool m_bDisableStatusInfo = false;
    bool m_bHideVersionReport = false;
    bool m_bHidePrompt = false;

    // The init byte.
    bool m_bDisableLedFlash = false;
    bool m_bShortCommandSet = false;
    bool m_bAsciiInput = false;

    // Texts.
    QString m_strVersion;
    QString m_strVersionCode;
    QString m_strManufacturer;
    QString m_strProduct;
    QString m_strString3;
    QString m_strDirPrefix;

    // What the file is, and what its image has room for: the USB IDs (an image with a device
    // descriptor) and the three USB strings (one with string descriptors), for QSOL firmware.
    int m_nFileKind = KindRom;
    int m_nCodeType = CodeRomImage;
    int m_nFirmwareType = TypeNone;
    bool m_bHasUsbIds = false;
    bool m_bHasUsbStrings = false;

    bool operator==(const Settings &) const = default;
};

}  // namespace Firmware
