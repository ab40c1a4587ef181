#pragma once

#include <stdexcept>
#include <string>

namespace corvath {

/// The one exception class of the audio components; its message is shown to the user as it is.
class EAuException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Raises "<file> library could not be loaded." when a codec library is missing (loading it
/// first when the program loads libraries on first use).
template <typename Library> void RequireLoaded(Library& library)
{
    if (!library.Available())
        throw EAuException(library.NotLoadedMessage());
}

} // namespace corvath
