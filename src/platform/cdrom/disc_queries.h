#pragma once

#include <string>

namespace corvath {

/// True when the first drive of the drive list holds a disc whose first track is audio.
bool IsAudioCDPresent();

/// The Windows serial number (WindowsDiscSerial) of the audio disc in the first drive of the
/// drive list, in signed decimal; empty without an audio disc there. The key of the disc's
/// stored information.
std::string ReadDiscId();

} // namespace corvath
