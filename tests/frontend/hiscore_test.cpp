#include "frontend/hiscore.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "game/state.h"

namespace {

HighScoreEntry Entry(const char* name, std::int32_t entryScore) {
    HighScoreEntry entry{};
    entry.score = entryScore;
    std::snprintf(entry.name, sizeof entry.name, "%s", name);
    return entry;
}

HighScoreTable TableOf(std::initializer_list<HighScoreEntry> places) {
    HighScoreTable table{};
    int k = 1;
    for (const HighScoreEntry& entry : places) table.entries[k++] = entry;
    return table;
}

HighScoreTable FromText(const std::string& text) {
    HighScoreTable table{};
    table.LoadFromText(text.data(), text.size());
    return table;
}

// Places 1 to 9 as "NAME=score" lines, for readable failures.
std::string Describe(const HighScoreTable& table) {
    std::string out;
    for (int k = 1; k <= 9; ++k) {
        out += std::string(table.entries[k].name) + "=" + std::to_string(table.entries[k].score) +
               "\n";
    }
    return out;
}

// The documented reader, built on the standard stream itself: a word, then an int, nine times,
// every read failing after the first failure. Words are cut to 11 characters; places after a
// failure stay empty with score 0.
HighScoreTable ReadLikeAStream(const std::string& text) {
    HighScoreTable table{};
    std::istringstream in(text);
    for (int k = 1; k <= 9; ++k) {
        std::string word;
        if (!(in >> word)) break;
        std::snprintf(table.entries[k].name, 12, "%.11s", word.c_str());
        int value = 0;
        if (!(in >> value)) break;
        table.entries[k].score = value;
    }
    return table;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class HighScoreFileTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kelvado-hiscore-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/hiscore.dat";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    // The names in the directory, sorted: no temporary file may stay behind.
    std::string Listing(const std::string& of) const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(of))
            names.insert(entry.path().filename().string());
        std::string out;
        for (const std::string& name : names) out += name + " ";
        return out;
    }
    std::string dir;
    std::string path;
};

}  // namespace

TEST(HighScorePlace, TiesGoBelowAndOnlyRealBeatsEarnAPlace) {
    highScores = TableOf({Entry("ANNA", 500), Entry("BOB", 300), Entry("CID", 300),
                          Entry("DAN", 100), Entry("EVE", 90), Entry("FAY", 80), Entry("GUS", 70),
                          Entry("HAL", 60), Entry("IDA", 50)});
    score = 500;
    EXPECT_EQ(FindHighScorePlace(), 2);
    score = 300;
    EXPECT_EQ(FindHighScorePlace(), 4);
    score = 501;
    EXPECT_EQ(FindHighScorePlace(), 1);
    score = 51;
    EXPECT_EQ(FindHighScorePlace(), 9);
    score = 50;
    EXPECT_EQ(FindHighScorePlace(), 0);

    highScores = HighScoreTable{};
    score = 0;
    EXPECT_EQ(FindHighScorePlace(), 0);
    score = 1;
    EXPECT_EQ(FindHighScorePlace(), 1);
}

TEST(HighScoreInsert, PushesLowerPlacesDownAndDropsTheLast) {
    HighScoreTable table =
        TableOf({Entry("A1", 9), Entry("A2", 8), Entry("A3", 7), Entry("A4", 6), Entry("A5", 5),
                 Entry("A6", 4), Entry("A7", 3), Entry("A8", 2), Entry("A9", 1)});
    table.entries[0] = Entry("ZERO", 777);

    table.Insert(Entry("LAST", 2), 9);
    EXPECT_STREQ(table.entries[9].name, "LAST");
    EXPECT_STREQ(table.entries[8].name, "A8");

    table.Insert(Entry("NEW", 8), 2);
    EXPECT_STREQ(table.entries[1].name, "A1");
    EXPECT_STREQ(table.entries[2].name, "NEW");
    EXPECT_STREQ(table.entries[3].name, "A2");
    EXPECT_STREQ(table.entries[9].name, "A8");
    EXPECT_EQ(table.entries[9].score, 2);
    EXPECT_STREQ(table.entries[0].name, "ZERO");  // entry 0 is never touched

    const HighScoreTable before = table;
    table.Insert(Entry("BAD", 1), 0);
    table.Insert(Entry("BAD", 1), 10);
    EXPECT_EQ(Describe(table), Describe(before));
}

TEST_F(HighScoreFileTest, SavedFileHasTheExactLayoutAndNoTemporaryFileStays) {
    const HighScoreTable table = TableOf({Entry("ANNA", 1200), Entry("BOB", 800), Entry("", -5)});
    ASSERT_TRUE(table.Save(path.c_str()));
    std::string expected = "ANNA\r\n1200\r\nBOB\r\n800\r\n\r\n-5\r\n";
    for (int k = 4; k <= 9; ++k) expected += "\r\n0\r\n";
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_EQ(Listing(dir), "hiscore.dat ");
}

