#pragma once

// The wizard's control for each flag of the firmware's table (firmware/flags.h): the options page
// whose template holds it, and there a check box, or the button of a radio pair. COptionsPage
// moves the values through this table; the build stops when a flag has no row here, or two rows.

// Std
#include <array>
#include <cstddef>

#include "firmware/flags.h"
#include "firmware/settings.h"
#include "resources/resourceids.h"

namespace FlagControls {

struct FlagControl {
    bool Firmware::Settings::*member;
    int dialog;         // the page's template
    int control;        // a check box, or the radio button that stands for `checkedMeans`
    bool checkedMeans;  // the member's value while `control` is checked
    int otherButton;    // the radio pair's other button; 0 for a check box
};

using S = Firmware::Settings;

// clang-format off
inline constexpr auto kRows = std::to_array<FlagControl>({
    {&S::m_bAsciiInput,         IDD_TAB_INIT,   InitIds::AsciiInput,           true,  InitIds::BinaryInput},
    {&S::m_bShortCommandSet,    IDD_TAB_INIT,   InitIds::ShortCommands,        true,  InitIds::ExtendedCommands},
    {&S::m_bDisableLedFlash,    IDD_TAB_INIT,   InitIds::LedFlash,             false, 0},
    {&S::m_bHidePrompt,         IDD_TAB_PROMPT, PromptIds::ShowPrompt,         false, 0},
    {&S::m_bHideConnects,       IDD_TAB_PROMPT, PromptIds::ShowDeviceConnects, false, 0},
    {&S::m_bHideVersionReport,  IDD_TAB_PROMPT, PromptIds::ShowVersionReport,  false, 0},
    {&S::m_bDisableDataMode,    IDD_TAB_PROMPT, PromptIds::DisableDataMode,    true,  0},
    {&S::m_bDisableUpgrades,    IDD_TAB_PROMPT, PromptIds::DisableUpgrades,    true,  0},
    {&S::m_bDisableStatusInfo,  IDD_TAB_PROMPT, PromptIds::DisableStatusInfo,  true,  0},
});
// clang-format on

// The row of every flag, in the flag table's order; a flag without a row, or with two, stops
// the build below.
constexpr std::array<std::size_t, Firmware::kFlags.size()> RowsOfFlags()
{
    std::array<std::size_t, Firmware::kFlags.size()> rows{};
    for (std::size_t i = 0; i < Firmware::kFlags.size(); ++i) {
        rows[i] = kRows.size();
        for (std::size_t r = 0; r < kRows.size(); ++r) {
            if (kRows[r].member == Firmware::kFlags[i].member)
                rows[i] = rows[i] == kRows.size() ? r : kRows.size() + 1;
        }
    }
    return rows;
}

constexpr bool EveryFlagOnce()
{
    for (std::size_t row : RowsOfFlags()) {
        if (row >= kRows.size())
            return false;
    }
    return kRows.size() == Firmware::kFlags.size();
}

constexpr bool NoControlTwice()
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        for (std::size_t j = i + 1; j < kRows.size(); ++j) {
            const FlagControl &a = kRows[i];
            const FlagControl &b = kRows[j];
            if (a.dialog == b.dialog
                && (a.control == b.control || a.control == b.otherButton
                    || (a.otherButton && a.otherButton == b.control)))
                return false;
        }
    }
    return true;
}

static_assert(EveryFlagOnce(), "every flag of firmware/flags.h has one control here, and nothing else has one");
static_assert(NoControlTwice(), "no two flags share a control of a page");

}  // namespace FlagControls
