#pragma once

// What the rip benchmarks share: a generated disc image opened through the CD layer, and rips
// of all its tracks through the rip worker.

#include "bench_support.h"
#include "cd/cd_rip_thread.h"

#include <cstdint>

namespace corvath::bench {

inline constexpr uint32_t kSectorsPerSecond = 75;

/// A cue/bin image of noise, sectors long, in tracks of equal length (the last takes the rest).
fs::path WriteNoiseImage(const ScratchFolder& folder, uint32_t sectors, uint32_t tracks);

/// The CD layer's handle of the image; throws when it cannot open it.
int32_t OpenLayerHandle(const fs::path& image);

/// Rips every track of the handle's disc into options.outputFolder through the rip worker, one
/// after another; the seconds it took. Throws when a track fails.
double RipAllTracks(int32_t handle, uint32_t tracks, const RipWaveOptions& options);

} // namespace corvath::bench
