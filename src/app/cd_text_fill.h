#pragma once

#include "app/options_setting.h"
#include "platform/cdrom/cd_records.h"

namespace corvath {

/// Fills a disc's information from the CD-Text its drive or image gives: album and artist, and
/// the titles of the tracks that have one (slots by track number, from firstTrack). Fields the
/// CD-Text leaves empty keep what they held.
void FillFromCdText(TCDInfo& info, const CdDiscFacts& facts, int firstTrack);

} // namespace corvath
