#pragma once

#include "platform/cdrom/cdio_source.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

/// The host adapter number of registered disc images; drives are on 0.
inline constexpr uint8_t kImageHostAdapter = 1;

/// A drive or registered disc image with the numbers that address it during this run: drives
/// on host adapter 0, images on host adapter 1, each with its own target number and LUN 0. An
/// image's target number passes to a later image once its file is gone.
struct CdDevice {
    uint8_t hostAdapter = 0;
    uint8_t target = 0;
    uint8_t lun = 0;
    std::string source; // device path or image path
    driver_id_t driver = DRIVER_UNKNOWN;
    std::string vendor;
    std::string product;
};

/// The machine's CD drives, then the registered disc images whose files still exist, in
/// registration order. Thread-safe.
std::vector<CdDevice> ListCdDevices();

/// The listed device with these numbers, if any.
std::optional<CdDevice> FindCdDevice(uint8_t hostAdapter, uint8_t target, uint8_t lun);

/// The registered image of this path, if any.
std::optional<CdDevice> FindImageDevice(const std::string& path);

/// Adds a disc image to the end of the list (once per path); false when libcdio cannot open it.
/// libcdio 2.1 reads a .cue image's sectors from the .bin file of the same name beside it.
bool RegisterImageDevice(const std::string& path);

/// Opens the device with libcdio; null when it cannot (no disc, drive gone).
CdioHandle OpenCdDevice(const CdDevice& device);

} // namespace corvath
