#pragma once

#include "platform/dynlib/dynamic_library.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

namespace corvath {

/// Whether a codec library that nobody loaded is loaded by its first user (Available), instead
/// of only by an explicit Load at start. Off unless the program turns it on, which it does
/// before any codec is used. Any thread.
void SetCodecLibrariesLoadOnFirstUse(bool on);
bool CodecLibrariesLoadOnFirstUse();

/// A library the program opens by file name, seen apart from its entry points: what opening
/// it at start and freeing it at the end need.
class LibraryBinding {
public:
    /// Loads the library unless it is loaded; returns the loaded flag.
    virtual bool Load() = 0;
    /// Clears the loaded flag and frees the library.
    virtual void Unload() = 0;

protected:
    ~LibraryBinding() = default;
};

/// One codec library of the program, bound by file name: its entry points are resolved into a
/// process-wide table of function pointers (Api), and its loaded flag is set only when the
/// library opened and every entry point we call was found; a missing entry point counts as a
/// missing library.
///
/// Load, Available, Loaded and Functions may be used from any thread; Functions only once the
/// library is loaded. Unload only while no one uses the library (tests, the program's end).
template <typename Api> class CodecLibrary final : public LibraryBinding {
public:
    /// Resolves every entry point of the table; false when one is missing.
    using Resolver = std::function<bool(const DynamicLibrary&, Api&)>;

    CodecLibrary(std::string fileName, Resolver resolve)
        : fileName_(std::move(fileName)), resolve_(std::move(resolve))
    {
    }

    bool Load() override
    {
        std::lock_guard lock(mutex_);
        if (loaded_)
            return true;
        library_ = DynamicLibrary::Open(fileName_);
        Api api{};
        const bool resolved = library_ && resolve_(library_, api);
        if (!resolved)
            library_ = {};
        // The table is complete before the flag says so: another thread that sees the flag
        // calls through the table without the lock.
        api_ = resolved ? api : Api{};
        loaded_ = resolved;
        return resolved;
    }

    /// Loaded, or loaded now when libraries are loaded on first use. A missing library is
    /// looked for again at each call.
    bool Available() { return Loaded() || (CodecLibrariesLoadOnFirstUse() && Load()); }

    void Unload() override
    {
        std::lock_guard lock(mutex_);
        loaded_ = false;
        api_ = Api{};
        library_ = {};
    }

    bool Loaded() const { return loaded_; }
    const Api& Functions() const { return api_; }

    /// The file name looked for; tests point it elsewhere before loading.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

    /// "<file name> library could not be loaded."
    std::string NotLoadedMessage() const { return fileName_ + " library could not be loaded."; }

private:
    std::string fileName_;
    Resolver resolve_;
    std::mutex mutex_;
    DynamicLibrary library_;
    Api api_{};
    std::atomic<bool> loaded_{false};
};

} // namespace corvath
