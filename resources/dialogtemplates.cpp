// The program's dialog templates: every control with its id, kind, caption, position and size
// in dialog units (x, y, w, h) and style, in tab order.

#include "resources/dialogtemplates.h"

// Std
#include <array>

#include "brindle_version.h"
#include "firmware/settingstext.h"
#include "resources/resourceids.h"

namespace {

using K = ControlKind;

constexpr unsigned kEdit = StyleBorder | StyleTabStop | StyleAutoHScroll;
constexpr unsigned kCombo = StyleTabStop | StyleVScroll;

// 100: About box, its lines in the order they stand on screen.
constexpr ControlTemplate kAbout[] = {
    {kNoId, K::Icon, kIconPath, 6, 6, 20, 20, StyleNone},
    {AboutIds::Product, K::Static, "Norvale Firmware Customiser Version " BRINDLE_DISPLAY_VERSION, 36, 6, 222, 24,
     StyleNoPrefix | StyleGroup},
    // The notice and the maker line read as one sentence, the maker's name once.
    {AboutIds::Notice, K::Static, "Copyright (C) 2026", 36, 30, 222, 8, StyleGroup},
    {AboutIds::Company, K::Static, "The Brindle developers", 36, 42, 222, 8, StyleNoPrefix | StyleGroup},
    {AboutIds::Ok, K::DefPushButton, "OK", 204, 54, 50, 16, StyleTabStop | StyleGroup},
};

// 102: the wizard.
constexpr ControlTemplate kWizard[] = {
    {WizardIds::Logo, K::Picture, kLogoPath, 6, 6, 100, 55, StyleNotify | StyleTransparent},
    {WizardIds::Title, K::Static, "Static", 114, 6, 180, 18, StyleGroup},
    {WizardIds::Description, K::Static, "Static", 114, 24, 204, 36, StyleNone},
    {WizardIds::Counter, K::Static, "x/x", 288, 6, 25, 8, StyleRight | StyleTransparent},
    {WizardIds::Steps, K::TabControl, "", 6, 66, 306, 108, StyleHidden},
    {WizardIds::Back, K::PushButton, kBackCaption, 150, 180, 50, 14, StyleDisabled | StyleTabStop},
    {WizardIds::Next, K::PushButton, kNextCaption, 204, 180, 50, 14, StyleDisabled | StyleTabStop},
    {WizardIds::Cancel, K::PushButton, "Cancel", 258, 180, 50, 14, StyleTabStop},
    {WizardIds::WebSite, K::Static, "Static", 6, 180, 138, 12, StyleTabStop},
};

// 136: file page.
constexpr ControlTemplate kFilePage[] = {
    {FileIds::Path, K::Edit, "", 30, 24, 174, 14, kEdit},
    {FileIds::Browse, K::PushButton, "Browse...", 210, 24, 50, 14, StyleTabStop},
    // Why "File Open" cannot go on with the path in the box; empty while it can.
    {FileIds::Reason, K::Static, "", 30, 42, 230, 20, StyleWordWrap},
};

// 137: UART settings page. Each label comes before the input it names.
constexpr ControlTemplate kBaudPage[] = {
    {kNoId, K::Static, "Baud Rate:", 66, 12, 66, 8, StyleNone},
    {BaudIds::BaudRate, K::ComboBox, "", 150, 12, 48, 30, kCombo},
    {kNoId, K::Static, "Data Bits:", 66, 30, 66, 8, StyleNone},
    {BaudIds::SevenBits, K::RadioButton, "7 Bits", 204, 30, 33, 10, StyleGroup},
    {BaudIds::EightBits, K::RadioButton, "8 Bits", 150, 30, 33, 10, StyleNone},
    {kNoId, K::Static, "Stop Bits:", 66, 48, 66, 8, StyleNone},
    {BaudIds::OneStopBit, K::RadioButton, "1 Bit", 150, 48, 33, 10, StyleGroup},
    {BaudIds::TwoStopBits, K::RadioButton, "2 Bits", 204, 48, 33, 10, StyleNone},
    {kNoId, K::Static, "Parity:", 66, 66, 66, 8, StyleNone},
    {BaudIds::Parity, K::ComboBox, "", 150, 66, 48, 30, kCombo},
    {kNoId, K::Static, "Flow Control:", 66, 84, 66, 8, StyleNone},
    {BaudIds::FlowControl, K::ComboBox, "", 150, 84, 48, 30, kCombo},
};

// 138: firmware options page, in screen order from top to bottom.
constexpr ControlTemplate kPromptPage[] = {
    {PromptIds::ShowPrompt, K::CheckBox, "Show Prompt", 90, 12, 120, 8, StyleTabStop},
    {PromptIds::ShowDeviceConnects, K::CheckBox, "Show Device Connects/Removals", 90, 24, 122, 10, StyleTabStop},
    {PromptIds::ShowVersionReport, K::CheckBox, "Show Version Report at startup", 90, 36, 145, 8, StyleTabStop},
    {PromptIds::DisableDataMode, K::CheckBox, "Disable Data Mode", 90, 48, 75, 10, StyleTabStop},
    {PromptIds::DisableUpgrades, K::CheckBox, "Disable Firmware Upgrades", 90, 60, 103, 10, StyleTabStop},
    {PromptIds::DisableStatusInfo, K::CheckBox, "Disable Sonette Status Information", 90, 72, 124, 10, StyleTabStop},
};

// 139: USB slave page.
constexpr ControlTemplate kUsbPage[] = {
    {kNoId, K::Static, "Vendor ID (Default is 2B3F):", 72, 12, 108, 8, StyleNone},
    {UsbIds::VendorId, K::Edit, "", 180, 12, 40, 14, kEdit},
    {kNoId, K::Static, "Product ID (Default is 5C10):", 72, 30, 108, 8, StyleNone},
    {UsbIds::ProductId, K::Edit, "", 180, 30, 40, 14, kEdit},
    {kNoId, K::Static, "Manufacturer String:", 72, 48, 108, 8, StyleNone},
    {UsbIds::Manufacturer, K::Edit, "", 180, 48, 78, 14, kEdit},
    {kNoId, K::Static, "Product String:", 72, 66, 108, 8, StyleNone},
    {UsbIds::Product, K::Edit, "", 180, 66, 78, 14, kEdit},
    {UsbIds::Reason, K::Static, "", 72, 84, 186, 20, StyleWordWrap},
};

// 140: summary page.
constexpr ControlTemplate kSummaryPage[] = {
    {kNoId, K::Static, "Firmware Version:", 12, 6, 58, 8, StyleGroup},
    {SummaryIds::FwVersion, K::Static, "", 102, 6, 156, 8, StyleGroup},
    {kNoId, K::Static, "Firmware Type:", 12, 18, 51, 8, StyleGroup},
    {SummaryIds::FwType, K::Static, "", 102, 18, 198, 8, StyleGroup},
    {kNoId, K::Static, "Default Monitor Settings:", 12, 30, 81, 8, StyleGroup},
    {SummaryIds::Monitor, K::Static, "", 102, 30, 198, 8, StyleGroup},
    {kNoId, K::Static, "Initial Mode:", 12, 42, 40, 8, StyleGroup},
    {SummaryIds::InitMode, K::Static, "", 102, 42, 198, 12, StyleGroup},
    {kNoId, K::Static, "Options:", 12, 54, 28, 8, StyleGroup},
    {SummaryIds::Options, K::Static, "", 102, 54, 198, 24, StyleGroup},
    // The rows that only some firmware types have, shown for those: the USB identity of QSOL
    // firmware, or the target directory prefix of QWEX and QJ4J firmware in the same place.
    // The vendor and product ID are one text ("0x2b3f/0x5c10"), read and selected as one.
    {kNoId, K::Static, SettingsText::kUsbIdsHeading, 12, 82, 82, 8, StyleGroup | StyleHidden},
    {SummaryIds::Vid, K::Static, "", 102, 82, 198, 8, StyleGroup | StyleHidden},
    {kNoId, K::Static, SettingsText::kUsbStringsHeading, 12, 94, 82, 8, StyleGroup | StyleHidden},
    {SummaryIds::UsbStrings, K::Static, "", 102, 94, 198, 8, StyleGroup | StyleHidden},
    {kNoId, K::Static, SettingsText::kDirPrefixHeading, 12, 82, 88, 8, StyleGroup | StyleHidden},
    {SummaryIds::DirPrefix, K::Static, "", 102, 82, 198, 8, StyleGroup | StyleHidden},
    {SummaryIds::Copy, K::PushButton, "Copy", 264, 0, 38, 14, StyleTabStop},
};

// 141: initialisation page.
constexpr ControlTemplate kInitPage[] = {
    {kNoId, K::Static, "Input Mode:", 60, 18, 48, 8, StyleGroup},
    {InitIds::AsciiInput, K::RadioButton, "IPA Mode (ASCII)", 126, 30, 73, 10, StyleGroup},
    {InitIds::BinaryInput, K::RadioButton, "IPH Mode (binary)", 126, 18, 74, 10, StyleNone},
    {kNoId, K::Static, "Command Mode:", 60, 48, 60, 8, StyleGroup},
    {InitIds::ShortCommands, K::RadioButton, "Short Command Set Mode", 126, 60, 99, 10, StyleGroup},
    {InitIds::ExtendedCommands, K::RadioButton, "Extended Command Set Mode", 126, 48, 112, 10, StyleNone},
    {InitIds::LedFlash, K::CheckBox, "LEDs Flash at Power-on", 96, 84, 91, 10, StyleTabStop},
};

// 142: finish page.
constexpr ControlTemplate kFinishPage[] = {
    {FinishIds::Message, K::Static, "Static", 27, 14, 249, 58, StyleWordWrap},
};

// 144: codes page.
constexpr ControlTemplate kCodePage[] = {
    {CodeIds::Label, K::Static, "Firmware Code:", 42, 24, 114, 8, StyleRight},
    {CodeIds::Code, K::Edit, "", 164, 23, 32, 14, kEdit | StyleUpperCase},
};

constexpr int kPageW = 302;
constexpr int kPageH = 104;

constexpr std::array kTemplates = {
    DialogTemplate{IDD_ABOUTBOX, "About Brindle", 262, 76, kAbout},
    DialogTemplate{IDD_BRINDLE_DIALOG, "Norvale Firmware Customiser V" BRINDLE_DISPLAY_VERSION, 320, 200, kWizard},
    DialogTemplate{IDD_TAB_FILE, "", kPageW, kPageH, kFilePage},
    DialogTemplate{IDD_TAB_BAUDRATE, "", kPageW, kPageH, kBaudPage},
    DialogTemplate{IDD_TAB_PROMPT, "", kPageW, kPageH, kPromptPage},
    DialogTemplate{IDD_TAB_USBSLAVE, "", kPageW, kPageH, kUsbPage},
    DialogTemplate{IDD_TAB_SUMMARY, "", kPageW, kPageH, kSummaryPage},
    DialogTemplate{IDD_TAB_INIT, "", kPageW, kPageH, kInitPage},
    DialogTemplate{IDD_TAB_FINISH, "", kPageW, kPageH, kFinishPage},
    DialogTemplate{IDD_TAB_CODE, "", kPageW, kPageH, kCodePage},
};

}  // namespace

const DialogTemplate *FindDialogTemplate(int id)
{
    for (const DialogTemplate &t : kTemplates) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}
