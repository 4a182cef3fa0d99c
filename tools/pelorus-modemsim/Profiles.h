#pragma once
// Quirks of real modems the virtual modem can take on (--profile NAME[,NAME...]). Each follows
// rows of the collected modem replies (replies.tsv: source, command), cited in Profiles.cpp.
#include <bitset>
#include <string>

namespace modemsim {

enum class Quirk {
    NoMeStorage,
    TextModeAtStart,
    HeaderWithoutBlank,
    IndexFromZero,
    CrCrLf,
    BlankLines,
    Urcs,
    RoutedInListing,
    LowerHex,
    PromptCrLf,
    VendorUrcs,
    DoubledEcho,
    StoredSubmit,
    SlowNetwork,
    LatePrompt,
    DropInListing,
    Count
};

using Quirks = std::bitset<static_cast<size_t>(Quirk::Count)>;

inline bool Has(const Quirks& q, Quirk k) {
    return q.test(static_cast<size_t>(k));
}

// Adds the quirks named in a comma list; false (and the unknown name) when one is unknown.
bool AddProfiles(const std::string& list, Quirks& quirks, std::string& unknown);
// One line a profile: "  name  what it does", for --help.
std::string ProfileHelp();
// "profile NAME: what it does" for each one set, as printed at start.
std::string ProfileNotices(const Quirks& quirks);

}  // namespace modemsim
