#pragma once

// The program's resources: the dialog templates, and for each template one list of its control
// ids. The template table (resources/dialogtemplates.cpp), the windows and pages that address the
// controls and the tests all name a control from these lists.

// Dialog templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_BRINDLE_DIALOG = 102;
inline constexpr int IDD_TAB_FILE = 136;
inline constexpr int IDD_TAB_BAUDRATE = 137;
inline constexpr int IDD_TAB_PROMPT = 138;
inline constexpr int IDD_TAB_USBSLAVE = 139;
inline constexpr int IDD_TAB_SUMMARY = 140;
inline constexpr int IDD_TAB_INIT = 141;
inline constexpr int IDD_TAB_FINISH = 142;
inline constexpr int IDD_TAB_CODE = 144;

// 100: the About box.
namespace AboutIds {
enum Id : int {
    Ok = 1,
    Product = 1024,
    Notice = 1025,
    Company = 1026,
};
}  // namespace AboutIds

// 102: the wizard. The pages send Next, Back and Cancel to the wizard as commands.
namespace WizardIds {
enum Id : int {
    Next = 1002,
    Back = 1003,
    Cancel = 1004,
    Logo = 1006,
    Title = 1010,
    Description = 1011,
    Steps = 1013,
    WebSite = 1014,
    Counter = 1023,
};
}  // namespace WizardIds

// 136: "File Open" and "File Save".
namespace FileIds {
enum Id : int {
    Path = 1014,
    Browse = 1015,
    Reason = 1016,
};
}  // namespace FileIds

// 137: "Set Baud".
namespace BaudIds {
enum Id : int {
    SevenBits = 1033,
    BaudRate = 1034,
    EightBits = 1035,
    OneStopBit = 1036,
    TwoStopBits = 1037,
    Parity = 1038,
    FlowControl = 1039,
};
}  // namespace BaudIds

// 138: "Set Prompt".
namespace PromptIds {
enum Id : int {
    DisableUpgrades = 1017,
    DisableDataMode = 1018,
    DisableStatusInfo = 1019,
    ShowVersionReport = 1020,
    ShowPrompt = 1021,
    ShowDeviceConnects = 1026,
};
}  // namespace PromptIds

// 139: "Set PID/VID".
namespace UsbIds {
enum Id : int {
    ProductId = 1019,
    VendorId = 1020,
    Manufacturer = 1021,
    Product = 1022,
    Reason = 1023,
};
}  // namespace UsbIds

// 140: "File Summary" and "Confirm Summary".
namespace SummaryIds {
enum Id : int {
    FwVersion = 1020,
    FwType = 1021,
    Monitor = 1022,
    Pid = 1023,
    Vid = 1024,
    InitMode = 1025,
    Options = 1026,
    UsbStrings = 1027,
    DirPrefix = 1028,
    Copy = 1038,
};
}  // namespace SummaryIds

// 141: "Set Init".
namespace InitIds {
enum Id : int {
    LedFlash = 1019,
    AsciiInput = 1022,
    BinaryInput = 1023,
    ShortCommands = 1024,
    ExtendedCommands = 1025,
};
}  // namespace InitIds

// 142: "Finish".
namespace FinishIds {
enum Id : int {
    Message = 1036,
};
}  // namespace FinishIds

// 144: "Set Target Directory" and "Set Code".
namespace CodeIds {
enum Id : int {
    Code = 1039,
    Label = 1040,
};
}  // namespace CodeIds

// The captions of Back and Next, and of Next on the save step, with their Alt+ accelerators.
inline constexpr const char *kBackCaption = "< &Back";
inline constexpr const char *kNextCaption = "&Next >";
inline constexpr const char *kWriteCaption = "&Write";

// The pictures, compiled in.
inline constexpr const char *kIconPath = ":/brindle/icons/brindle-32.png";
inline constexpr const char *kLogoPath = ":/brindle/icons/logo.png";

// The system-menu command that opens the About box, and its entry.
inline constexpr int IDM_ABOUTBOX = 0x0010;
inline constexpr const char *kAboutMenuText = "&About Brindle...";

// The product web site; the logo opens it with a trailing "/".
inline constexpr const char *kWebSiteAddress = "https://www.norvale.example";
