#pragma once

#include "support/audio_tools.h"
#include "tags/track_record.h"

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

namespace corvath::test {

/// A record with every field set: text outside Latin-1, both totals, every MusicBrainz id, and
/// the cover given.
TrackRecord FullRecord(std::optional<CoverPicture> cover);

/// Every tag ffprobe shows for the file, the format's and the audio streams' together, by key.
std::map<std::string, std::string> ProbeTags(const std::filesystem::path& file);

/// What ffprobe shows of the file's attached picture: "codec_name=mjpeg\n
/// DISPOSITION:attached_pic=1\n" for a JPEG cover; empty without one.
std::string ProbeAttachedPicture(const std::filesystem::path& file);

/// Makes the file with ffmpeg from one second of a 440 Hz tone; options choose the codec and
/// set what else the file holds ("-c:a wmav2 -metadata title=T"). Returns the file.
std::filesystem::path FfmpegTone(const std::filesystem::path& file, const std::string& options);

/// A fixture making small audio files for the tag tests in its folder: MP3 files from lame and
/// Monkey's Audio files from our own compressor, both from one second of a tone.
class TaggedFileFixture : public AudioRunFixture {
protected:
    /// lameOptions may ask for tags ("--id3v1-only --tt Song"); without, the file has none.
    std::filesystem::path LameMp3(const std::string& name, const std::string& lameOptions = "");
    /// Fails the test when our compressor cannot make the file.
    std::filesystem::path MacApe(const std::string& name);

    /// A 16×16 JPEG image as a cover.
    CoverPicture JpegCover();

private:
    std::filesystem::path ToneWav();
};

} // namespace corvath::test

namespace corvath {

/// Shows a record field by field in a failed expectation.
void PrintTo(const TrackRecord& record, std::ostream* out);

} // namespace corvath
