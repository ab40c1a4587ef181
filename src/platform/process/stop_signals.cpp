#include "platform/process/stop_signals.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>

namespace corvath {

namespace {

// The handler may only touch lock-free atomics and call async-signal-safe functions.
std::atomic<int> writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void NoteSignal(int signal)
{
    const int savedErrno = errno;
    const auto byte = static_cast<char>(signal); // signal numbers fit in a byte
    // A full pipe already says that a signal came.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd.load(), &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
    readEnd_ = UniqueFd(fds[0]);
    writeEnd_ = UniqueFd(fds[1]);
    int none = -1;
    if (!writeEnd.compare_exchange_strong(none, writeEnd_.get()))
        throw std::logic_error("StopSignals: one lives already");

    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // other threads' reads and writes go on undisturbed
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &previous_[i]);
}

StopSignals::~StopSignals()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    writeEnd.store(-1);
}

int StopSignals::Take() const
{
    int first = 0;
    char bytes[16];
    for (ssize_t got; (got = ::read(readEnd_.get(), bytes, sizeof bytes)) > 0;) {
        if (first == 0)
            first = static_cast<unsigned char>(bytes[0]);
    }
    return first;
}

} // namespace corvath
