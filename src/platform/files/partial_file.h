#pragma once

#include <string>

namespace corvath {

/// The name a file is written under until it is complete: beside its final name, so that
/// taking that name is a rename within one folder, and marked as unfinished for anyone who
/// finds it after a failure.
std::string PartialName(const std::string& fileName);

/// A message about a file written under its partial name, naming the file by its final name,
/// the one the user knows.
std::string NamingFinal(const std::string& message, const std::string& partial,
                        const std::string& final);

/// Gives the complete file at `partial` its final name, replacing what had that name (a link
/// there is replaced, not followed). Empty on success, else "Cannot write file <final>:
/// <system reason>"; the partial file then stays.
std::string Publish(const std::string& partial, const std::string& final);

/// Gives the file at `partial` the final name only when nothing has that name: a file that
/// was there before is never replaced. True when it took the name.
bool PublishIfFree(const std::string& partial, const std::string& final);

} // namespace corvath
