#pragma once

// The option and initialisation flags: one row each, giving the record's member, the byte and
// bit that hold it, and the names the command line and its JSON profiles use for it. Loading,
// writing, brindle-cli and the tests all go through this table.

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
inline constexpr std::array<FlagDef, 9> kFlags = {{
    {&Settings::m_bAsciiInput, kInitByte, kInitAsciiInput, false, "input", "inputMode",
     "ipa|iph", "Initial input mode: IPA (ASCII) or IPH (binary).", {"iph", "ipa"}},
    {&Settings::m_bShortCommandSet, kInitByte, kInitShortCommandSet, false, "command-set", "commandSet",
     "ecs|scs", "Initial command set: extended or short.", {"ecs", "scs"}},
    {&Settings::m_bDisableLedFlash, kInitByte, kInitDisableLedFlash, true, "led-flash", "ledFlash",
     "on|off", "LED flash at power-on.", {"on", "off"}},
    {&Settings::m_bHidePrompt, kOptionByte, kOptHidePrompt, true, "prompt", "prompt",
     "show|hide", "The monitor prompt.", {"show", "hide"}},
    {&Settings::m_bHideConnects, kOptionByte, kOptHideConnects, true, "connects", "deviceConnects",
     "show|hide", "Device connect and removal messages.", {"show", "hide"}},
    {&Settings::m_bHideVersionReport, kOptionByte, kOptHideVersionReport, true, "version-report", "versionReport",
     "show|hide", "The version report at start-up.", {"show", "hide"}},
    {&Settings::m_bDisableDataMode, kOptionByte, kOptDisableDataMode, true, "data-mode", "dataMode",
     "allow|disable", "Data mode.", {"allow", "disable"}},
    {&Settings::m_bDisableUpgrades, kOptionByte, kOptDisableUpgrades, true, "upgrades", "upgrades",
     "allow|disable", "Firmware upgrades.", {"allow", "disable"}},
    {&Settings::m_bDisableStatusInfo, kOptionByte, kOptDisableStatusInfo, true, "status-info", "statusInfo",
     "allow|disable", "Sonette status information.", {"allow", "disable"}},
}};
// clang-format on

// The row of a member; kFlags.size() when it has none.
constexpr std::size_t FlagIndex(bool Settings::*member)
{
    for (std::size_t i = 0; i < kFlags.size(); ++i)
        if (kFlags[i].member == member)
            return i;
    return kFlags.size();
}

// The bits of `byte` that some flag uses.
constexpr std::uint8_t FlagBits(int byte)
{
    std::uint8_t bits = 0;
    for (const FlagDef &f : kFlags)
        if (f.byte == byte)
            bits |= f.mask;
    return bits;
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
// The bits the firmware reads; the others are written as 0.
static_assert(FlagBits(kInitByte) == 0x83);
static_assert(FlagBits(kOptionByte) == 0xCF);

}  // namespace Firmware
