#pragma once

#include <cstdint>
#include <string>

namespace corvath {

/// The layer's error numbers, as GetAspiLibError reports them.
enum CdError : int32_t {
    kCdErrorNone = 0,
    kCdErrorNoDrive = 1,    // no such drive or handle
    kCdErrorNoDisc = 2,     // no disc, or its TOC cannot be read
    kCdErrorRead = 3,       // a sector read failed
    kCdErrorBadRequest = 4, // a record the layer cannot use
    kCdErrorNetwork = 5,    // the CDDB server could not be reached or timed out
    kCdErrorServer = 6,     // the CDDB server answered with an error code
    kCdErrorNoTray = 7,     // a disc image, or a drive that would not move its tray
};

/// Records the last error (for GetAspiLibError) and why it happened in words for the user (for
/// GetCdLastErrorText); an error recorded without words clears those of the one before.
void SetCdLastError(int32_t error, std::string text = {});

} // namespace corvath
