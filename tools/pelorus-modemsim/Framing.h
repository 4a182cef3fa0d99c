#pragma once
// The bytes of a reply as the modem sends them: V.250 framing under ATV/ATQ and AT+CMEE, shaped
// by the profile's line ends, blank lines and headers.
#include <string>

#include "ModemState.h"

namespace modemsim {

// The lines before hangUpAfterLines (when set) and nothing more, or the whole reply.
std::string FrameReply(const ModemState& state, const Reply& reply);
// Unsolicited lines, each framed as information text.
std::string FrameUnsolicited(const ModemState& state, const std::vector<std::string>& lines);

}  // namespace modemsim
