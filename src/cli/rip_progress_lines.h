#pragma once

#include "app/rip_batch.h"
#include "cli/batch_lines.h"

namespace corvath::cli {

/// A rip's steps as progress lines: one per extraction and normalisation of a track, and one
/// per track encoding once every track is read; each file made; each track's verdict; the
/// summary line at the end; messages and the tracks that failed on the error stream.
class RipProgressLines : public RipView, public BatchLines {
public:
    using BatchLines::BatchLines;

    void ShowCurrentTrack(const RipEntry& track) override;
    void ShowHint(const std::string& hint) override;
    void ShowBarCaption(const std::string&) override {}
    void ShowBarPosition(int32_t percent) override { ShowPercent(percent); }
    void ShowCompleted(int32_t) override {}
    void ShowWritten(const RipEntry& track, const std::string& file) override;
    void ShowChecksums(const TrackChecksumValues& checksums) override;
    void ShowError(const std::string& message) override;
    /// Fails the run: the user asked for the file.
    void ShowReportFailure(const std::string& message) override;
    void ShowDriveFailure(const std::string& message) override;
    void ShowVerdict(const RipEntry& track, const TrackVerdict& verdict) override;
    void ShowSummary(const RipResults& results) override;
    void Pause(int, std::function<void()> then) override { RunNext(std::move(then)); }
    void Close() override { MarkOver(); }

private:
    std::string label_;
    int32_t labelTrack_ = -1; // of label_
    int32_t lineTrack_ = -1;  // of the line under way
};

} // namespace corvath::cli
