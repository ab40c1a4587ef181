#pragma once

#include "codecs/ape/ape_options.h"
#include "codecs/codec_page.h"
#include "codecs/encoder.h"
#include "codecs/flac/flac_options.h"
#include "codecs/mp3/mp3_options.h"
#include "codecs/opus/opus_options.h"
#include "codecs/vorbis/ogg_options.h"
#include "codecs/wma/wma_options.h"
#include "platform/dynlib/codec_library.h"
#include "platform/profile/profile_key.h"
#include "tags/loudness_tags.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace corvath {

/// The output formats, numbered as the OutputFormat setting and the format lists number them.
enum class OutputFormat : int32_t { MP3 = 0, WAV, OGG, WMA, FLAC, APE, OPUS };

/// The settings of every format's encoder, one member each.
struct CodecOptions {
    TMp3Options Mp3Options;
    TOggOptions OggOptions;
    TWMAOptions WMAOptions;
    TFLACOptions FLACOptions;
    TAPEOptions APEOptions;
    TOpusOptions OpusOptions;
};

using CodecSettingKey = ProfileKey<CodecOptions>;

/// Everything about one output format: how it is shown and named, what it needs, its settings
/// and their page of the options dialog, and how its encoder is made.
struct OutputFormatInfo {
    OutputFormat format;
    std::string_view shownName; ///< as the format lists show it
    std::string_view extension; ///< of its files, without the dot; also its command-line name
    std::string_view name;      ///< in capitals
    /// The codec libraries the program opens at start for it (the command line at first use);
    /// none for a format whose output opens its own.
    std::vector<LibraryBinding*> libraries{};
    /// Its keys of the settings file, in the order the file holds them.
    std::span<const CodecSettingKey> settings{};
    CodecPage page{};
    /// The output set up from options, which must outlive it, and each file's track; WAV is
    /// written as IMA ADPCM when adpcm is set. Throws when the format's library cannot be
    /// loaded.
    Encoder (*makeEncoder)(const CodecOptions& options, bool adpcm);
    /// Where its files keep loudness tags; none for a format without a place for them.
    std::optional<LoudnessTagFormat> loudnessTags{};
};

/// Every output format, in number order.
std::span<const OutputFormatInfo> OutputFormats();

/// The format of a setting number; nullptr for a number out of range.
const OutputFormatInfo* FormatByNumber(int32_t number);

/// The format a setting number asks for; MP3 for a number out of range.
OutputFormat FormatOfSetting(int32_t number);

/// The format whose extension is extension exactly ("flac"); nullptr for any other text.
const OutputFormatInfo* FormatByExtension(std::string_view extension);

/// The table's entry of a format.
const OutputFormatInfo& InfoOf(OutputFormat format);

/// The format's encoder, made from the settings as InfoOf(format).makeEncoder makes it.
Encoder MakeEncoder(OutputFormat format, bool adpcm, const CodecOptions& options);

} // namespace corvath
