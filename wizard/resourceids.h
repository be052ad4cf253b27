#pragma once

// Resource and control ids. Control ids are those of the dialog templates.

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

// Strings, icon and bitmap.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr const char *kAboutMenuText = "&About Brindle...";
inline constexpr int IDR_MAINFRAME = 129;
inline constexpr int IDB_LOGO = 135;
inline constexpr const char *kIconPath = ":/brindle/icons/brindle-32.png";
inline constexpr const char *kIconLargePath = ":/brindle/icons/brindle-256.png";
inline constexpr const char *kLogoPath = ":/brindle/icons/logo.png";

// The system-menu command that opens the About box.
inline constexpr int IDM_ABOUTBOX = 0x0010;

// Wizard controls.
inline constexpr int IDC_NEXT = 1002;
inline constexpr int IDC_BACK = 1003;
inline constexpr int IDC_CANCEL = 1004;
inline constexpr int IDC_LOGO = 1006;
inline constexpr int IDC_TITLE = 1010;
inline constexpr int IDC_DESCRIPTION = 1011;
inline constexpr int IDC_STEPS = 1013;
inline constexpr int IDC_WEBSITE = 1014;
inline constexpr int IDC_COUNTER = 1023;

// The product web site; the logo opens it with a trailing "/".
inline constexpr const char *kWebSiteAddress = "https://www.norvale.example";
