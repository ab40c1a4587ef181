#include "platform/text/base64.h"

#include <nettle/base64.h>

namespace corvath {

std::string Base64(std::span<const uint8_t> bytes)
{
    std::string encoded(BASE64_ENCODE_RAW_LENGTH(bytes.size()), '\0');
    base64_encode_raw(encoded.data(), bytes.size(), bytes.data());
    return encoded;
}

} // namespace corvath
