#include "platform/files/partial_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace corvath {

std::string PartialName(const std::string& fileName)
{
    return fileName + ".part";
}

std::string NamingFinal(const std::string& message, const std::string& partial,
                        const std::string& final)
{
    std::string named = message;
    if (partial.empty() || partial == final)
        return named;
    for (std::size_t at = named.find(partial); at != std::string::npos;
         at = named.find(partial, at + final.size()))
        named.replace(at, partial.size(), final);
    return named;
}

std::string Publish(const std::string& partial, const std::string& final)
{
    if (std::rename(partial.c_str(), final.c_str()) == 0)
        return {};
    return "Cannot write file " + final + ": " + std::strerror(errno);
}

bool PublishIfFree(const std::string& partial, const std::string& final)
{
    // A hard link fails where the name is taken, so no check can race with another writer.
    if (::link(partial.c_str(), final.c_str()) != 0)
        return false;
    ::unlink(partial.c_str());
    return true;
}

} // namespace corvath
