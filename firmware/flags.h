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
};

// In the order info --json prints them.
inline constexpr std::array<FlagDef, 9> kFlags = {{
    {&Settings::m_bAsciiInput, kInitByte, kInitAsciiInput, false, "input", "inputMode"},
    {&Settings::m_bShortCommandSet, kInitByte, kInitShortCommandSet, false, "command-set", "commandSet"},
    {&Settings::m_bDisableLedFlash, kInitByte, kInitDisableLedFlash, true, "led-flash", "ledFlash"},
    {&Settings::m_bHidePrompt, kOptionByte, kOptHidePrompt, true, "prompt", "prompt"},
    {&Settings::m_bHideConnects, kOptionByte, kOptHideConnects, true, "connects", "deviceConnects"},
    {&Settings::m_bHideVersionReport, kOptionByte, kOptHideVersionReport, true, "version-report", "versionReport"},
    {&Settings::m_bDisableDataMode, kOptionByte, kOptDisableDataMode, true, "data-mode", "dataMode"},
    {&Settings::m_bDisableUpgrades, kOptionByte, kOptDisableUpgrades, true, "upgrades", "upgrades"},
    {&Settings::m_bDisableStatusInfo, kOptionByte, kOptDisableStatusInfo, true, "status-info", "statusInfo"},
}};

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

}  // namespace FlagChecks

static_assert(FlagChecks::OneBitEach(), "every flag is one bit of the init or option byte");
static_assert(FlagChecks::Distinct(), "no two flags share a member, a bit, an option or a key");
// The bits the firmware reads; the others are written as 0.
static_assert(FlagBits(kInitByte) == 0x83);
static_assert(FlagBits(kOptionByte) == 0xCF);

}  // namespace Firmware
