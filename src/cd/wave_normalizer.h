#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>

namespace corvath {

/// The ripped WAV's copy while it is being normalised: the WAV's name with ".nor" as extension.
std::filesystem::path NormalizerTempFile(const std::filesystem::path& wav);

/// Scales every 16-bit sample after the 44-byte header of a ripped WAV by percent / 100 (a
/// single-precision gain; round to nearest, ties to even; the low 16 bits kept), through the
/// ".nor" copy that then replaces the WAV. Works in 2048-byte blocks and calls onProgress
/// before each one with the bytes processed so far (the header counted) in percent of the
/// WAV's size.
///
/// Returns why it failed when the WAV cannot be opened or read or the copy cannot be created
/// or written ("Cannot write file <copy>: No space left on device"): the WAV then stays as it
/// was and the copy is removed. When the WAV cannot be deleted afterwards, or the copy not
/// renamed, both stay as they are and nothing is returned, as for success. A stop asked for
/// through stop ends it before the next block: the WAV then stays as it was, the copy is
/// removed, and nothing is returned.
std::optional<std::string> NormalizeWave(const std::filesystem::path& wav, int32_t percent,
                                         const std::function<void(int32_t progress)>& onProgress,
                                         const std::stop_token& stop = {});

} // namespace corvath
