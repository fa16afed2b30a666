// The track tool writing a card into a PostGIS database of the test's own server: four
// workers at once, a worker killed in the middle of a batch, the fleet script with the drives
// joined after its run beside the GeoPackage's, clip paths no SQL text could carry, and the
// databases it must refuse. Counts come from the clip maker's truth files and are read back
// with psql and GDAL's ogrinfo.
#include "PgServer.h"

#include "tests/support/ClipMaker.h"
#include "tests/support/FleetCard.h"
#include "tests/support/OgrInfo.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;

ToolRun Track(const std::string& args, const std::string& environment = "") {
    return Shell(environment + " " + Quoted(OSTVIK_TRACK_TOOL) + " " + args);
}

size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class PostgisTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PgServer::Installed() || !HaveOgrinfo()) {
            GTEST_SKIP() << "PostgreSQL 15 with PostGIS, or ogrinfo, is not installed";
        }
        m_server = std::make_unique<PgServer>();
        ASSERT_EQ(m_server->Error(), "");
        ASSERT_TRUE(m_server->CreateDatabase("fleet"));
        m_folder = TestFolder("postgis");
    }

    void TearDown() override {
        if (!m_folder.empty()) {
            fs::remove_all(m_folder);
        }
    }

    std::string Db(const std::string& database = "fleet") const {
        return Quoted(m_server->Conninfo(database));
    }
    std::string Sql(const std::string& sql, const std::string& database = "fleet") const {
        const ToolRun run = m_server->Sql(database, sql);
        EXPECT_EQ(run.status, 0) << sql << ": " << run.err;
        return run.out;
    }

    // 400 clips, hard links of four clips the clip maker writes of 6, 8, 10 and 12 seconds
    // at a fix a second, clip i a link of base i % 4. Returns each base's number of fixes as
    // its truth file lists them.
    std::vector<size_t> MakeFourHundred() {
        fs::create_directories(m_folder / "bases");
        fs::create_directories(m_folder / "card");
        std::vector<size_t> fixes;
        for (int k = 0; k < 4; ++k) {
            const std::string base = (m_folder / "bases" / ("base" + std::to_string(k) + ".MP4"));
            const std::string truth = base + ".csv";
            EXPECT_EQ(MakeClip(base, "--start 2024-06-01T12:0" + std::to_string(k) +
                                         ":00 --steady 72 --seconds " + std::to_string(6 + 2 * k) +
                                         " --size 64x48 --fps 2 --truth " + Quoted(truth))
                          .status,
                      0);
            fixes.push_back(ReadTruth(truth).size());
        }
        for (int i = 0; i < 400; ++i) {
            fs::create_hard_link(m_folder / "bases" / ("base" + std::to_string(i % 4) + ".MP4"),
                                 m_folder / "card" / Name(i));
        }
        return fixes;
    }
    static std::string Name(int i) {
        char name[32];
        std::snprintf(name, sizeof name, "clip-%03d.MP4", i);
        return name;
    }
    std::string Card() const { return Quoted((m_folder / "card").string()); }

    std::unique_ptr<PgServer> m_server;
    fs::path m_folder;
};

