// AccurateRip disc identifiers against published ones, and the database's answers.

#include "lookup/accurate_rip.h"
#include "support/accurate_rip_file.h"
#include "support/http_test_server.h"
#include "support/test_data.h"

#include <gtest/gtest.h>
#include <optional>
#include <span>
#include <sstream>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace corvath {
namespace {

// A TOC written as its count, then the tracks' starts and the lead-out in hex frames with the
// lead-in ("4+96+2D2B+6256+B327+D84A").
DiscFrames FramesOf(const std::string& toc)
{
    std::istringstream parts(toc);
    std::vector<uint32_t> numbers;
    for (std::string part; std::getline(parts, part, '+');)
        numbers.push_back(static_cast<uint32_t>(std::stoul(part, nullptr, 16)));
    return {std::vector<uint32_t>(numbers.begin() + 1, numbers.end() - 1), numbers.back()};
}

std::string PathOf(const DiscFrames& disc, std::vector<bool> audio = {})
{
    if (audio.empty())
        audio.assign(disc.trackStarts.size(), true);
    return AccurateRipPath(AccurateRipDiscOf(disc, audio));
}

TEST(AccurateRipDisc, IdentifiersEqualThePublishedOnes)
{
    // Published with the cdtoc crate's tests (src/accuraterip.rs).
    EXPECT_EQ(PathOf(FramesOf("4+96+2D2B+6256+B327+D84A")),
              "a/9/8/dBAR-004-0002189a-00087f33-1f02e004.bin");
    // Thirteen audio tracks and a data track after them.
    std::vector<bool> thirteenAudio(14, true);
    thirteenAudio.back() = false;
    EXPECT_EQ(PathOf(FramesOf("D+96+3B5D+78E3+B441+EC83+134F4+17225+1A801+1EA5C+23B5B+27CEF+"
                              "2B58B+2F974+35D56+514C8"),
                     thirteenAudio),
              "d/e/2/dBAR-013-001802ed-00f8ee31-b611560e.bin");

    // An enhanced CD, published with whipper's tests (tests/test_image_table.py): twelve audio
    // tracks and a data track, whose session's lead-out is the disc's.
    DiscFrames enhanced;
    for (const uint32_t lba : {0, 15537, 31691, 50866, 66466, 81202, 99409, 115920, 133093, 149847,
                               161560, 177682, 207106})
        enhanced.trackStarts.push_back(lba + 150);
    enhanced.leadOut = 210385 + 150;
    std::vector<bool> audio(13, true);
    audio.back() = false;
    EXPECT_EQ(PathOf(enhanced, audio), "a/5/d/dBAR-012-0013bd5a-00b8d489-c60af50d.bin");

    // "Bach: Organ Concertos" (Simon Preston, DGG), whose database file libarcstk's tests
    // fetched from .../8/7/1/dBAR-015-001b9178-014be24e-b40d2d0f.bin (test/src/match.cpp);
    // the TOC is theirs too, in sectors without the lead-in.
    DiscFrames bach;
    for (const uint32_t lba : {33, 5225, 7390, 23380, 35608, 49820, 69508, 87733, 106333, 139495,
                               157863, 198495, 213368, 225320, 234103})
        bach.trackStarts.push_back(lba + 150);
    bach.leadOut = 253038 + 150;
    EXPECT_EQ(PathOf(bach), "8/7/1/dBAR-015-001b9178-014be24e-b40d2d0f.bin");
}

class AccurateRipAnswer : public ::testing::Test {
protected:
    // One submission for the disc: a confidence and a checksum per track.
    void Submit(const test::AccurateRipSubmitted& tracks)
    {
        const std::string file = test::AccurateRipFile(disc_, {tracks});
        answer_.insert(answer_.end(), file.begin(), file.end());
    }