TEST_F(HighScoreFileTest, WhatTheGameSavesLoadsBackTheSame) {
    // The first game ever played: one entry in an otherwise empty table.
    HighScoreTable first{};
    first.Insert(Entry("BOB", 340), 1);
    // Empty names between filled ones, full-length names and the extremes of the score range.
    const HighScoreTable mixed = TableOf(
        {Entry("ABCDEFGHIJK", INT32_MAX), Entry("", 50), Entry("X1", 40), Entry("", 0),
         Entry("", 0), Entry("Z9", -1), Entry("", INT32_MIN), Entry("0", 7), Entry("Q", 0)});
    for (const HighScoreTable& table : {first, mixed}) {
        ASSERT_TRUE(table.Save(path.c_str()));
        HighScoreTable loaded{};
        loaded.Load(path.c_str());
        EXPECT_EQ(Describe(loaded), Describe(table));
    }
}

TEST(HighScoreLoad, FilesWrittenElsewhereReadAsWords) {
    const char* names[9] = {"ANNA", "BOB", "CID", "DAN", "EVE", "FAY", "GUS", "HAL", "IDA"};
    std::string crlf, lf, oneLine;
    for (int k = 0; k < 9; ++k) {
        const std::string value = std::to_string(1000 - 100 * k);
        crlf += std::string(names[k]) + "\r\n" + value + "\r\n";
        lf += std::string(names[k]) + "\n" + value + "\n";
        oneLine += std::string(names[k]) + " \t" + value + " ";
    }
    for (const std::string& text : {crlf, lf, oneLine, "\n\n" + lf + "trailing words 1 2\n"}) {
        const HighScoreTable table = FromText(text);
        EXPECT_STREQ(table.entries[1].name, "ANNA");
        EXPECT_EQ(table.entries[9].score, 200);
        EXPECT_EQ(Describe(table), Describe(ReadLikeAStream(text)));
    }

    // Blank lines between entries are separators, not empty names, in a file of another layout.
    const HighScoreTable spaced = FromText("ANNA\n1200\n\nBOB\n800\n");
    EXPECT_STREQ(spaced.entries[2].name, "BOB");
    EXPECT_EQ(spaced.entries[2].score, 800);

    // Many generated files in the documented shape but of any layout, hand-edited words
    // included, read exactly as the standard stream reads them.
    std::mt19937 random(12345);
    const char* separators[] = {" ", "\t", "\n", "\r\n", "\n\n", "  \r\n ", "\f"};
    const char* oddScores[] = {"12abc", "+7", "-0", "007", "abc", "-", "2147483647", "-2147483648"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int fields = static_cast<int>(random() % 20);
        for (int f = 0; f < fields; ++f) {
            if (f % 2 == 0) {
                std::string name(1, static_cast<char>('A' + random() % 26));
                const int extra = static_cast<int>(random() % 16);
                for (int c = 0; c < extra; ++c) name += "AZ09xy#."[random() % 8];
                text += name;
            } else if (random() % 8 == 0) {
                text += oddScores[random() % 8];
            } else {
                text += std::to_string(static_cast<int>(random() % 200001) - 1000);
            }
            text += separators[random() % 7];
        }
        ASSERT_EQ(Describe(FromText(text)), Describe(ReadLikeAStream(text))) << text;
    }
}

TEST(HighScoreLoad, DamagedFilesLoadSafelyAndUnfilledPlacesAreEmpty) {
    // A long name is cut to 11 characters and the rest of its word is not taken as the score.
    HighScoreTable table = FromText("ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n500\r\nBOB\r\n400\r\n");
    EXPECT_STREQ(table.entries[1].name, "ABCDEFGHIJK");
    EXPECT_EQ(table.entries[1].score, 500);
    EXPECT_STREQ(table.entries[2].name, "BOB");

    // Five places: the other four stay empty with score 0, not the last score read.
    std::string five;
    for (int k = 1; k <= 5; ++k)
        five += "P" + std::to_string(k) + "\r\n" + std::to_string(100 - k) + "\r\n";
    table = FromText(five);
    EXPECT_EQ(table.entries[5].score, 95);
    for (int k = 6; k <= 9; ++k) {
        EXPECT_STREQ(table.entries[k].name, "");
        EXPECT_EQ(table.entries[k].score, 0);
    }

    // A score that does not fit 32 bits is a failed read: that place scores 0, later ones stay
    // empty.
    table = FromText("ANNA\n99999999999999999999\nBOB\n5\n");
    EXPECT_STREQ(table.entries[1].name, "ANNA");
    EXPECT_EQ(table.entries[1].score, 0);
    EXPECT_STREQ(table.entries[2].name, "");

    table = FromText("");
    EXPECT_EQ(Describe(table), Describe(HighScoreTable{}));
    table.LoadFromText(nullptr, 0);
    EXPECT_EQ(Describe(table), Describe(HighScoreTable{}));

    // Binary garbage: every name stays terminated within its field.
    std::mt19937 random(99);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 300, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 256);
        table = FromText(bytes);
        for (int k = 1; k <= 9; ++k) EXPECT_LE(strnlen(table.entries[k].name, 12), 11u);
    }
}