TEST_F(PostgisTool, FourWorkersAtOnceWriteEachClipOnce) {
    const std::vector<size_t> fixes = MakeFourHundred();
    // Every worker is given the whole card, so all four contend for every clip.
    const std::string err = Quoted((m_folder / "err").string());
    const ToolRun run =
        Shell("fail=0; pids=; for w in 1 2 3 4; do " + Quoted(OSTVIK_TRACK_TOOL) +
              " --format postgis --batch 10 --db " + Db() + " " + Card() + " 2>" + err +
              "$w & pids=\"$pids $!\"; done; for p in $pids; do wait $p || "
              "fail=1; done; exit $fail");
    EXPECT_EQ(run.status, 0) << run.err;
    // What the four say they wrote adds up to the card, whoever came first to each clip.
    size_t added = 0;
    for (int w = 1; w <= 4; ++w) {
        const ToolRun said = Shell("cat " + err + std::to_string(w));
        size_t clips = 0;
        size_t held = 0;
        EXPECT_EQ(std::sscanf(said.out.c_str(),
                              "ostvik-track: the database: %zu clips added, %zu already held",
                              &clips, &held),
                  2)
            << said.out;
        EXPECT_EQ(clips + held, 400u) << said.out;
        added += clips;
    }
    EXPECT_EQ(added, 400u);
    const size_t seconds = 100 * (fixes[0] + fixes[1] + fixes[2] + fixes[3]);
    EXPECT_EQ(Sql("SELECT count(*), count(DISTINCT path_bytes) FROM clips"), "400|400\n");
    EXPECT_EQ(Sql("SELECT count(*) FROM seconds"), std::to_string(seconds) + "\n");
    // No second written twice for its clip, no seconds left of a clip that is not held.
    EXPECT_EQ(Sql("SELECT count(*) FROM (SELECT clip, second FROM seconds GROUP BY clip, "
                  "second HAVING count(*) > 1) AS twice"),
              "0\n");
    EXPECT_EQ(OgrFeatureCounts("PG:" + m_server->Conninfo("fleet")),
              (std::map<std::string, long>{
                  {"clips", 400}, {"seconds", static_cast<long>(seconds)}, {"drives", 0}}));
    const ToolRun again = Track("--format postgis --db " + Db() + " " + Card());
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err, "ostvik-track: the database: 0 clips added, 400 already held\n");
}

TEST_F(PostgisTool, AWorkerKilledMidBatchLeavesWholeBatchesAndTheNextRunCompletes) {
    const std::vector<size_t> fixes = MakeFourHundred();
    // Grouping drives makes the layers, so that the test can hold a clip's row before the
    // worker comes to it.
    ASSERT_EQ(Track("--drives-from-db --db " + Db()).status, 0);
    PGconn* holder = PQconnectdb(m_server->Conninfo("fleet").c_str());
    ASSERT_EQ(PQstatus(holder), CONNECTION_OK);
    // Clip 150 held by an open transaction: the worker, 20 clips a batch in path order,
    // commits clips 0 to 139, then writes 140 to 149 and waits on 150 inside its eighth
    // transaction, where it is killed.
    const std::string held = (m_folder / "card" / Name(150)).string();
    const char* values[] = {held.c_str()};
    const int lengths[] = {static_cast<int>(held.size())};
    const int formats[] = {1};
    PQclear(PQexec(holder, "BEGIN"));
    PGresult* insert = PQexecParams(holder,
                                    "INSERT INTO clips (path, path_bytes, size, mtime, mtime_ns) "
                                    "VALUES ('held', $1::bytea, 0, '', 0)",
                                    1, nullptr, values, lengths, formats, 0);
    EXPECT_EQ(PQresultStatus(insert), PGRES_COMMAND_OK) << PQerrorMessage(holder);
    PQclear(insert);
    const ToolRun started = Shell(Quoted(OSTVIK_TRACK_TOOL) + " --format postgis --batch 20 --db " +
                                  Db() + " " + Card() + " >/dev/null 2>&1 & echo $!");
    const pid_t worker = std::atoi(started.out.c_str());
    ASSERT_GT(worker, 0);
    const std::string waiting = "SELECT count(*) FROM pg_stat_activity WHERE application_name = "
                                "'ostvik-track' AND wait_event_type = 'Lock'";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Sql(waiting) != "1\n" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(Sql(waiting), "1\n") << "the worker never came to the held clip";
    ::kill(worker, SIGKILL);
    PQclear(PQexec(holder, "ROLLBACK"));
    PQfinish(holder);
    // The killed worker's server process ends its transaction once it finds the client gone.
    const std::string workers =
        "SELECT count(*) FROM pg_stat_activity WHERE application_name = 'ostvik-track'";
    while (Sql(workers) != "0\n" && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // 140 clips, 35 of each base.
    const size_t perFour = fixes[0] + fixes[1] + fixes[2] + fixes[3];
    EXPECT_EQ(Sql("SELECT count(*) FROM clips"), "140\n");
    EXPECT_EQ(Sql("SELECT count(*) FROM seconds"), std::to_string(35 * perFour) + "\n");
    const ToolRun again = Track("--format postgis --batch 20 --db " + Db() + " " + Card());
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err, "ostvik-track: the database: 260 clips added, 140 already held\n");
    EXPECT_EQ(Sql("SELECT count(*), count(DISTINCT path_bytes) FROM clips"), "400|400\n");
    EXPECT_EQ(Sql("SELECT count(*) FROM seconds"), std::to_string(100 * perFour) + "\n");
}

