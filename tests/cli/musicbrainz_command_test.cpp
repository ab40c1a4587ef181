#include "platform/files/program_folder.h"
#include "support/audio_tools.h"
#include "support/cli_run.h"
#include "support/cover_archive.h"
#include "support/disc_image.h"
#include "support/http_test_server.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/wait.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

// A three-track release as MusicBrainz describes it; the disc matches by its track count.
std::string Release(const std::string& title, const std::string& country, const std::string& genre)
{
    return R"({"id":"mbid-)" + title + R"(","title":")" + title +
           R"(","date":"2001-02-03","country":")" + country +
           R"(","artist-credit":[{"name":"Band","joinphrase":" & "},{"name":"Guest"}],)"
           R"("label-info":[{"catalog-number":"CAT-7","label":{"name":"Label"}}],)"
           R"("genres":[{"name":")" +
           genre +
           R"("}],"media":[{"position":1,"format":"CD","track-count":3,"discs":[],"tracks":[)"
           R"({"position":1,"title":"First"},{"position":2,"title":"Second"},)"
           R"({"position":3,"title":"Third"}]}]})";
}

// The settings files live beside the executable, so each test runs its own copy of the program,
// pointed at its own MusicBrainz server and at an AccurateRip database that knows no disc.
class CliMusicBrainzTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::copy_file(ProgramFolder() + "corvath-cli", cli_);
        UseCoverArchive(noCovers_.Url());
        image_ = test::WriteCueImage(dir_ / "disc", {{test::AudioSectors(20, 1)},
                                                     {test::AudioSectors(20, 2)},
                                                     {test::AudioSectors(20, 3)}});
    }
    // The settings, with the cover archive at url and whether covers are fetched.
    void UseCoverArchive(const std::string& url, bool coverArt = true)
    {
        test::WriteFile(dir_ / "options.ini",
                        "[MusicBrainz]\nServer=http://" + musicBrainz_.Address() +
                            "\nCoverArtServer=" + url + "\nCoverArt=" + (coverArt ? "1" : "0") +
                            "\n[Rip]\nAccurateRipServer=http://" + database_.Address() + "\n");
    }
    // Exit status of a command on the image; its output goes to files in the test folder.
    int Status(const std::string& command, const std::string& arguments = "")
    {
        const std::string line = "XDG_CACHE_HOME=" + test::Quoted(dir_ / "cache") + " " +
                                 cli_.string() + " " + command + " --image '" + image_.string() +
                                 "' " + arguments + " >'" + (dir_ / "stdout").string() + "' 2>'" +
                                 (dir_ / "stderr").string() + "'";
        return WEXITSTATUS(std::system(line.c_str()));
    }
    std::string Stdout() const { return test::ReadFile(dir_ / "stdout"); }
    std::string Stderr() const { return test::ReadFile(dir_ / "stderr"); }
    // What the MusicBrainz server answers from now on; its own thread reads it.
    void Answer(std::string json)
    {
        const std::lock_guard lock(answerMutex_);
        answer_ = std::move(json);
    }

    test::TempDir dir_;
    fs::path cli_ = dir_ / "corvath-cli";
    fs::path image_;
    std::string answer_ = R"({"releases":[)" + Release("Album", "GB", "rock") + "," +
                          Release("Album (Deluxe)", "XW", "shoegaze") + "]}";
    std::mutex answerMutex_;
    test::HttpTestServer musicBrainz_{[this](const std::string&) {
        const std::lock_guard lock(answerMutex_);
        return test::HttpTestResponse{200, answer_};
    }};
    const fs::path covers_ = dir_ / "cache" / "corvath" / "covers";
    const test::TestCoverArchive noCovers_{std::nullopt};
    test::HttpTestServer database_{[](const std::string&) {
        return test::HttpTestResponse{404, "not found"};
    }};
};

TEST_F(CliMusicBrainzTest, ListsTheReleasesAndStoresTheChosenOneForTheRip)
{
    ASSERT_EQ(Status("musicbrainz"), 0) << Stderr();
    EXPECT_EQ(Stdout(),
              "1. Band & Guest / Album | 2001-02-03 | GB | Label | CAT-7 | CD | 3 tracks\n"
              "2. Band & Guest / Album (Deluxe) | 2001-02-03 | XW | Label | CAT-7 | CD | "
              "3 tracks\n");
    EXPECT_FALSE(fs::exists(dir_ / "cd.dat")) << "a list alone stores nothing";
    ASSERT_EQ(musicBrainz_.RequestLines().size(), 1u);
    EXPECT_TRUE(musicBrainz_.RequestLines()[0].starts_with("GET /ws/2/discid/"));

    ASSERT_EQ(Status("musicbrainz", "--release 1"), 0) << Stderr();
    EXPECT_NE(Stdout().find("Stored release 1:\nArtist=Band & Guest\nAlbum=Album\nYear=2001\n"
                            "Genre=Rock\nTrack 1=First\nTrack 2=Second\nTrack 3=Third\n"),
              std::string::npos)
        << Stdout();
    const std::string stored = test::ReadFile(dir_ / "cd.dat");
    EXPECT_NE(stored.find("CDArtist=Band & Guest"), std::string::npos) << stored;
    EXPECT_NE(stored.find("2=Second"), std::string::npos) << stored;

    ASSERT_EQ(Status("rip", "--format wav --tracks 2"), 0) << Stderr();
    EXPECT_TRUE(fs::exists(dir_ / "Output" / "Second.wav"));
}

