#pragma once

#include "app/options_setting.h"
#include "platform/cdrom/cd_records.h"

#include <filesystem>
#include <string>

namespace corvath {

/// Fills a disc's information from the CD-Text its drive or image gives: album and artist, and
/// the titles of the tracks that have one (slots by track number, from firstTrack). Fields the
/// CD-Text leaves empty keep what they held.
void FillFromCdText(TCDInfo& info, const CdDiscFacts& facts, int firstTrack);

/// Loads the stored information of the handle's disc (whose TOC, read with MSF addresses, is
/// toc); a disc never stored takes what its CD-Text says, never over what was kept. Returns
/// what to tell of the disc information file's mended lines; empty when it had none.
[[nodiscard]] std::string LoadDiscInfoOrCdText(TCDInfo& info,
                                               const std::filesystem::path& discInfoFile,
                                               int32_t handle, const CdToc& toc);

} // namespace corvath
