#pragma once

#include "platform/files/audio_stream.h"
#include "platform/files/file_share.h"
#include "platform/files/unique_fd.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corvath {

/// A file opened by an audio component, with the program's sharing modes.
///
/// Mode 0xFFFF creates or truncates the file for reading and writing with no sharing ("Cannot
/// create file %s" on failure). An existing file is cut only when the stream is first used, so
/// a run that fails before writing leaves it as it was. Any other mode opens an existing file:
/// access from the low two bits (0 read, 1 write, 2 read and write), sharing from bits 4 to 7
/// (0 and 1 none, 2 others may read, 3 others may write, 4 both); "Cannot open file %s" on
/// failure. Sharing is honoured between the program's own opens (FileShareLock). Failures name
/// the file and the system's reason: "Cannot write file %s: No space left on device".
class TAuFileStream : public TAudioStream {
public:
    static constexpr uint16_t kCreate = 0xFFFF;
    static constexpr uint16_t kReadShareRead = 0x20;
    static constexpr uint16_t kReadWriteExclusive = 0x12;

    TAuFileStream(const std::string& fileName, uint16_t mode);

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

    const std::string& FileName() const { return fileName_; }
    /// Whether this stream changed what was on disk before it: it made a new file, or cut or
    /// wrote an existing one.
    bool ChangedFile() const { return changed_; }

private:
    /// Opens the file for mode; the reason when it cannot be opened.
    std::optional<std::string> Open(uint16_t mode);
    /// Throws "<what><file name>: <the system's reason>" for the failure in errno.
    [[noreturn]] void Fail(const char* what) const;
    /// Cuts a created file that held something before, once the stream is really used.
    void CutIfPending();

    std::string fileName_;
    UniqueFd fd_;
    std::optional<FileShareLock> share_;
    bool changed_ = false;
    bool pendingCut_ = false;
};

} // namespace corvath