// The drives layer as CSV, the same query whichever store: GDAL reads both.
std::string DrivesCsv(const std::string& source) {
    return Shell("ogr2ogr -f CSV /vsistdout/ " + Quoted(source) +
                 " -lco GEOMETRY=AS_WKT -sql 'SELECT geom, first_clip, last_clip, clips, "
                 "start_utc, end_utc, seconds, km, max_kmh FROM drives ORDER BY first_clip'")
        .out;
}

TEST_F(PostgisTool, DrivesJoinedAfterTheFleetRunEqualTheGeoPackagesOnTheSameCard) {
    if (Shell("command -v parallel >/dev/null").status != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    // Two clips a job over two job slots: each drive's clips go to both.
    fs::create_directories(m_folder / "card");
    for (const CardClip& clip : kFleetCard) {
        ASSERT_EQ(
            MakeClip((m_folder / "card" / clip.name).string(), clip.options + kFleetCardClipOptions)
                .status,
            0);
    }
    const std::string logins = (m_folder / "logins").string();
    ASSERT_EQ(Shell("echo 2/: > " + Quoted(logins)).status, 0);
    const ToolRun fleet =
        Shell(Quoted(OSTVIK_FLEET_SCRIPT) + " --sshloginfile " + Quoted(logins) + " --tool " +
              Quoted(OSTVIK_TRACK_TOOL) + " --clips-per-job 2 --db " + Db() + " " + Card());
    EXPECT_EQ(fleet.status, 0) << fleet.err;
    const std::string gpkg = (m_folder / "card.gpkg").string();
    ASSERT_EQ(Track("--format gpkg --out " + Quoted(gpkg) + " " + Card()).status, 0);
    const std::map<std::string, long> counts{{"clips", 7}, {"seconds", 60}, {"drives", 2}};
    EXPECT_EQ(OgrFeatureCounts(gpkg), counts);
    EXPECT_EQ(OgrFeatureCounts("PG:" + m_server->Conninfo("fleet")), counts);
    const std::string fromDb = DrivesCsv("PG:" + m_server->Conninfo("fleet"));
    EXPECT_EQ(Lines(fromDb), 3u) << fromDb;
    EXPECT_EQ(fromDb, DrivesCsv(gpkg));
}

std::string Hex(const std::string& bytes) {
    std::string hex;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        hex += digits;
    }
    return hex;
}