// The second disc of a set, with the identifiers MusicBrainz gives: they are kept with the disc
// and reach the ripped files.
TEST_F(CliMusicBrainzTest, AStoredReleaseNamesTheAlbumAndTheDiscsPlaceInTheRippedFiles)
{
    if (!test::HaveTool("metaflac"))
        GTEST_SKIP() << "metaflac reads the tags";
    const std::string track =
        R"({"id":"rt-%","position":%,"title":"Song %","recording":{"id":"rec-%","isrcs":["GBAYE000000%"]}})";
    const auto tracks = [&](int count) {
        std::string list;
        for (int n = 1; n <= count; ++n) {
            std::string one = track;
            for (std::size_t at; (at = one.find('%')) != std::string::npos;)
                one.replace(at, 1, std::to_string(n));
            list += (n > 1 ? "," : "") + one;
        }
        return list;
    };
    Answer(R"({"releases":[{"id":"6f8c1b0e-album","title":"Set","release-group":{"id":"group-1"},)"
           R"("artist-credit":[{"name":"Band","artist":{"id":"artist-1"}}],"media":[)"
           R"({"position":1,"format":"CD","track-count":4,"tracks":[)" +
           tracks(4) + R"(]},{"position":2,"format":"CD","track-count":3,"tracks":[)" + tracks(3) +
           R"(]}]}]})");
    ASSERT_EQ(Status("musicbrainz", "--release 1"), 0) << Stderr();
    ASSERT_EQ(Status("rip", "--format flac --tracks 2"), 0) << Stderr();
    const std::string tags = test::RunCommand("metaflac --export-tags-to=- " +
                                              test::Quoted(dir_ / "Output" / "Song 2.flac"));
    for (const char* line :
         {"TITLE=Song 2", "TRACKNUMBER=2", "TRACKTOTAL=3", "DISCNUMBER=2", "DISCTOTAL=2",
          "ARTIST=Band", "ALBUMARTIST=Band", "ALBUM=Set", "ISRC=GBAYE0000002",
          "MUSICBRAINZ_TRACKID=rec-2", "MUSICBRAINZ_RELEASETRACKID=rt-2",
          "MUSICBRAINZ_ALBUMID=6f8c1b0e-album", "MUSICBRAINZ_RELEASEGROUPID=group-1",
          "MUSICBRAINZ_ALBUMARTISTID=artist-1"})
        EXPECT_NE(tags.find(std::string(line) + "\n"), std::string::npos) << line << " in " << tags;
}

TEST_F(CliMusicBrainzTest, NoMatchAFailureAndAWrongNumberChangeNothing)
{
    EXPECT_EQ(Status("musicbrainz", "--release 3"), 2);
    EXPECT_NE(Stderr().find("--release takes 1 to 2"), std::string::npos) << Stderr();
    EXPECT_EQ(Status("musicbrainz", "--release none"), 2);

    Answer(R"({"releases":[]})");
    EXPECT_EQ(Status("musicbrainz"), 1);
    EXPECT_EQ(Stdout(), "No match found\n");

    Answer("{cut");
    EXPECT_EQ(Status("musicbrainz", "--release 1"), 1);
    EXPECT_NE(Stderr().find("the lookup failed: "), std::string::npos) << Stderr();
    EXPECT_FALSE(fs::exists(dir_ / "cd.dat"));
}