TEST_F(HighScoreFileTest, MissingEmptyAndHugeFilesLoad) {
    HighScoreTable table = TableOf({Entry("OLD", 5)});
    table.Load(path.c_str());  // missing
    EXPECT_EQ(Describe(table), Describe(HighScoreTable{}));

    WriteFile(path, "");
    table.Load(path.c_str());
    EXPECT_EQ(Describe(table), Describe(HighScoreTable{}));

    // A valid table followed by megabytes of rubbish, and a single word of megabytes.
    WriteFile(path, "ANNA\r\n1200\r\n" + std::string(3 << 20, 'x'));
    table.Load(path.c_str());
    EXPECT_STREQ(table.entries[1].name, "ANNA");
    EXPECT_STREQ(table.entries[2].name, "xxxxxxxxxxx");
    EXPECT_EQ(table.entries[2].score, 0);

    table.Load(dir.c_str());  // a directory, not a file
    EXPECT_EQ(Describe(table), Describe(HighScoreTable{}));

    // A FIFO with no writer: an ordinary open would wait for ever.
    std::remove(path.c_str());
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    table = TableOf({Entry("OLD", 5)});
    table.Load(path.c_str());
    EXPECT_EQ(Describe(table), Describe(HighScoreTable{}));
}

TEST_F(HighScoreFileTest, SavingThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    const HighScoreTable table = TableOf({Entry("ANNA", 1200), Entry("BOB", 800)});
    const std::string synced = dir + "/synced";
    ASSERT_TRUE(std::filesystem::create_directory(synced));
    const std::string kept = synced + "/table.dat";
    WriteFile(kept, "OLD\r\n5\r\n");
    ASSERT_EQ(chmod(kept.c_str(), 0640), 0);

    ASSERT_EQ(symlink("synced/table.dat", path.c_str()), 0);
    ASSERT_TRUE(table.Save(path.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    HighScoreTable loaded{};
    loaded.Load(kept.c_str());
    EXPECT_EQ(Describe(loaded), Describe(table));
    EXPECT_EQ(Listing(synced), "table.dat ");
    struct stat status {};
    ASSERT_EQ(stat(kept.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    // A link to a file not made yet (a link to a link to it, absolute): the file is made.
    std::remove(path.c_str());
    std::remove(kept.c_str());
    ASSERT_EQ(symlink(kept.c_str(), (dir + "/second").c_str()), 0);
    ASSERT_EQ(symlink("second", path.c_str()), 0);
    ASSERT_TRUE(table.Save(path.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    loaded = HighScoreTable{};
    loaded.Load(path.c_str());
    EXPECT_EQ(Describe(loaded), Describe(table));

    // Links to what is no table, and a loop of links: nothing is written anywhere.
    std::remove(kept.c_str());
    ASSERT_EQ(mkfifo(kept.c_str(), 0600), 0);
    EXPECT_FALSE(table.Save(path.c_str()));
    std::remove(path.c_str());
    ASSERT_EQ(symlink("synced", path.c_str()), 0);
    EXPECT_FALSE(table.Save(path.c_str()));
    EXPECT_EQ(Listing(synced), "table.dat ");
    std::remove(path.c_str());
    ASSERT_EQ(symlink("hiscore.dat", path.c_str()), 0);
    EXPECT_FALSE(table.Save(path.c_str()));
    EXPECT_EQ(Listing(dir), "hiscore.dat second synced ");
}

TEST_F(HighScoreFileTest, AFailedSaveLeavesTheOldFileWhole) {
    const HighScoreTable old = TableOf({Entry("ANNA", 1200), Entry("BOB", 800)});
    ASSERT_TRUE(old.Save(path.c_str()));
    const std::string oldBytes = ReadFile(path);

    HighScoreTable table = old;
    table.Insert(Entry("LONGNAMEXYZ", 2000), 1);

    // The disk fills after 20 bytes of the new file: the write fails part way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = table.Save(path.c_str());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), oldBytes);
    EXPECT_EQ(Listing(dir), "hiscore.dat ");
    EXPECT_STREQ(table.entries[1].name, "LONGNAMEXYZ");  // the new entry stays in memory

    // A directory that does not exist: nothing is written, nothing is reported.
    EXPECT_FALSE(table.Save((dir + "/missing/hiscore.dat").c_str()));

    ASSERT_TRUE(table.Save(path.c_str()));
    HighScoreTable loaded{};
    loaded.Load(path.c_str());
    EXPECT_EQ(Describe(loaded), Describe(table));
}
