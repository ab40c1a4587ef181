#include "support/musicbrainz_test_json.h"

namespace corvath::test {

using Json = nlohmann::json;

Json MediumJson(int position, const std::string& discId, const std::vector<std::string>& titles)
{
    Json tracks = Json::array();
    for (std::size_t i = 0; i < titles.size(); ++i)
        tracks.push_back({{"position", i + 1},
                          {"number", std::to_string(i + 1)},
                          {"title", titles[i]},
                          {"recording", {{"title", titles[i]}}}});
    Json discs = Json::array();
    if (!discId.empty())
        discs.push_back({{"id", discId}});
    return {{"position", position},
            {"format", "CD"},
            {"track-count", titles.size()},
            {"discs", discs},
            {"tracks", tracks}};
}

Json ReleaseJson(const std::string& id, const std::string& title, const std::vector<Json>& media)
{
    return {{"id", id},
            {"title", title},
            {"date", nullptr},
            {"artist-credit", {{{"name", "Artist of " + title}, {"joinphrase", ""}}}},
            {"media", media}};
}

std::string DiscIdAnswer(const Json& releases)
{
    return Json{{"releases", releases}}.dump();
}

} // namespace corvath::test
