#include "audio/model/au_file_stream.h"

#include "audio/model/au_exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvath {

namespace {

FileShareMode ShareModeOf(uint16_t mode)
{
    const int access = mode & 0x3;
    const int sharing = (mode >> 4) & 0xF;
    return {.read = access == 0 || access == 2,
            .write = access == 1 || access == 2,
            .othersMayRead = sharing == 2 || sharing == 4,
            .othersMayWrite = sharing == 3 || sharing == 4};
}

int OpenFlagsOf(const FileShareMode& share)
{
    const int access = share.read && share.write ? O_RDWR : share.write ? O_WRONLY : O_RDONLY;
    return access | O_CLOEXEC | O_NOCTTY;
}

} // namespace

TAuFileStream::TAuFileStream(const std::string& fileName, uint16_t mode) : fileName_(fileName)
{
    if (const std::optional<std::string> reason = Open(mode)) {
        throw EAuException((mode == kCreate ? "Cannot create file " : "Cannot open file ") +
                           fileName + ": " + *reason);
    }
}

std::optional<std::string> TAuFileStream::Open(uint16_t mode)
{
    const bool create = mode == kCreate;
    const FileShareMode share =
        create ? FileShareMode{.read = true, .write = true} : ShareModeOf(mode);
    const int flags = OpenFlagsOf(share);
    // Made here, or found: a found file is cut only when the stream is first used.
    if (create) {
        fd_ = UniqueFd(::open(fileName_.c_str(), flags | O_CREAT | O_EXCL, 0666));
        changed_ = static_cast<bool>(fd_);
    }
    // A link at a name being made is never followed: it would write over the link's target.
    if (!fd_ && (!create || errno == EEXIST))
        fd_ = UniqueFd(::open(fileName_.c_str(), flags | (create ? O_NOFOLLOW : 0)));
    if (!fd_)
        return std::strerror(errno);
    struct stat status {};
    if (::fstat(fd_.get(), &status) != 0)
        return std::strerror(errno);
    if (!S_ISREG(status.st_mode))
        return "not a regular file";
    share_ = FileShareLock::Acquire(fileName_, share);
    if (!share_) {
        if (changed_)
            ::unlink(fileName_.c_str());
        return "the file is in use";
    }
    pendingCut_ = create && status.st_size > 0;
    return std::nullopt;
}

void TAuFileStream::CutIfPending()
{
    if (!pendingCut_)
        return;
    if (::ftruncate(fd_.get(), 0) != 0)
        Fail("Cannot write file ");
    pendingCut_ = false;
    changed_ = true;
}

void TAuFileStream::Fail(const char* what) const
{
    throw EAuException(std::string(what) + fileName_ + ": " + std::strerror(errno));
}

std::size_t TAuFileStream::Read(void* buffer, std::size_t count)
{
    CutIfPending();
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd_.get(), bytes + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Fail("Cannot read file ");
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void TAuFileStream::Write(const void* buffer, std::size_t count)
{
    CutIfPending();
    changed_ = true;
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t written = ::write(fd_.get(), bytes + done, count - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO; // no progress and no reason given
        if (written <= 0)
            Fail("Cannot write file ");
        done += static_cast<std::size_t>(written);
    }
}

int64_t TAuFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    // Asking for the position of an untouched file is no use of it.
    if (offset != 0 || origin == TSeekOrigin::End)
        CutIfPending();
    const int whence = origin == TSeekOrigin::Begin     ? SEEK_SET
                       : origin == TSeekOrigin::Current ? SEEK_CUR
                                                        : SEEK_END;
    const off_t position = ::lseek(fd_.get(), offset, whence);
    if (position < 0)
        Fail("Cannot seek in file ");
    return position;
}

void TAuFileStream::SetSize(int64_t size)
{
    CutIfPending();
    changed_ = true;
    if (::ftruncate(fd_.get(), size) != 0)
        Fail("Cannot write file ");
}

} // namespace corvath
