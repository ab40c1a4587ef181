#include "cli/stop_signals.h"

#include <array>
#include <csignal>

namespace corvath::cli {

namespace {

constexpr std::array kStopSignals = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t received = 0;
std::array<struct sigaction, kStopSignals.size()> previous{};

void Note(int signal)
{
    if (received == 0)
        received = signal;
}

} // namespace

StopSignals::StopSignals()
{
    received = 0;
    struct sigaction action {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        sigaction(kStopSignals[i], &action, &previous[i]);
}

StopSignals::~StopSignals()
{
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        sigaction(kStopSignals[i], &previous[i], nullptr);
}

int StopSignals::Received()
{
    return received;
}

} // namespace corvath::cli
