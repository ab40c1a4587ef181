#pragma once

#include "platform/cdrom/cd_records.h"

#include <cdio/cdio.h>
#include <memory>
#include <optional>
#include <string>

namespace corvath {

/// Owns a libcdio drive or disc image and destroys it when it goes.
struct CdioDestroyer {
    void operator()(CdIo_t* cdio) const { cdio_destroy(cdio); }
};
using CdioHandle = std::unique_ptr<CdIo_t, CdioDestroyer>;

/// Keeps libcdio's own warnings off standard error (failures reach the caller as the layer's
/// error numbers instead); only its internal assertions are still printed. Idempotent.
void QuietCdioLog();

/// Opens a drive or disc image with libcdio; null when it cannot.
CdioHandle OpenCdio(const std::string& source, driver_id_t driver);

/// The disc's table of contents as a drive reports it: MSF addresses (the two-second lead-in
/// counted) when msf is set, else sector numbers from 00:02:00. Nothing when the disc has no
/// readable TOC.
std::optional<CdToc> ReadDiscToc(CdIo_t* cdio, bool msf);

/// The number of sectors from 00:02:00 to the lead-out: the first one a read may not reach.
std::optional<uint32_t> LeadOutSector(CdIo_t* cdio);

} // namespace corvath
