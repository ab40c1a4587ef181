#pragma once

#include "platform/cdrom/open_disc.h"

#include <cstdint>
#include <memory>
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

/// Adds a disc image to the end of the list (once per path); empty when it is listed, else why
/// it cannot be read, in words for the user.
std::string RegisterImageDevice(const std::string& path);

/// Opens the device: a drive through libcdio, an image read afresh. Null when it cannot (no
/// disc, drive gone, image changed or gone).
std::unique_ptr<OpenDisc> OpenCdDevice(const CdDevice& device);

} // namespace corvath
