#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace corvath::test {

/// Builders of MusicBrainz web-service answers, with only the fields the program reads.

/// A CD medium at position with these track titles; discId, when not empty, is its one disc.
nlohmann::json MediumJson(int position, const std::string& discId,
                          const std::vector<std::string>& titles);

/// A release without a date, credited to "Artist of <title>".
nlohmann::json ReleaseJson(const std::string& id, const std::string& title,
                           const std::vector<nlohmann::json>& media);

/// The text of a /ws/2/discid answer listing these releases.
std::string DiscIdAnswer(const nlohmann::json& releases);

} // namespace corvath::test
