#pragma once

// The option and initialisation flags: one row each, giving the settings' member, the byte and
// bit that hold it and the names the command line and its JSON profiles use for it. Loading,
// writing, brindle-cli and the tests go through this table; the wizard's option pages map each
// row to its control (pages/flagcontrols.h), and the build stops when a row has none there. The
// README's recipe lists every place a new flag goes.

// Std
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "firmwareformat.h"
#include "settings.h"

namespace Firmware {

struct FlagDef {
    bool Settings::*member;
    int byte;           // kInitByte or kOptionByte, an image offset
    std::uint8_t mask;  // the one bit of `byte` that holds the member: set means true
    // The setting's name says the opposite of the member: JSON true and the option's first word
    // ("on", "show", "allow") mean the member is false. Otherwise JSON and the option give the
    // member's value as a word of two, false first ("iph" or "ipa").
    bool inverted;
    const char *option;  // brindle-cli's long option, without its dashes
    const char *key;     // the JSON key of info --json and of profiles
    // How brindle-cli's help shows the option's value, and what it says about the option.
    const char *valueName;
    const char *help;
    // The option's and the JSON's two words: for an inverted flag {JSON true, JSON false}
    // ("on", "off"); otherwise by the member's value, {false, true} ("iph", "ipa").
    std::array<const char *, 2> words;
};

// In the order info --json prints them.
// clang-format off
inline constexpr auto kFlags = std::to_array<FlagDef>({
    {.member = &Settings::m_bAsciiInput, .byte = kInitByte, .mask = kInitAsciiInput, .inverted = false,
     .option = "input", .key = "inputMode",
     .valueName = "ipa|iph", .help = "Initial input mode: IPA (ASCII) or IPH (binary).", .words = {"iph", "ipa"}},
    {.member = &Settings::m_bShortCommandSet, .byte = kInitByte, .mask = kInitShortCommandSet, .inverted = false,
     .option = "command-set", .key = "commandSet",
     .valueName = "ecs|scs", .help = "Initial command set: extended or short.", .words = {"ecs", "scs"}},
    {.member = &Settings::m_bDisableLedFlash, .byte = kInitByte, .mask = kInitDisableLedFlash, .inverted = true,
     .option = "led-flash", .key = "ledFlash",
     .valueName = "on|off", .help = "LED flash at power-on.", .words = {"on", "off"}},
    {.member = &Settings::m_bHidePrompt, .byte = kOptionByte, .mask = kOptHidePrompt, .inverted = true,
     .option = "prompt", .key = "prompt",
     .valueName = "show|hide", .help = "The monitor prompt.", .words = {"show", "hide"}},
    {.member = &Settings::m_bHideConnects, .byte = kOptionByte, .mask = kOptHideConnects, .inverted = true,
     .option = "connects", .key = "deviceConnects",
     .valueName = "show|hide", .help = "Device connect and removal messages.", .words = {"show", "hide"}},
    {.member = &Settings::m_bHideVersionReport, .byte = kOptionByte, .mask = kOptHideVersionReport, .inverted = true,
     .option = "version-report", .key = "versionReport",
     .valueName = "show|hide", .help = "The version report at start-up.", .words = {"show", "hide"}},
    {.member = &Settings::m_bDisableDataMode, .byte = kOptionByte, .mask = kOptDisableDataMode, .inverted = true,
     .option = "data-mode", .key = "dataMode",
     .valueName = "allow|disable", .help = "Data mode.", .words = {"allow", "disable"}},
    {.member = &Settings::m_bDisableUpgrades, .byte = kOptionByte, .mask = kOptDisableUpgrades, .inverted = true,
     .option = "upgrades", .key = "upgrades",
     .valueName = "allow|disable", .help = "Firmware upgrades.", .words = {"allow", "disable"}},
    {.member = &Settings::m_bDisableStatusInfo, .byte = kOptionByte, .mask = kOptDisableStatusInfo, .inverted = true,
     .option = "status-info", .key = "statusInfo",
     .valueName = "allow|disable", .help = "Sonette status information.", .words = {"allow", "disable"}},
});
// clang-format on

// The row of a member; kFlags.size() when it has none.
constexpr std::size_t FlagIndex(bool Settings::*member)
{
    for (std::size_t i = 0; i < kFlags.size(); ++i)
        if (kFlags[i].member == member)
            return i;
    return kFlags.size();
}

namespace FlagChecks {

constexpr bool OneBitEach()
{
    for (const FlagDef &f : kFlags)
        if (f.mask == 0 || (f.mask & (f.mask - 1)) != 0 || (f.byte != kInitByte && f.byte != kOptionByte))
            return false;
    return true;
}

constexpr bool Distinct()
{
    for (std::size_t i = 0; i < kFlags.size(); ++i) {
        for (std::size_t j = i + 1; j < kFlags.size(); ++j) {
            const FlagDef &a = kFlags[i];
            const FlagDef &b = kFlags[j];
            if (a.member == b.member || (a.byte == b.byte && a.mask == b.mask) || std::string_view(a.option) == b.option
                || std::string_view(a.key) == b.key)
                return false;
        }
    }
    return true;
}

// Every flag has its value name, its help and two different words.
constexpr bool Described()
{
    for (const FlagDef &f : kFlags)
        if (!f.valueName || !f.help || !f.words[0] || !f.words[1] || std::string_view(f.words[0]) == f.words[1])
            return false;
    return true;
}

}  // namespace FlagChecks

static_assert(FlagChecks::OneBitEach(), "every flag is one bit of the init or option byte");
static_assert(FlagChecks::Distinct(), "no two flags share a member, a bit, an option or a key");
static_assert(FlagChecks::Described(), "every flag has a value name, a help text and two different words");

}  // namespace Firmware
