#pragma once

#include <memory>
#include <string>

namespace corvath {

/// A shared library opened by file name (the system's default search), closed when the last
/// copy of the object goes.
class DynamicLibrary {
public:
    /// Opens the library; an empty object when it cannot be loaded.
    static DynamicLibrary Open(const std::string& fileName);

    explicit operator bool() const { return handle_ != nullptr; }
    const std::string& FileName() const { return fileName_; }

    /// Keeps the open library in the process after the last copy of the object goes: for
    /// libraries whose own start-up work (allocations, threads) must outlive any unloading.
    void KeepLoaded() const;

    /// Resolves an exported function into fn; false when the library does not export it.
    template <typename Function> bool Resolve(const char* name, Function& fn) const
    {
        fn = reinterpret_cast<Function>(Address(name));
        return fn != nullptr;
    }

private:
    void* Address(const char* name) const;

    std::string fileName_;
    std::shared_ptr<void> handle_;
};

} // namespace corvath
