#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace corvath::cli {

/// A handle of the CD layer, closed when it goes.
class CdHandle {
public:
    explicit CdHandle(int32_t handle) : handle_(handle) {}
    ~CdHandle();
    CdHandle(CdHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
    CdHandle(const CdHandle&) = delete;
    CdHandle& operator=(const CdHandle&) = delete;
    CdHandle& operator=(CdHandle&&) = delete;

    int32_t get() const { return handle_; }

private:
    int32_t handle_;
};

/// Opens entry index of the CD layer's drive list. Nothing, with the reason on err, when there
/// is no such entry or it cannot be opened.
std::optional<CdHandle> OpenDrive(std::size_t index, std::ostream& err);

/// Registers a disc image (.cue, .toc, .nrg) and opens it, as OpenDrive does.
std::optional<CdHandle> OpenImage(const std::string& image, std::ostream& err);

/// The disc a command was pointed at: the image when one is given, else the drive, else the
/// settings' drive index (-1, none chosen, counting as 0).
std::optional<CdHandle> OpenChosenDisc(const std::optional<std::size_t>& drive,
                                       const std::string& image, int32_t settingsIndex,
                                       std::ostream& err);

} // namespace corvath::cli
