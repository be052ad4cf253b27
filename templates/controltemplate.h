#pragma once

// Dialog templates as data: each dialog's controls with their ids, captions, positions in
// dialog units and styles. The program's templates (resources/) are written in these types and
// the builder (controls/) reads them; the header needs nothing but the standard library.

// Std
#include <span>

enum class ControlKind {
    Static,   // text label
    Picture,  // static bitmap
    Icon,     // static icon
    PushButton,
    DefPushButton,  // the dialog's default button
    CheckBox,       // automatic check box
    RadioButton,    // automatic radio button
    Edit,           // single-line edit
    ComboBox,       // drop-down list
    TabControl,     // only its rectangle is used
};

// The templates' window and control styles. The builder acts on those with a Qt counterpart
// (hidden, disabled, tab stop, group, right-aligned, border, upper case); the others record
// the template as drawn: Qt statics wrap, take clicks and paint no background already.
enum ControlStyle : unsigned {
    StyleNone = 0,
    StyleHidden = 1u << 0,  // not visible
    StyleDisabled = 1u << 1,
    StyleTabStop = 1u << 2,
    StyleGroup = 1u << 3,     // starts a group (radio buttons)
    StyleRight = 1u << 4,     // right-aligned text
    StyleNoPrefix = 1u << 5,  // "&" is shown, not a mnemonic
    StyleBorder = 1u << 6,
    StyleAutoHScroll = 1u << 7,
    StyleUpperCase = 1u << 8,  // edit turns letters into capitals
    StyleWordWrap = 1u << 9,   // static text wraps over several lines
    StyleNotify = 1u << 10,    // static reports clicks
    StyleTransparent = 1u << 11,
    StyleVScroll = 1u << 12,
};

// A control id for controls the program never addresses.
inline constexpr int kNoId = -1;

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char *caption;  // for pictures and icons: the resource name
    int x, y, w, h;       // dialog units
    unsigned style;
};

struct DialogTemplate {
    int id;
    const char *caption;  // empty for child pages
    int w, h;             // dialog units
    std::span<const ControlTemplate> controls;
};