    AccurateRipDisc disc_{2, 0x0000f21c, 0x00027ef8, 0x05021002};
    std::vector<uint8_t> answer_;
};

TEST_F(AccurateRipAnswer, ATrackMatchingAnySubmissionIsAccurateWithTheBestConfidence)
{
    Submit({{12, 0x284fc705}, {5, 0xdc77f9ab}});
    Submit({{20, 0x9cc1f32e}, {5, 0xdd97d2c3}});
    Submit({{3, 0x284fc705}, {9, 0xdd97d2c3}});
    const auto submissions = ParseAccurateRipAnswer(answer_, disc_);
    ASSERT_TRUE(submissions);
    ASSERT_EQ(submissions->size(), 3u);

    const AccurateRipVerdict first = JudgeTrack(*submissions, 0, 0x284fc705, 0x11111111);
    EXPECT_EQ(first.kind, AccurateRipVerdict::Kind::Accurate);
    EXPECT_EQ(first.confidence, 12u);
    EXPECT_EQ(first.version, 1);
    const AccurateRipVerdict second = JudgeTrack(*submissions, 1, 0x22222222, 0xdd97d2c3);
    EXPECT_EQ(second.confidence, 9u);
    EXPECT_EQ(second.version, 2);
    EXPECT_EQ(JudgeTrack(*submissions, 1, 0x284fc705, 0x9cc1f32e).kind,
              AccurateRipVerdict::Kind::NotAccurate)
        << "another track's checksum is no match";
    EXPECT_EQ(JudgeTrack(*submissions, 2, 0x284fc705, 0).kind,
              AccurateRipVerdict::Kind::NotAccurate);
}

TEST_F(AccurateRipAnswer, EntriesOfConfidenceZeroNeverMatch)
{
    // Padding: track 2 has no submission of its own, and a silent track's checksums are 0.
    Submit({{12, 0x284fc705}, {0, 0}});
    Submit({{5, 0xdc77f9ab}, {0, 0}});
    const auto submissions = ParseAccurateRipAnswer(answer_, disc_);
    ASSERT_TRUE(submissions);
    const AccurateRipVerdict silent = JudgeTrack(*submissions, 1, 0, 0);
    EXPECT_EQ(silent.kind, AccurateRipVerdict::Kind::NotAccurate)
        << "the disc is in the database, the track is not: not accurate, as for any checksum";
    EXPECT_EQ(silent.confidence, 0u);
    // The other track is still judged by the entries that count.
    EXPECT_EQ(JudgeTrack(*submissions, 0, 0x284fc705, 0).confidence, 12u);

    // Nor does an entry of confidence 0 holding the rip's very checksum.
    answer_.clear();
    Submit({{0, 0x284fc705}, {3, 0x9cc1f32e}});
    Submit({{2, 0x11111111}, {0, 0x9cc1f32e}});
    const auto zeroes = ParseAccurateRipAnswer(answer_, disc_);
    ASSERT_TRUE(zeroes);
    EXPECT_EQ(JudgeTrack(*zeroes, 0, 0x284fc705, 0x284fc705).kind,
              AccurateRipVerdict::Kind::NotAccurate);
    const AccurateRipVerdict second = JudgeTrack(*zeroes, 1, 0x9cc1f32e, 0);
    EXPECT_EQ(second.kind, AccurateRipVerdict::Kind::Accurate);
    EXPECT_EQ(second.confidence, 3u);
}

// A rip's v1 and v2 checksums of one track, as a project published them for its database file,
// and what the file says of them: the best confidence of both, of v1 alone and of v2 alone
// (0: not accurate).
struct PublishedTrack {
    uint32_t v1;
    uint32_t v2;
    uint32_t best;
    int bestVersion;
    uint32_t v1Alone;
    uint32_t v2Alone;
};

struct PublishedFile {
    const char* file;
    AccurateRipDisc disc;
    std::size_t submissions;
    std::vector<PublishedTrack> tracks;
};

const std::vector<PublishedFile> kPublishedFiles = {
    // libarcstk: "Bach: Organ Concertos"; the rip's checksums from test/src/match.cpp, the
    // file's entries from test/src/parse.cpp. Its first submission holds v2 checksums, the
    // second v1 ones, the third another pressing's.
    {"dBAR-015-001b9178-014be24e-b40d2d0f.bin",
     {15, 0x001b9178, 0x014be24e, 0xb40d2d0f},
     3,
     {{0x98B10E0F, 0xB89992E5, 24, 2, 20, 24},
      {0x475F57E9, 0x4F77EB03, 24, 2, 20, 24},
      {0x7304F1C4, 0x56582282, 24, 2, 20, 24},
      {0xF2472287, 0x9E2187F9, 24, 2, 20, 24},
      {0x881BC504, 0x6BE71E50, 24, 2, 20, 24},
      {0xBB94BFD4, 0x01E7235F, 24, 2, 20, 24},
      {0xF9CAEE76, 0xD8F7763C, 24, 2, 20, 24},
      {0xF9F60BC1, 0x8480223E, 24, 2, 20, 24},
      {0x2C736302, 0x42C5061C, 24, 2, 19, 24},
      {0x1C955978, 0x47A70F02, 23, 2, 20, 23},
      {0xFDA6D833, 0xBABF08CC, 23, 2, 19, 23},
      {0x3A57E5D1, 0x563EDCCB, 23, 2, 21, 23},
      {0x6ED5F3E7, 0xAB123C7C, 23, 2, 19, 23},
      {0x4A5C3872, 0xC65C20E4, 22, 2, 20, 22},
      {0x5FE8B032, 0x58FC3C3E, 22, 2, 19, 22}}},
    // whipper: the rip's checksums and the best confidences (12, 20) from
    // whipper/test/test_common_accurip.py; the v2 confidences of this copy of the file from
    // dart_accuraterip's test/accuraterip_golden_test.dart.
    {"dBAR-002-0000f21c-00027ef8-05021002.bin",
     {2, 0x0000f21c, 0x00027ef8, 0x05021002},
     2,
     {{0x284fc705, 0xdc77f9ab, 12, 1, 12, 7}, {0x9cc1f32e, 0xdd97d2c3, 20, 1, 20, 7}}},
};

class PublishedDatabaseFiles : public ::testing::TestWithParam<PublishedFile> {};

std::optional<std::vector<AccurateRipSubmission>> ParsePublished(const PublishedFile& published,
                                                                 const std::string& bytes)
{
    return ParseAccurateRipAnswer(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), published.disc);
}

