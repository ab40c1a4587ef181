#pragma once

#include <stdexcept>
#include <string>

namespace corvath {

/// The one exception class of the audio components; its message is shown to the user as it is.
class EAuException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Raises "<file> library could not be loaded." when a codec library is missing.
template <typename Library> void RequireLoaded(const Library& library)
{
    if (!library.Loaded())
        throw EAuException(library.NotLoadedMessage());
}

} // namespace corvath
