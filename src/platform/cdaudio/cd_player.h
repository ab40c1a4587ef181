#pragma once

#include "platform/cdaudio/audio_output.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace corvath {

/// Plays the audio of a disc (a CD drive or a registered disc image of the drive list) from the
/// start of one track to the start of another or to the end of the disc. Reads go through a CD
/// handle the player opens for itself and run, with the output, on a thread of the player's
/// own: no call here waits for a read or for the sound output, even one that blocks.
///
/// Tracks are positions in the disc's TOC, 1 for its first entry and 0 for the audio hidden
/// before it (TrackSectors). Main thread, except where said.
class CdPlayer {
public:
    /// Called once on the player's thread when a play ends by itself: at its end position with
    /// failure empty, or because the sound output could not be made, opened or written to or
    /// the disc could not be read, with failure saying why in words for the user. Not called
    /// after Stop, Close or a newer Play.
    using Completion = std::function<void(const std::string& failure)>;

    explicit CdPlayer(AudioOutputFactory makeOutput);
    /// Stops and closes.
    ~CdPlayer();
    CdPlayer(const CdPlayer&) = delete;
    CdPlayer& operator=(const CdPlayer&) = delete;

    /// Opens entry driveIndex of the CD layer's drive list and reads its TOC; false when either
    /// fails. Closes what was open first.
    bool Open(int32_t driveIndex);
    bool IsOpen() const;

    /// Number of tracks of the open disc; 0 when none is open.
    int TrackCount() const;

    /// Starts playing from the start of track `from` to the start of track `to`, or to the end
    /// of the disc when `to` is nothing; a play under way ends first. False when nothing is
    /// open or a track is out of range. The output is made and opened on the player's thread;
    /// a failure to open it ends the play, and done hears why.
    bool Play(int from, std::optional<int> to, Completion done);

    /// Pauses a play under way, or resumes a paused one; false when nothing plays.
    bool Pause();
    /// Resumes a paused play; false when none is paused.
    bool Resume();
    /// Ends a play under way (its output is aborted); false when nothing is open. Delivery ends
    /// after the read under way at most.
    bool Stop();
    /// Stops and releases the CD handle.
    void Close();

private:
    struct State;
    std::unique_ptr<State> state_;
};

/// Opens or closes the tray of entry driveIndex of the CD layer's drive list, with or without an
/// open handle (MoveCDTray). False, with the reason in GetCdLastErrorText, when there is no such
/// drive, it is a disc image, or the drive cannot do it.
bool EjectTray(int32_t driveIndex);
bool CloseTray(int32_t driveIndex);

} // namespace corvath
