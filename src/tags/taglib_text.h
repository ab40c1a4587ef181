#pragma once

#include <string>
#include <string_view>
#include <tbytevector.h>
#include <tstring.h>

namespace corvath {

/// UTF-8 text as TagLib's string (whose char constructor would take Latin-1). Any thread.
TagLib::String TagText(std::string_view utf8);

/// TagLib's string as UTF-8.
std::string Utf8Of(const TagLib::String& text);

/// Bytes in and out of TagLib's byte vector.
TagLib::ByteVector TagBytes(std::string_view bytes);
std::string BytesOf(const TagLib::ByteVector& bytes);

} // namespace corvath
