#pragma once

// What the benchmarks share: scratch files, a generated test signal, timing, and comparisons of
// contenders that take turns on the same input.

#include "audio/model/au_converter.h"
#include "audio/model/au_file_out.h"
#include "audio/model/call_dispatcher.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace corvath::bench {

namespace fs = std::filesystem;

inline constexpr double kBytesPerMb = 1e6;
inline constexpr uint32_t kSampleRate = 44100;
inline constexpr uint16_t kChannels = 2;
inline constexpr uint16_t kBitsPerSample = 16;
inline constexpr uint32_t kFrameBytes = kChannels * kBitsPerSample / 8;

/// A fresh folder under the system's temporary folder, removed with its content when it goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

/// Writes a 16-bit stereo 44.1 kHz PCM WAV file of about mb megabytes: a 440 Hz sine with
/// noise, so that encoders meet a signal that is neither silent nor trivial.
void WriteTestWav(const fs::path& file, double mb);

/// A benchmark's main: runs body and returns 0, or names what it threw on standard error and
/// returns 1.
int RunBenchmark(const char* name, const std::function<void()>& body);

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point start);
double SecondsOf(const std::function<void()>& work);

/// Runs a shell command; throws when it fails.
void RunTool(const std::string& command);
/// The path as one word of a shell command line.
std::string Quoted(const fs::path& path);
bool HaveTool(const std::string& name);

struct ChainTiming {
    double finished = 0; // from Start until the worker has completed the file
    double done = 0;     // from Start until OnDone
};

/// Runs a WAV file through the engine's reader, and the filter when there is one, into out
/// (configured but for its input and file name). OnDone follows the completed file after a fixed
/// pause: latency rather than throughput, so the worker's end is timed on its own.
ChainTiming ConvertThroughChain(CallDispatcher& dispatcher, const fs::path& from,
                                const fs::path& to, TAuFileOut& out,
                                TAuConverter* filter = nullptr);

/// Converts or copies a file to another and returns the seconds it took.
using TimedRun = std::function<double(const fs::path& from, const fs::path& to)>;

/// One comparison's files: a generated input, and an output removed after each timed run.
class Comparison {
public:
    Comparison(const ScratchFolder& folder, const std::string& name, double mb, int runs);
    ~Comparison();
    Comparison(const Comparison&) = delete;
    Comparison& operator=(const Comparison&) = delete;

    double Mb() const { return mb_; }

    /// The shortest time of each contender. They take turns, run after run, so that the state
    /// of the machine (page cache, write-back of earlier runs) favours none of them.
    std::vector<double> BestOfTurns(const std::vector<TimedRun>& contenders) const;

    void PrintRow(const std::string& label, double seconds) const;

private:
    fs::path source_;
    fs::path target_;
    int runs_;
    double mb_ = 0;
};

/// How long a test signal a benchmark makes and how often it runs each contender.
struct SecondsOptions {
    double seconds = 0;
    int runs = 3;
};

/// Reads "--seconds N" and "--runs N"; throws std::invalid_argument for anything else and for
/// signals shorter than minimumSeconds.
SecondsOptions ParseSecondsOptions(int argc, char** argv, double defaultSeconds,
                                   double minimumSeconds, int defaultRuns = 3);

void PrintRatio(const std::string& label, double ratio, const std::string& note);

/// A ratio of times with its target: "target: within 1.3x -- met" (or MISSED).
void PrintRatioAgainstTarget(const std::string& label, double ratio, double target);

} // namespace corvath::bench