// The JSON lists the releases as the text does and is all that is printed, also when one is
// stored or none is found.
TEST_F(CliMusicBrainzTest, JsonListsTheReleasesAndNothingElse)
{
    if (!test::HaveTool("python3"))
        GTEST_SKIP() << "python3 reads the JSON";
    const std::string fields =
        "for r in d['releases']:\n"
        "    print(r['number'], r['id'], r['title'], r['artist'], r['date'], r['country'],\n"
        "          r['label'], r['catalog_number'], r['format'], r['track_count'])\n";
    const std::string listed =
        "1 mbid-Album Album Band & Guest 2001-02-03 GB Label CAT-7 CD 3\n"
        "2 mbid-Album (Deluxe) Album (Deluxe) Band & Guest 2001-02-03 XW Label CAT-7 CD 3\n";
    ASSERT_EQ(Status("musicbrainz", "--json"), 0) << Stderr();
    EXPECT_EQ(test::PythonOfJson(Stdout(), fields), listed) << Stdout();
    ASSERT_EQ(Status("musicbrainz", "--json --release 2"), 0) << Stderr();
    EXPECT_EQ(test::PythonOfJson(Stdout(), fields), listed) << Stdout();
    EXPECT_TRUE(fs::exists(dir_ / "cd.dat")) << "the release is stored all the same";

    Answer(R"({"releases":[]})");
    EXPECT_EQ(Status("musicbrainz", "--json"), 1);
    EXPECT_EQ(test::PythonOfJson(Stdout(), "print(d)\n"), "{'releases': []}\n") << Stdout();
}

TEST_F(CliMusicBrainzTest, TheChosenReleasesCoverIsKeptForTheDiscAndRippedWithIt)
{
    const std::string jpeg = test::RedSquare(dir_.path(), "jpg");
    const test::TestCoverArchive archive(jpeg);
    UseCoverArchive(archive.Url());

    ASSERT_EQ(Status("musicbrainz", "--release 1"), 0) << Stderr();
    EXPECT_EQ(archive.RequestLines(),
              std::vector<std::string>{"GET /release/mbid-Album/front-500 HTTP/1.1"});
    ASSERT_TRUE(fs::is_directory(covers_));
    const std::vector<fs::directory_entry> cached(fs::directory_iterator(covers_), {});
    ASSERT_EQ(cached.size(), 1u);
    EXPECT_EQ(cached[0].path().extension(), ".jpg");
    EXPECT_NE(Stdout().find("\nCover art: " + cached[0].path().string() + "\n"), std::string::npos)
        << Stdout();
    EXPECT_EQ(test::ReadFile(cached[0].path()), jpeg);

    ASSERT_EQ(Status("rip", "--format flac --tracks 2"), 0) << Stderr();
    EXPECT_EQ(test::ReadFile(dir_ / "Output" / "folder.jpg"), jpeg);
    EXPECT_EQ(test::RunCommand("metaflac --export-picture-to=- " +
                               test::Quoted(dir_ / "Output" / "Second.flac")),
              jpeg);
}

TEST_F(CliMusicBrainzTest, NoCoverAPageForACoverAndAFailureLeaveTheRipAsItWas)
{
    ASSERT_EQ(Status("musicbrainz", "--release 1"), 0) << Stderr();
    EXPECT_TRUE(Stdout().ends_with("\nNo cover art\n")) << Stdout();

    const test::TestCoverArchive page("<!DOCTYPE html><html><body>Moved</body></html>");
    UseCoverArchive(page.Url());
    ASSERT_EQ(Status("musicbrainz", "--release 1"), 0) << Stderr();
    EXPECT_TRUE(Stdout().ends_with("\nNo cover art\n")) << Stdout();

    const test::HttpTestServer broken(test::HttpTestServer::ServerError());
    UseCoverArchive("http://" + broken.Address());
    ASSERT_EQ(Status("musicbrainz", "--release 1"), 0) << "a failed fetch still stores the release";
    EXPECT_NE(Stderr().find("warning: No cover art: "), std::string::npos) << Stderr();
    EXPECT_NE(test::ReadFile(dir_ / "cd.dat").find("CDArtist=Band & Guest"), std::string::npos);

    EXPECT_FALSE(fs::exists(covers_) && !fs::is_empty(covers_));
    ASSERT_EQ(Status("rip", "--format wav --tracks 1"), 0) << Stderr();
    EXPECT_TRUE(fs::exists(dir_ / "Output" / "First.wav"));
    EXPECT_FALSE(fs::exists(dir_ / "Output" / "folder.jpg"));
}

TEST_F(CliMusicBrainzTest, CoverArtTurnedOffAsksForNone)
{
    const test::TestCoverArchive archive(test::RedSquare(dir_.path(), "jpg"));
    UseCoverArchive(archive.Url(), false);
    ASSERT_EQ(Status("musicbrainz", "--release 1"), 0) << Stderr();
    EXPECT_EQ(Stdout().find("Cover art"), std::string::npos) << Stdout();
    EXPECT_TRUE(archive.RequestLines().empty());
    EXPECT_FALSE(fs::exists(covers_));
}

} // namespace
} // namespace corvath
