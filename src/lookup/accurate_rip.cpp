#include "lookup/accurate_rip.h"

#include "platform/bytes/little_endian.h"
#include "platform/text/hex_text.h"

#include <algorithm>
#include <cstdio>

namespace corvath {

namespace {

constexpr std::size_t kSubmissionHeaderBytes = 13; // track count, id1, id2, freedb id
constexpr std::size_t kSubmissionTrackBytes = 9;   // confidence, checksum, offset-finding checksum

uint32_t Lba(uint32_t frames)
{
    return frames >= kCdLeadInSectors ? frames - kCdLeadInSectors : 0;
}

} // namespace

AccurateRipDisc AccurateRipDiscOf(const DiscFrames& disc, const std::vector<bool>& audio)
{
    AccurateRipDisc id;
    for (std::size_t k = 0; k < disc.trackStarts.size(); ++k) {
        if (k >= audio.size() || !audio[k])
            continue;
        const uint32_t lba = Lba(disc.trackStarts[k]);
        ++id.audioTracks;
        id.id1 += lba;
        id.id2 += std::max<uint32_t>(lba, 1) * static_cast<uint32_t>(k + 1);
    }
    const uint32_t leadOut = Lba(disc.leadOut);
    id.id1 += leadOut;
    id.id2 += leadOut * (id.audioTracks + 1);
    id.freedbId = FreedbDiscNumber(disc);
    return id;
}

AccurateRipDisc AccurateRipDiscOf(const CdToc& toc)
{
    const DiscFrames disc = TocFrames(toc);
    std::vector<bool> audio;
    for (std::size_t k = 0; k < disc.trackStarts.size(); ++k)
        audio.push_back(!IsDataTrack(toc.Entries[k]));
    return AccurateRipDiscOf(disc, audio);
}

std::string AccurateRipPath(const AccurateRipDisc& disc)
{
    const std::string id1 = HexText(disc.id1, 8, HexLetters::Lower);
    char count[4];
    std::snprintf(count, sizeof count, "%03u", disc.audioTracks % 1000);
    return std::string{id1[7], '/', id1[6], '/', id1[5], '/'} + "dBAR-" + count + "-" + id1 + "-" +
           HexText(disc.id2, 8, HexLetters::Lower) + "-" +
           HexText(disc.freedbId, 8, HexLetters::Lower) + ".bin";
}

std::optional<std::vector<AccurateRipSubmission>>
ParseAccurateRipAnswer(std::span<const uint8_t> answer, const AccurateRipDisc& disc)
{
    std::vector<AccurateRipSubmission> submissions;
    while (!answer.empty()) {
        if (answer.size() < kSubmissionHeaderBytes)
            return std::nullopt;
        const uint8_t tracks = answer[0];
        const std::size_t bytes = kSubmissionHeaderBytes + tracks * kSubmissionTrackBytes;
        if (answer.size() < bytes || tracks != disc.audioTracks ||
            ReadLe32(&answer[1]) != disc.id1 || ReadLe32(&answer[5]) != disc.id2 ||
            ReadLe32(&answer[9]) != disc.freedbId)
            return std::nullopt;
        AccurateRipSubmission submission;
        for (std::size_t t = 0; t < tracks; ++t) {
            const uint8_t* track = &answer[kSubmissionHeaderBytes + t * kSubmissionTrackBytes];
            submission.tracks.push_back({track[0], ReadLe32(track + 1)});
        }
        submissions.push_back(std::move(submission));
        answer = answer.subspan(bytes);
    }
    if (submissions.empty())
        return std::nullopt;
    return submissions;
}

AccurateRipLookup LookUpAccurateRip(const std::string& root, const AccurateRipDisc& disc,
                                    const HttpGetOptions& http)
{
    using Outcome = AccurateRipLookup::Outcome;
    const std::string url = root + "/" + AccurateRipPath(disc);
    const HttpGetResult answer = HttpGet(url, http);
    if (!answer.reached)
        return {Outcome::Failed, {}, NoAnswerText(answer, url, http.maxBodyBytes)};
    if (answer.status == 404)
        return {Outcome::NotInDatabase, {}, {}};
    if (answer.status != 200)
        return {Outcome::Failed, {}, url + " answered HTTP " + std::to_string(answer.status)};
    std::optional<std::vector<AccurateRipSubmission>> submissions = ParseAccurateRipAnswer(
        std::span(reinterpret_cast<const uint8_t*>(answer.body.data()), answer.body.size()), disc);
    if (!submissions)
        return {Outcome::NotInDatabase, {}, {}};
    return {Outcome::Found, std::move(*submissions), {}};
}

AccurateRipVerdict JudgeTrack(const std::vector<AccurateRipSubmission>& submissions,
                              std::size_t index, uint32_t v1, uint32_t v2)
{
    AccurateRipVerdict verdict;
    for (const AccurateRipSubmission& submission : submissions) {
        if (index >= submission.tracks.size())
            continue;
        const AccurateRipSubmission::Track& track = submission.tracks[index];
        // Database files pad tracks nobody submitted with confidence 0 and checksum 0, which
        // a silent track's checksums equal: such an entry vouches for nothing.
        if (track.confidence == 0)
            continue;
        const int version = track.checksum == v2 ? 2 : track.checksum == v1 ? 1 : 0;
        if (version != 0 && (verdict.kind != AccurateRipVerdict::Kind::Accurate ||
                             track.confidence > verdict.confidence)) {
            verdict = {AccurateRipVerdict::Kind::Accurate, track.confidence, version};
        }
    }
    return verdict;
}

} // namespace corvath
