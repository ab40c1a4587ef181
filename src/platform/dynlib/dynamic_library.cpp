#include "platform/dynlib/dynamic_library.h"

#include <dlfcn.h>

namespace corvath {

DynamicLibrary DynamicLibrary::Open(const std::string& fileName)
{
    DynamicLibrary library;
    library.fileName_ = fileName;
    if (void* handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL))
        library.handle_ = std::shared_ptr<void>(handle, [](void* h) { ::dlclose(h); });
    return library;
}

void DynamicLibrary::KeepLoaded() const
{
    // A second reference to the loaded library, never dropped, with the no-unload flag set.
    if (handle_)
        ::dlopen(fileName_.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

void* DynamicLibrary::Address(const char* name) const
{
    return handle_ ? ::dlsym(handle_.get(), name) : nullptr;
}

} // namespace corvath
