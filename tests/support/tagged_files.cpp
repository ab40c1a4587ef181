#include "support/tagged_files.h"

#include "audio/wave/wave_in.h"
#include "codecs/ape/mac_library.h"
#include "codecs/ape/mac_out.h"
#include "support/cover_archive.h"
#include "support/run_command.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace corvath::test {

TrackRecord FullRecord(std::optional<CoverPicture> cover)
{
    TrackRecord record;
    record.title = "Tïtle ✓ 東京";
    record.trackNumber = 3;
    record.trackTotal = 12;
    record.discNumber = 1;
    record.discTotal = 2;
    record.artist = "Ärtist feat. Ōno";
    record.albumArtist = "Ärtist";
    record.album = "Albüm – Live";
    record.date = "2024-05-17";
    record.genre = "Synthpop";
    record.comment = "Ripped ✓";
    record.isrc = "SEXYZ0300001";
    record.musicBrainz = {
        "0b9f5a4c-8f0d-4d6e-9c0a-1a2b3c4d5e6f", "1c2d3e4f-5a6b-4c7d-8e9f-0a1b2c3d4e5f",
        "2d3e4f5a-6b7c-4d8e-9f0a-1b2c3d4e5f6a", "3e4f5a6b-7c8d-4e9f-0a1b-2c3d4e5f6a7b",
        "4f5a6b7c-8d9e-4f0a-1b2c-3d4e5f6a7b8c", "5a6b7c8d-9e0f-4a1b-2c3d-4e5f6a7b8c9d",
        "xL4mz9Rz2kq.uZ3vP1bYdWf0tH8-",
    };
    record.cover = std::move(cover);
    return record;
}

std::map<std::string, std::string> ProbeTags(const std::filesystem::path& file)
{
    const auto probe = nlohmann::json::parse(
        RunCommand("ffprobe -v error -select_streams a -show_entries format_tags:stream_tags "
                   "-of json " +
                   Quoted(file)),
        nullptr, false);
    std::map<std::string, std::string> tags;
    if (probe.is_discarded())
        return tags;
    const auto add = [&tags](const nlohmann::json& holder) {
        const nlohmann::json found = holder.value("tags", nlohmann::json::object());
        for (const auto& [key, value] : found.items())
            tags[key] = value.get<std::string>();
    };
    add(probe.value("format", nlohmann::json::object()));
    for (const nlohmann::json& stream : probe.value("streams", nlohmann::json::array()))
        add(stream);
    return tags;
}

std::string ProbeAttachedPicture(const std::filesystem::path& file)
{
    return RunCommand("ffprobe -v error -select_streams v -show_entries "
                      "stream=codec_name:stream_disposition=attached_pic -of default=nw=1 " +
                      Quoted(file));
}

std::filesystem::path FfmpegTone(const std::filesystem::path& file, const std::string& options)
{
    RunCommand("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=1 " + options +
               " " + Quoted(file) + " 2>&1");
    return file;
}

std::filesystem::path TaggedFileFixture::ToneWav()
{
    const std::filesystem::path wav = dir_ / "tone.wav";
    if (!std::filesystem::exists(wav))
        Sox(wav, "-b 16 -c 2 -r 44100", "1", "sine 440");
    return wav;
}

std::filesystem::path TaggedFileFixture::LameMp3(const std::string& name,
                                                 const std::string& lameOptions)
{
    const std::filesystem::path mp3 = dir_ / name;
    RunCommand("lame --quiet " + lameOptions + " " + Quoted(ToneWav()) + " " + Quoted(mp3));
    return mp3;
}

std::filesystem::path TaggedFileFixture::MacApe(const std::string& name)
{
    const std::filesystem::path ape = dir_ / name;
    EXPECT_TRUE(MacLibrary().Load()) << MacLibrary().NotLoadedMessage();
    const auto in = MakeComponent<TWaveIn>();
    in->SetFileName(ToneWav().string());
    const auto out = MakeComponent<TMACOut>();
    out->SetInput(in.get());
    out->SetFileName(ape.string());
    EXPECT_EQ(Run(*out), "");
    return ape;
}

CoverPicture TaggedFileFixture::JpegCover()
{
    std::optional<CoverPicture> cover = CoverPictureOf(RedSquare(dir_.path(), "jpg"));
    EXPECT_TRUE(cover.has_value()) << "ffmpeg made no JPEG image";
    return cover.value_or(CoverPicture{});
}

} // namespace corvath::test

namespace corvath {

void PrintTo(const TrackRecord& record, std::ostream* out)
{
    const MusicBrainzIds& ids = record.musicBrainz;
    *out << "{title \"" << record.title << "\", track " << record.trackNumber << "/"
         << record.trackTotal << ", disc " << record.discNumber << "/" << record.discTotal
         << ", artist \"" << record.artist << "\", album artist \"" << record.albumArtist
         << "\", album \"" << record.album << "\", date \"" << record.date << "\", genre \""
         << record.genre << "\", comment \"" << record.comment << "\", ISRC \"" << record.isrc
         << "\", MusicBrainz {" << ids.albumId << ", " << ids.releaseGroupId << ", "
         << ids.albumArtistId << ", " << ids.artistId << ", " << ids.recordingId << ", "
         << ids.releaseTrackId << ", " << ids.discId << "}, cover ";
    if (record.cover)
        *out << record.cover->mimeType << " " << record.cover->data.size() << " bytes "
             << record.cover->width << "x" << record.cover->height << "x" << record.cover->depth
             << "}";
    else
        *out << "none}";
}

} // namespace corvath
