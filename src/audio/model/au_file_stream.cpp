#include "audio/model/au_file_stream.h"

#include "audio/model/au_exception.h"

#include <cerrno>
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

bool IsRegularFile(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

TAuFileStream::TAuFileStream(const std::string& fileName, uint16_t mode) : fileName_(fileName)
{
    const bool create = mode == kCreate;
    const FileShareMode share =
        create ? FileShareMode{.read = true, .write = true} : ShareModeOf(mode);
    // Never truncate before the sharing check: a file another open holds must stay whole.
    fd_ = UniqueFd(::open(fileName.c_str(), OpenFlagsOf(share) | (create ? O_CREAT : 0), 0666));
    if (fd_ && IsRegularFile(fd_.get()))
        share_ = FileShareLock::Acquire(fileName, share);
    const bool opened = share_.has_value() && (!create || Empty());
    if (!opened)
        throw EAuException((create ? "Cannot create file " : "Cannot open file ") + fileName);
}

bool TAuFileStream::Empty()
{
    // Truncating a file that is already empty is not free: some file systems then flush the
    // whole new content when it is closed.
    struct stat status {};
    return ::fstat(fd_.get(), &status) == 0 &&
           (status.st_size == 0 || ::ftruncate(fd_.get(), 0) == 0);
}

void TAuFileStream::Fail(const char* what) const
{
    throw EAuException(std::string(what) + fileName_);
}

std::size_t TAuFileStream::Read(void* buffer, std::size_t count)
{
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
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t written = ::write(fd_.get(), bytes + done, count - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            Fail("Cannot write file ");
        done += static_cast<std::size_t>(written);
    }
}

int64_t TAuFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
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
    if (::ftruncate(fd_.get(), size) != 0)
        Fail("Cannot write file ");
}

} // namespace corvath
