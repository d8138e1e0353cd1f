// The storage on real databases: SQLite in a temporary file and, when KELVADO_TEST_POSTGRES
// names one (with_postgres.sh starts it), PostgreSQL. Both must keep the same board.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "server/sha256.h"
#include "server/store.h"

namespace board {
namespace {

std::string TempPath() {
    char path[] = "/tmp/kelvado-store-XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    unlink(path);
    return path;
}

NewEntry MakeEntry(const std::string& name, int score, const std::string& game,
                   const std::string& demo = "") {
    NewEntry e;
    e.demo = demo.empty() ? "# Kelvado demo\n# name " + name + "\n" + game + "\n" : demo;
    e.demoKey = Sha256Of(e.demo);
    e.gameKey = Sha256Of(game);
    e.name = name;
    e.score = score;
    e.steps = 100 + score;
    e.ended = "contact";
    e.date = "2026-12-11T10:00:00Z";
    return e;
}

class StoreTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (std::string(GetParam()) == "sqlite") {
            path_ = TempPath();
            url_ = "sqlite:" + path_;
        } else {
            const char* pg = std::getenv("KELVADO_TEST_POSTGRES");
            if (!pg) FAIL() << "no PostgreSQL named: run this under with_postgres.sh";
            url_ = pg;
            // Each test on an empty board.
            std::string error;
            auto store = OpenStore(url_, &error);
            ASSERT_TRUE(store) << error;
            Wipe();
        }
        std::string error;
        store_ = OpenStore(url_, &error);
        ASSERT_TRUE(store_) << error;
    }
    void TearDown() override {
        store_.reset();
        if (!path_.empty()) {
            for (const char* suffix : {"", "-wal", "-shm"}) unlink((path_ + suffix).c_str());
        }
    }
    void Wipe() {
        const std::string command = "psql -q -X '" + url_ +
                                    "' -c 'TRUNCATE demos, entries RESTART IDENTITY' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::vector<Entry> Page(bool all, std::int64_t limit = 100, std::int64_t offset = 0,
                            std::int64_t* total = nullptr) {
        std::vector<Entry> entries;
        std::int64_t count = -1;
        EXPECT_EQ(store_->Board(all, limit, offset, &count, &entries), Stored::kOk)
            << store_->LastError();
        if (total) *total = count;
        return entries;
    }

    std::string path_, url_;
    std::unique_ptr<Store> store_;
};

TEST_P(StoreTest, AddsFindsRepeatsAndRefusesATakeOver) {
    Entry e;
    ASSERT_EQ(store_->Add(MakeEntry("ANNA", 300, "game1"), &e), Stored::kAdded)
        << store_->LastError();
    EXPECT_EQ(e.name, "ANNA");
    EXPECT_EQ(e.score, 300);
    EXPECT_EQ(e.steps, 400u);
    EXPECT_EQ(e.ended, "contact");
    EXPECT_EQ(e.rank, 1);
    const std::int64_t first = e.id;

    Entry again;
    EXPECT_EQ(store_->Add(MakeEntry("ANNA", 300, "game1"), &again), Stored::kSame);
    EXPECT_EQ(again.id, first);
    // The same game in other bytes under the same name is the same entry.
    EXPECT_EQ(store_->Add(MakeEntry("ANNA", 300, "game1", "other bytes"), &again), Stored::kSame);
    EXPECT_EQ(again.id, first);
    // Under another name it is refused, and the holder is named.
    EXPECT_EQ(store_->Add(MakeEntry("BOB", 300, "game1"), &again), Stored::kOtherName);
    EXPECT_EQ(again.name, "ANNA");

    std::int64_t total = 0;
    EXPECT_EQ(Page(true, 100, 0, &total).size(), 1u);
    EXPECT_EQ(total, 1);
}

