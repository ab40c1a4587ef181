#pragma once

#include "audio/wave/wave_header_scanner.h"
#include "support/riff_bytes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace corvath::test {

/// A complete IMA ADPCM WAV file around encoded blocks, laid out as the program writes it.
std::string ImaAdpcmWav(int channels, uint32_t sampleRate, uint16_t blockAlign, uint32_t frames,
                        std::string_view blocks);

/// Reads a whole IMA or Microsoft ADPCM WAV file with the scanner and our block decoders,
/// cut to the fact chunk's frame count.
std::vector<int16_t> DecodeAdpcmFileOurselves(const std::filesystem::path& file);

/// True when the program answers on the command line.
bool ToolInstalled(const std::string& tool);

/// The file decoded to 16-bit samples by ffmpeg, or by sox.
std::vector<int16_t> DecodeWithFfmpeg(const std::filesystem::path& file);
std::vector<int16_t> DecodeWithSox(const std::filesystem::path& file);

} // namespace corvath::test
