// AccurateRip disc identifiers against published ones, and the database's answers.

#include "platform/cdrom/accurate_rip.h"
#include "support/accurate_rip_file.h"
#include "support/http_test_server.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

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
    EXPECT_NE(dead.failure.find("Could not reach"), std::string::npos) << dead.failure;
}

// A rip that stops must not wait for a server that keeps silent.
TEST_F(AccurateRipAnswer, ACancelledLookupFailsWithoutWaitingForTheServer)
{
    const test::HttpTestServer silent = test::HttpTestServer::Silent();
    std::atomic<bool> cancel{false};
    HttpGetOptions http{{}, std::chrono::minutes(10), std::chrono::minutes(10), &cancel};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the request is under way
        cancel = true;
    });
    const AccurateRipLookup lookup =
        LookUpAccurateRip("http://" + silent.Address() + "/accuraterip", disc_, http);
    stopper.join();
    EXPECT_EQ(lookup.outcome, AccurateRipLookup::Outcome::Failed);
    EXPECT_TRUE(silent.WaitForClosedConnections(1, std::chrono::seconds(10)));
}

} // namespace
} // namespace corvath