TEST_P(StoreTest, RanksBestFirstTiesByArrivalOneEntryPerName) {
    Entry e;
    ASSERT_EQ(store_->Add(MakeEntry("ANNA", 100, "a1"), &e), Stored::kAdded);
    ASSERT_EQ(store_->Add(MakeEntry("BOB", 200, "b1"), &e), Stored::kAdded);
    EXPECT_EQ(e.rank, 1);
    ASSERT_EQ(store_->Add(MakeEntry("CARL", 200, "c1"), &e), Stored::kAdded);
    EXPECT_EQ(e.rank, 2);  // the same score as BOB's, later
    ASSERT_EQ(store_->Add(MakeEntry("ANNA", 300, "a2"), &e), Stored::kAdded);
    EXPECT_EQ(e.rank, 1);
    // Not ANNA's best: ranked where it would stand among the others.
    ASSERT_EQ(store_->Add(MakeEntry("ANNA", 150, "a3"), &e), Stored::kAdded);
    EXPECT_EQ(e.rank, 3);

    std::int64_t total = 0;
    std::vector<Entry> best = Page(false, 100, 0, &total);
    EXPECT_EQ(total, 3);
    ASSERT_EQ(best.size(), 3u);
    EXPECT_EQ(best[0].name, "ANNA");
    EXPECT_EQ(best[0].score, 300);
    EXPECT_EQ(best[1].name, "BOB");
    EXPECT_EQ(best[2].name, "CARL");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(best[i].rank, i + 1);

    std::vector<Entry> all = Page(true, 100, 0, &total);
    EXPECT_EQ(total, 5);
    ASSERT_EQ(all.size(), 5u);
    const int scores[] = {300, 200, 200, 150, 100};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(all[i].score, scores[i]);
    EXPECT_EQ(all[1].name, "BOB");

    // A page further on keeps the ranks of the whole board.
    std::vector<Entry> page = Page(true, 2, 2, &total);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].rank, 3);
    EXPECT_EQ(page[0].score, 200);
    EXPECT_EQ(page[1].score, 150);
    EXPECT_TRUE(Page(true, 10, 50).empty());
}

TEST_P(StoreTest, KeepsTheDemoByteForByteAndNamesVersions) {
    std::int64_t before = -1, after = -1;
    ASSERT_EQ(store_->Version(&before), Stored::kOk);
    std::string bytes = "# Kelvado demo\r\nstep 1 E\n";
    bytes += std::string("\0\xff\x80 tail", 8);
    Entry e;
    ASSERT_EQ(store_->Add(MakeEntry("DORA", 5, "d1", bytes), &e), Stored::kAdded);
    ASSERT_EQ(store_->Version(&after), Stored::kOk);
    EXPECT_GT(after, before);
    std::string back;
    ASSERT_EQ(store_->Demo(e.id, &back), Stored::kOk) << store_->LastError();
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(store_->Demo(e.id + 1000, &back), Stored::kNotFound);
}

TEST_P(StoreTest, KeepsEveryEntryAddedFromManyThreadsAtOnce) {
    constexpr int kThreads = 4, kEach = 15;
    std::vector<std::thread> threads;
    std::atomic<int> added{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                Entry e;
                const std::string game = "t" + std::to_string(t) + "g" + std::to_string(i);
                if (store_->Add(MakeEntry("P" + std::to_string(t), i, game), &e) ==
                    Stored::kAdded) {
                    ++added;
                }
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(added.load(), kThreads * kEach);
    std::int64_t total = 0;
    EXPECT_EQ(Page(true, 1000, 0, &total).size(), static_cast<std::size_t>(kThreads * kEach));
    EXPECT_EQ(Page(false, 1000, 0, &total).size(), static_cast<std::size_t>(kThreads));
}

TEST_P(StoreTest, ReopensWithEverythingKept) {
    Entry e;
    ASSERT_EQ(store_->Add(MakeEntry("EVA", 42, "e1"), &e), Stored::kAdded);
    store_.reset();
    std::string error;
    store_ = OpenStore(url_, &error);
    ASSERT_TRUE(store_) << error;
    std::vector<Entry> all = Page(true);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].id, e.id);
    EXPECT_EQ(all[0].date, "2026-12-11T10:00:00Z");
}

INSTANTIATE_TEST_SUITE_P(Databases, StoreTest, testing::Values("sqlite", "postgresql"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST(SqliteStore, RefusesADatabaseOfALaterSchema) {
    const std::string path = TempPath();
    std::string error;
    ASSERT_TRUE(OpenStore("sqlite:" + path, &error)) << error;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE schema_version SET version = 99", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_FALSE(OpenStore("sqlite:" + path, &error));
    EXPECT_NE(error.find("schema 99"), std::string::npos) << error;
    for (const char* suffix : {"", "-wal", "-shm"}) unlink((path + suffix).c_str());
}

TEST(Sha256, MatchesTheStandardsExamples) {
    EXPECT_EQ(Sha256Of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

}  // namespace
}  // namespace board