TEST_F(PostgisTool, PathsWithQuotesLineBreaksAndStrayBytesAreKeptExactly) {
    fs::create_directories(m_folder / "card");
    const std::string base = (m_folder / "base.MP4").string();
    ASSERT_EQ(MakeClip(base, "--steady 36 --seconds 4 --size 64x48 --fps 2").status, 0);
    const std::string quoted = (m_folder / "card" / "it's a \"clip\"');\nDROP TABLE clips;--.MP4");
    const std::string stray = (m_folder / "card" / "caf\xe9\xff.MP4");
    fs::copy_file(base, quoted);
    fs::copy_file(base, stray);
    const std::string args = "--format postgis --db " + Db() + " " + Card();
    const ToolRun run = Track(args);
    EXPECT_EQ(run.status, 0) << run.err;
    // Byte order of the paths: '.../card/c' before '.../card/i'. The text column holds the
    // UTF-8 path as it is, and the other with each stray byte as U+FFFD (ef bf bd).
    std::string strayText = Hex(stray);
    strayText.replace(strayText.size() - Hex("\xe9\xff.MP4").size(), 4, "efbfbdefbfbd");
    EXPECT_EQ(Sql("SELECT encode(path_bytes, 'hex'), encode(convert_to(path, 'UTF8'), 'hex') "
                  "FROM clips ORDER BY path_bytes"),
              Hex(stray) + "|" + strayText + "\n" + Hex(quoted) + "|" + Hex(quoted) + "\n");
    EXPECT_EQ(Track(args).err, "ostvik-track: the database: 0 clips added, 2 already held\n");
    // A clip whose file changed since replaces its row and its seconds, found by its bytes.
    const std::string seconds = Sql("SELECT count(*) FROM seconds");
    fs::last_write_time(quoted, fs::last_write_time(quoted) + std::chrono::seconds(5));
    EXPECT_EQ(Track(args).err, "ostvik-track: the database: 1 clips added, 1 already held\n");
    EXPECT_EQ(Sql("SELECT count(*) FROM seconds"), seconds);
    const ToolRun stat = Shell("stat -c %Y " + Quoted(quoted));
    EXPECT_EQ(Sql("SELECT mtime_ns / 1000000000 FROM clips WHERE path_bytes = decode('" +
                  Hex(quoted) + "', 'hex')"),
              stat.out);
}

TEST_F(PostgisTool, RefusesWhatItCannotWriteInOneLineWritingNothing) {
    fs::create_directories(m_folder / "card");
    ASSERT_EQ(MakeClip((m_folder / "card" / "a.MP4").string(),
                       "--steady 36 --seconds 4 --size 64x48 --fps 2")
                  .status,
              0);
    ASSERT_TRUE(m_server->CreateDatabase("frozen"));
    Sql("ALTER DATABASE frozen SET default_transaction_read_only = on", "postgres");
    ASSERT_TRUE(m_server->CreateDatabase("other"));
    Sql("CREATE TABLE seconds (id integer, name text)", "other");
    struct Case {
        const char* what;
        std::string db;
        std::string environment;
        const char* says;
    };
    const std::vector<Case> cases{
        {"a wrong password", Quoted(m_server->Conninfo("fleet", "guarded")),
         "PGPASSWORD='wrong horse'", "password authentication failed"},
        {"an unreachable server", Quoted("host=" + m_server->Folder() + "/nowhere dbname=fleet"),
         "", "No such file or directory"},
        {"a read-only database", Db("frozen"), "", "the database is read-only"},
        {"a table of a layer's name with other columns", Db("other"), "",
         "a table seconds is there with other columns"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Track("--format postgis --db " + c.db + " " + Card(), c.environment);
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_EQ(Lines(run.err), 1u) << c.what << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.what << ": " << run.err;
    }
    const std::string tables =
        "SELECT string_agg(tablename, ',' ORDER BY tablename) FROM pg_tables WHERE schemaname = "
        "'public'";
    EXPECT_EQ(Sql(tables, "fleet"), "\n");
    EXPECT_EQ(Sql(tables, "frozen"), "\n");
    EXPECT_EQ(Sql(tables, "other"), "seconds\n");
    // The right password gets in, where its role may write.
    Sql("CREATE EXTENSION postgis; GRANT CREATE ON SCHEMA public TO guarded");
    const ToolRun right = Track("--format postgis --db " +
                                    Quoted(m_server->Conninfo("fleet", "guarded")) + " " + Card(),
                                std::string("PGPASSWORD=") + Quoted(PgServer::kGuardedPassword));
    EXPECT_EQ(right.status, 0) << right.err;
    EXPECT_EQ(Sql("SELECT count(*) FROM clips"), "1\n");
    // A password on the command line is refused before any connection.
    const ToolRun shown = Track("--format postgis --db " +
                                Quoted(m_server->Conninfo("fleet") + " password=x") + " " + Card());
    EXPECT_EQ(shown.status, 2);
    EXPECT_NE(shown.err.find("~/.pgpass or PGPASSWORD"), std::string::npos) << shown.err;
}

} // namespace