uint32_t ConfidenceOf(const AccurateRipVerdict& verdict)
{
    return verdict.kind == AccurateRipVerdict::Kind::Accurate ? verdict.confidence : 0;
}

TEST_P(PublishedDatabaseFiles, HoldThePublishedChecksums)
{
    const PublishedFile& published = GetParam();
    const std::string bytes = test::ReadTestData(std::string("accuraterip/") + published.file);
    EXPECT_EQ(AccurateRipPath(published.disc).substr(6), published.file)
        << "the file's name is the disc's";
    const auto submissions = ParsePublished(published, bytes);
    ASSERT_TRUE(submissions);
    ASSERT_EQ(submissions->size(), published.submissions);
    constexpr uint32_t kNoMatch = 0xdeadbeef;
    for (std::size_t index = 0; index < published.tracks.size(); ++index) {
        const PublishedTrack& track = published.tracks[index];
        const AccurateRipVerdict best = JudgeTrack(*submissions, index, track.v1, track.v2);
        EXPECT_EQ(best.kind, AccurateRipVerdict::Kind::Accurate) << "track " << index + 1;
        EXPECT_EQ(best.confidence, track.best) << "track " << index + 1;
        EXPECT_EQ(best.version, track.bestVersion) << "track " << index + 1;
        EXPECT_EQ(ConfidenceOf(JudgeTrack(*submissions, index, track.v1, kNoMatch)), track.v1Alone)
            << "track " << index + 1;
        EXPECT_EQ(ConfidenceOf(JudgeTrack(*submissions, index, kNoMatch, track.v2)), track.v2Alone)
            << "track " << index + 1;
        EXPECT_EQ(JudgeTrack(*submissions, index, kNoMatch, kNoMatch).kind,
                  AccurateRipVerdict::Kind::NotAccurate);
    }
}

