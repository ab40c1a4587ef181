#pragma once

#include "app/disc_opening.h"
#include "app/rip_batch.h"
#include "codecs/startup_libraries.h"
#include "platform/cdrom/cd_handle.h"
#include "support/disc_image.h"
#include "support/fake_components.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace corvath::test {

// Everything a rip shows, as lines; progress percentages are left out.
class RecordingView : public RipView {
public:
    void ShowCurrentTrack(const RipEntry& track) override
    {
        Log("track " + std::to_string(track.number) + " " + track.title);
    }
    void ShowHint(const std::string& hint) override { Log("hint " + hint); }
    void ShowBarCaption(const std::string& caption) override { Log("caption " + caption); }
    void ShowBarPosition(int32_t percent) override { lastPercent = percent; }
    void ShowCompleted(int32_t count) override { Log("completed " + std::to_string(count)); }
    void ShowWritten(const RipEntry&, const std::string& file) override
    {
        Log("written " + std::filesystem::path(file).filename().string());
    }
    void ShowChecksums(const TrackChecksumValues& sums) override { checksums.push_back(sums); }
    void ShowError(const std::string& message) override { Log("error " + message); }
    void ShowDriveFailure(const std::string& message) override { Log("drive " + message); }
    void ShowVerdict(const RipEntry& track, const TrackVerdict& verdict) override
    {
        Log("verdict " + track.title + ": " + VerdictText(verdict));
    }
    void ShowSummary(const RipResults& results) override
    {
        for (const RippedTrack& track : results.tracks)
            if (!track.failure.empty())
                Log("failed " + track.title + ": " + track.failure);
        summary = results.summary;
        log = results.log;
    }
    void Pause(int, std::function<void()> then) override { paused.push_back(std::move(then)); }
    void Close() override
    {
        Log("close");
        closed = true;
    }

    void Log(const std::string& line) { lines.push_back(line); }

    std::vector<std::string> lines;
    std::vector<TrackChecksumValues> checksums;
    std::string summary;
    std::string log;
    std::vector<std::function<void()>> paused; // in turn
    int32_t lastPercent = 0;
    bool closed = false;
};

class RipBatchTest : public MainThreadFixture {
protected:
    RipBatchTest()
    {
        settings_.CommonOptions.OutputFolder = (dir_ / "out").string();
        settings_.RipOptions.VerifyAccurateRip = false; // tests that verify bring their server
        std::filesystem::create_directory(dir_ / "out");
    }

    // Registers a disc image of audio tracks with these sector counts and opens it.
    void OpenDisc(const std::vector<uint32_t>& trackSectors)
    {
        std::vector<ImageTrack> tracks;
        for (std::size_t i = 0; i < trackSectors.size(); ++i)
            tracks.push_back({AudioSectors(trackSectors[i], static_cast<uint32_t>(i))});
        OpenDiscOf(tracks);
    }

    void OpenDiscOf(const std::vector<ImageTrack>& tracks)
    {
        disc_ = OpenImage(WriteCueImage(dir_ / "disc", tracks).string()).handle;
        ASSERT_TRUE(disc_);
    }

    // Rips the tracks to their end, running the view's pauses at once. The time limit only
    // catches a rip that never ends: six formats at once on a loaded machine take a while.
    void Rip(std::vector<RipEntry> tracks, OutputFormat format,
             TDiscFields disc = {"Band", "Album", "", -1, ""}, ReleaseDetails release = {})
    {
        RipBatch batch(view_,
                       {disc_.get(), std::move(tracks), format, std::move(disc), "image",
                        std::move(release), trackTotal_, namePattern_, alsoWrite_, replayGain_},
                       settings_);
        batch.Start();
        ASSERT_TRUE(PumpUntil(
            [&] {
                for (const std::function<void()>& step : std::exchange(view_.paused, {}))
                    step();
                return view_.closed;
            },
            std::chrono::minutes(2)));
    }

    std::filesystem::path Output(const std::string& name) const { return dir_ / "out" / name; }

    const StartupCodecLibraries libraries_;
    TempDir dir_;
    int trackTotal_ = 0;
    std::string namePattern_; // the title alone
    std::vector<OutputFormat> alsoWrite_;
    ReplayGainMode replayGain_ = ReplayGainMode::Off;
    TOptionsSetting settings_;
    CdHandle disc_;
    RecordingView view_;
};

} // namespace corvath::test