// The database pads files with submissions of confidence 0 and checksum 0: appended to a real
// file, one changes no verdict, and a silent track (checksums 0) matches nothing.
TEST_P(PublishedDatabaseFiles, PaddingNeverMatches)
{
    const PublishedFile& published = GetParam();
    const std::string padding = test::AccurateRipFile(
        published.disc, {test::AccurateRipPadding(published.disc.audioTracks)});
    const std::string bytes =
        test::ReadTestData(std::string("accuraterip/") + published.file) + padding;
    const auto submissions = ParsePublished(published, bytes);
    ASSERT_TRUE(submissions);
    ASSERT_EQ(submissions->size(), published.submissions + 1);
    for (std::size_t index = 0; index < published.tracks.size(); ++index) {
        const PublishedTrack& track = published.tracks[index];
        EXPECT_EQ(JudgeTrack(*submissions, index, track.v1, track.v2).confidence, track.best);
        EXPECT_EQ(JudgeTrack(*submissions, index, 0, 0).kind, AccurateRipVerdict::Kind::NotAccurate)
            << "track " << index + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(AccurateRip, PublishedDatabaseFiles, ::testing::ValuesIn(kPublishedFiles),
                         [](const auto& info) {
                             return "tracks_" + std::to_string(info.param.disc.audioTracks);
                         });

TEST_F(AccurateRipAnswer, WhatIsNoDatabaseFileForTheDiscIsRefused)
{
    const std::string html = "<html><body>404 Not Found</body></html>";
    EXPECT_FALSE(ParseAccurateRipAnswer(
        std::span(reinterpret_cast<const uint8_t*>(html.data()), html.size()), disc_));
    EXPECT_FALSE(ParseAccurateRipAnswer({}, disc_));

    Submit({{1, 1}, {1, 2}});
    answer_.pop_back(); // cut short
    EXPECT_FALSE(ParseAccurateRipAnswer(answer_, disc_));

    answer_.clear();
    Submit({{1, 1}, {1, 2}});
    disc_.id2 += 1;
    EXPECT_FALSE(ParseAccurateRipAnswer(answer_, disc_)) << "another disc's file";
}

// Against a real server: the file for the disc, a 404, an HTML page for a missing disc, a
// server error and a closed port.
TEST_F(AccurateRipAnswer, LookupsTellFoundMissingAndFailedApart)
{
    using Outcome = AccurateRipLookup::Outcome;
    Submit({{7, 0x11111111}, {7, 0x22222222}});
    const std::string file(answer_.begin(), answer_.end());
    const std::string path = "/accuraterip/" + AccurateRipPath(disc_);
    test::HttpTestServer server([&](const std::string& target) -> test::HttpTestResponse {
        if (target == path)
            return {200, file};
        if (target.starts_with("/html/"))
            return {200, "<html>no such disc</html>"};
        if (target.starts_with("/broken/"))
            return {500, ""};
        return {404, "not found"};
    });
    const HttpGetOptions http{{}, std::chrono::seconds(5), std::chrono::seconds(5)};
    const std::string root = "http://" + server.Address();

    const AccurateRipLookup found = LookUpAccurateRip(root + "/accuraterip", disc_, http);
    ASSERT_EQ(found.outcome, Outcome::Found) << found.failure;
    EXPECT_EQ(found.submissions.size(), 1u);
    EXPECT_EQ(LookUpAccurateRip(root + "/elsewhere", disc_, http).outcome, Outcome::NotInDatabase);
    EXPECT_EQ(LookUpAccurateRip(root + "/html", disc_, http).outcome, Outcome::NotInDatabase);

    const AccurateRipLookup broken = LookUpAccurateRip(root + "/broken", disc_, http);
    EXPECT_EQ(broken.outcome, Outcome::Failed);
    EXPECT_NE(broken.failure.find("HTTP 500"), std::string::npos) << broken.failure;
    const AccurateRipLookup dead = LookUpAccurateRip(
        "http://" + test::HttpTestServer::ClosedAddress() + "/accuraterip", disc_, http);
    EXPECT_EQ(dead.outcome, Outcome::Failed);
    EXPECT_NE(dead.failure.find("Could not connect to"), std::string::npos) << dead.failure;
}

// A server that took the request is not called unreachable: silence past the time-out and an
// answer beyond the limit are told as what they are.
TEST_F(AccurateRipAnswer, NoAnswerSaysWhyTheServerGaveNone)
{
    const test::HttpTestServer silent = test::HttpTestServer::Silent();
    const test::HttpTestServer huge([](const std::string&) {
        return test::HttpTestResponse{200, std::string((std::size_t{1} << 20) + 1, '\0')};
    });
    const std::string closed = test::HttpTestServer::ClosedAddress();
    const HttpGetOptions http{{}, std::chrono::seconds(5), std::chrono::seconds(1)};
    struct Case {
        std::string address;
        std::string before; // the failure is before + the URL + after
        std::string after;
    };
    for (const Case& c : {Case{silent.Address(), "",
                               " took the request but did not answer in time: Timeout was reached"},
                          Case{huge.Address(), "The answer from ", " is larger than 1 MiB"},
                          Case{closed, "Could not connect to ", ": Couldn't connect to server"}}) {
        const std::string root = "http://" + c.address + "/accuraterip";
        const AccurateRipLookup lookup = LookUpAccurateRip(root, disc_, http);
        EXPECT_EQ(lookup.outcome, AccurateRipLookup::Outcome::Failed);
        EXPECT_EQ(lookup.failure, c.before + root + "/" + AccurateRipPath(disc_) + c.after);
    }
}

// A rip that stops must not wait for a server that keeps silent.
TEST_F(AccurateRipAnswer, ACancelledLookupFailsWithoutWaitingForTheServer)
{
    const test::HttpTestServer silent = test::HttpTestServer::Silent();
    std::stop_source stop;
    HttpGetOptions http{{}, std::chrono::minutes(10), std::chrono::minutes(10), stop.get_token()};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the request is under way
        stop.request_stop();
    });
    const AccurateRipLookup lookup =
        LookUpAccurateRip("http://" + silent.Address() + "/accuraterip", disc_, http);
    stopper.join();
    EXPECT_EQ(lookup.outcome, AccurateRipLookup::Outcome::Failed);
    EXPECT_TRUE(silent.WaitForClosedConnections(1, std::chrono::seconds(10)));
}

} // namespace
} // namespace corvath
