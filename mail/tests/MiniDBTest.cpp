#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "mail/KovFile.h"
#include "mail/MiniDB.h"
#include "mail/MiniDBRecord.h"
#include "mail/tests/InterruptedWrites.h"
#include "mail/tests/MailTestSupport.h"
#include "platform/base/Exception.h"
#include "platform/base/File.h"
#include "platform/base/tests/TempFolder.h"

using namespace mailtest;

namespace {

// A record whose stored data is exactly its bytes, so that data lengths are the payload's.
class RawRecord : public CMiniDBRecord {
public:
    explicit RawRecord(std::string bytes = "") : m_bytes(std::move(bytes)) {}
    ULONGLONG GetStoredSize() override { return m_bytes.size(); }
    BOOL SaveToFile(CFile* pFile) override {
        pFile->Write(m_bytes.data(), static_cast<UINT>(m_bytes.size()));
        return TRUE;
    }
    BOOL LoadFromFile(CFile* pFile) override {
        m_bytes.assign(static_cast<size_t>(pFile->GetLength() - pFile->GetPosition()), '\0');
        return pFile->Read(m_bytes.data(), static_cast<UINT>(m_bytes.size())) == m_bytes.size();
    }
    std::string m_bytes;
};

DWORD GetDword(const std::string& bytes, size_t at) {
    DWORD v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}
void PutDword(std::string& bytes, size_t at, DWORD v) {
    std::memcpy(bytes.data() + at, &v, 4);
}
void PutQword(std::string& bytes, size_t at, ULONGLONG v) {
    std::memcpy(bytes.data() + at, &v, 8);
}

// A payload that can be found again in the raw file.
std::string Payload(int n, size_t size) {
    std::string s = "<record " + std::to_string(n) + ">";
    while (s.size() < size)
        s += static_cast<char>('a' + s.size() % 26);
    s.resize(size);
    return s;
}

class MiniDBTest : public ::testing::Test {
protected:
    std::string DataPath() const { return m_dir.str() + "/mail.dat"; }
    std::string IndexPath() const { return m_dir.str() + "/mail.idx"; }
    BOOL Open(CMiniDB& db) const { return db.Open(DataPath().c_str(), IndexPath().c_str()); }

    // Stores the payloads under ids 0, 1, 2, ... and closes the database.
    void Fill(const std::vector<std::string>& payloads) {
        CMiniDB db;
        ASSERT_TRUE(Open(db));
        for (const std::string& p : payloads) {
            RawRecord r(p);
            ASSERT_NE(-1, db.Append(&r));
        }
    }

    // The payload stored under the id, or "(none)" when it does not load.
    std::string LoadText(CMiniDB& db, DWORD id) const {
        RawRecord r;
        return db.Load(id, &r) ? r.m_bytes : std::string("(none)");
    }

    test_folders::TempDir m_dir;
};

TEST_F(MiniDBTest, AllocationsAreRoundedToWholeKilobytesWithTheHeader) {
    const struct {
        size_t data;
        DWORD allocated;
    } cases[] = {{0, 1024}, {1, 1024}, {992, 1024}, {993, 2048}, {5000, 5120}};
    CMiniDB db;
    ASSERT_TRUE(Open(db));
    ULONGLONG end = CMiniDB::FILE_HEADER_SIZE;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        RawRecord r(std::string(c.data, 'x'));
        const int id = db.Append(&r);
        ASSERT_NE(-1, id);
        ASSERT_TRUE(db.Locate(id));
        EXPECT_EQ(c.allocated, db.GetCurrentHeader().dwAllocated);
        EXPECT_EQ(c.data, db.GetCurrentHeader().dwLength);
        EXPECT_EQ(end, db.GetCurrentOffset());
        end += c.allocated;
        EXPECT_EQ(end, db.GetDataEnd());
    }
    // A reserved data length and a minimum allocation both make the block larger.
    RawRecord small("abc");
    ASSERT_TRUE(db.Locate(db.Append(&small, 2000)));
    EXPECT_EQ(2048u, db.GetCurrentHeader().dwAllocated);
    RawRecord other("abc");
    ASSERT_TRUE(db.Locate(db.Append(&other, -1, 4097)));
    EXPECT_EQ(5120u, db.GetCurrentHeader().dwAllocated);
}

TEST_F(MiniDBTest, RecordsKeepTheirIdsAcrossReopening) {
    Fill({Payload(0, 10), Payload(1, 3000), Payload(2, 1)});
    CMiniDB db;
    ASSERT_TRUE(Open(db));
    EXPECT_EQ(3, db.GetCount());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Payload(i, i == 1 ? 3000 : i == 2 ? 1 : 10), LoadText(db, i));
    RawRecord r(Payload(3, 50));
    EXPECT_EQ(3, db.Append(&r));
    EXPECT_EQ(3u, r.GetRecordId());
    EXPECT_EQ("(none)", LoadText(db, 4));
    EXPECT_EQ("(none)", LoadText(db, 0xFFFFFFFF));
}

TEST_F(MiniDBTest, AppendUnderAnIdPastTheLastSlotFails) {
    Fill({Payload(0, 10)});
    CMiniDB db;
    ASSERT_TRUE(Open(db));
    const ULONGLONG end = db.GetDataEnd();
    RawRecord r(Payload(5, 10));
    r.SetRecordId(2);
    EXPECT_EQ(-1, db.Append(&r));
    EXPECT_EQ(end, db.GetDataEnd());
    r.SetRecordId(1); // the next id is taken as given
    EXPECT_EQ(1, db.Append(&r));
    EXPECT_EQ(Payload(5, 10), LoadText(db, 1));
}

TEST_F(MiniDBTest, DeleteFlagsCountsAndWipesTheRecord) {
    Fill({Payload(0, 100), Payload(1, 1500), Payload(2, 100)});
    {
        CMiniDB db;
        ASSERT_TRUE(Open(db));
        EXPECT_TRUE(db.Delete(1));
        EXPECT_TRUE(db.Delete(1)); // deleting again counts nothing more
        EXPECT_FALSE(db.Delete(3));
        EXPECT_EQ(2048u, db.GetDeletedBytes());
        EXPECT_EQ("(none)", LoadText(db, 1));
        RawRecord r(Payload(9, 10));
        r.SetRecordId(1);
        EXPECT_FALSE(db.Rewrite(&r)); // a deleted record is not brought back by a rewrite
    }
    CMiniDB db;
    ASSERT_TRUE(Open(db));
    EXPECT_EQ(2048u, db.GetDeletedBytes());
    EXPECT_EQ(3, db.GetCount()); // the slot stays
    EXPECT_EQ(Payload(0, 100), LoadText(db, 0));
    EXPECT_EQ("(none)", LoadText(db, 1));
    EXPECT_EQ(Payload(2, 100), LoadText(db, 2));
    ASSERT_TRUE(db.Locate(1));
    EXPECT_EQ(CMiniDB::FLAG_DELETED, db.GetCurrentHeader().wFlags);
    const std::string file = ReadBytes(DataPath());
    EXPECT_EQ(std::string::npos, file.find("<record 1>"));
    EXPECT_EQ(std::string(2048 - 32, '\0'), file.substr(24 + 1024 + 32, 2048 - 32));
}

TEST_F(MiniDBTest, RewriteStoresANewCopyAndWipesTheOldOne) {
    Fill({Payload(0, 100), Payload(1, 100), Payload(2, 100)});
    CMiniDB db;
    ASSERT_TRUE(Open(db));
    ASSERT_TRUE(db.Locate(1));
    const ULONGLONG oldOffset = db.GetCurrentOffset();
    for (size_t size : {50, 3000}) { // a copy that would fit and one that would not
        SCOPED_TRACE(size);
        RawRecord r(Payload(100 + static_cast<int>(size), size));
        r.SetRecordId(1);
        const ULONGLONG end = db.GetDataEnd();
        ASSERT_TRUE(db.Rewrite(&r));
        EXPECT_EQ(1u, r.GetRecordId());
        ASSERT_TRUE(db.Locate(1));
        EXPECT_EQ(end, db.GetCurrentOffset());
        EXPECT_EQ(r.m_bytes, LoadText(db, 1));
    }
    RawRecord next(Payload(3, 10));
    EXPECT_EQ(3, db.Append(&next));
    EXPECT_EQ(Payload(0, 100), LoadText(db, 0));
    EXPECT_EQ(Payload(2, 100), LoadText(db, 2));
    EXPECT_EQ(Payload(3, 10), LoadText(db, 3));
    EXPECT_EQ(0u, db.GetDeletedBytes());

    const std::string file = ReadBytes(DataPath());
    EXPECT_EQ(std::string::npos, file.find("<record 1>"));
    EXPECT_EQ(std::string::npos, file.find("<record 150>"));
    EXPECT_NE(std::string::npos, file.find("<record 3100>"));
    EXPECT_EQ(1u, GetDword(file, static_cast<size_t>(oldOffset)));
    EXPECT_EQ(CMiniDB::FLAG_ABANDONED, GetDword(file, static_cast<size_t>(oldOffset) + 12));
}

// Each damage is applied to a database of three records; the damaged record must fail to load
// (never load another record's bytes or crash) and the others must still load.
TEST_F(MiniDBTest, DamagedSlotsAndHeadersAreRefused) {
    const size_t rec1 = 24 + 1024; // offset of record 1's header
    const size_t slot1 = 4 + 24;   // offset of slot 1
    const struct {
        const char* what;
        std::function<void(std::string& data, std::string& index)> damage;
    } cases[] = {
        {"slot holds another id", [&](auto&, auto& idx) { PutDword(idx, slot1, 2); }},
        {"slot points at another record",
         [&](auto&, auto& idx) { PutQword(idx, slot1 + 8, 24 + 2048); }},
        {"slot points into the file header",
         [&](auto&, auto& idx) { PutQword(idx, slot1 + 8, 8); }},
        {"slot points past the data end",
         [&](auto&, auto& idx) { PutQword(idx, slot1 + 8, 0xFFFFFFFFFFFF0000ull); }},
        {"slot points at the last bytes of the data",
         [&](auto&, auto& idx) { PutQword(idx, slot1 + 8, 24 + 3072 - 16); }},
        {"header holds another id", [&](auto& d, auto&) { PutDword(d, rec1, 7); }},
        {"allocation not a whole kilobyte", [&](auto& d, auto&) { PutDword(d, rec1 + 4, 1000); }},
        {"allocation of zero", [&](auto& d, auto&) { PutDword(d, rec1 + 4, 0); }},
        {"allocation past the data end", [&](auto& d, auto&) { PutDword(d, rec1 + 4, 4096); }},
        {"data longer than the allocation", [&](auto& d, auto&) { PutDword(d, rec1 + 8, 993); }},
        {"data length of -1", [&](auto& d, auto&) { PutDword(d, rec1 + 8, 0xFFFFFFFF); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(DataPath().c_str());
        std::remove(IndexPath().c_str());
        Fill({Payload(0, 100), Payload(1, 100), Payload(2, 100)});
        std::string data = ReadBytes(DataPath()), index = ReadBytes(IndexPath());
        c.damage(data, index);
        WriteBytes(DataPath(), data);
        WriteBytes(IndexPath(), index);
        CMiniDB db;
        ASSERT_TRUE(Open(db));
        EXPECT_EQ("(none)", LoadText(db, 1));
        EXPECT_FALSE(db.Delete(1));
        RawRecord r("new");
        r.SetRecordId(1);
        EXPECT_FALSE(db.Rewrite(&r));
        EXPECT_EQ(Payload(0, 100), LoadText(db, 0));
        EXPECT_EQ(Payload(2, 100), LoadText(db, 2));
        EXPECT_EQ(data.substr(0, 24 + 3072), ReadBytes(DataPath()).substr(0, 24 + 3072));
    }
}

TEST_F(MiniDBTest, FilesThatDoNotHoldTogetherAreNotOpenedOrReadShort) {
    Fill({Payload(0, 100), Payload(1, 100)});
    const std::string data = ReadBytes(DataPath()), index = ReadBytes(IndexPath());
    {
        // A data end past the end of the file.
        std::string bad = data;
        PutQword(bad, 8, data.size() + 1);
        WriteBytes(DataPath(), bad);
        CMiniDB db;
        EXPECT_FALSE(Open(db));
    }
    {
        // A data file shorter than its header.
        WriteBytes(DataPath(), data.substr(0, 10));
        CMiniDB db;
        EXPECT_FALSE(Open(db));
    }
    {
        // A slot cut short: the slot count ends before it, so the id has no record.
        WriteBytes(DataPath(), data);
        WriteBytes(IndexPath(), index.substr(0, index.size() - 5));
        CMiniDB db;
        ASSERT_TRUE(Open(db));
        EXPECT_EQ(1, db.GetCount());
        EXPECT_EQ("(none)", LoadText(db, 1));
        // The next record goes into the cut slot's place, not after its remains.
        RawRecord r(Payload(7, 10));
        EXPECT_EQ(1, db.Append(&r));
        EXPECT_EQ(Payload(7, 10), LoadText(db, 1));
        EXPECT_EQ(Payload(0, 100), LoadText(db, 0));
    }
}

// ---- In-place updates ----------------------------------------------------------------------

std::string g_fileSteps;

// Each in-place update of a store file writes its bytes, has them flushed to the disk before it
// returns, and leaves the position where it was.
TEST_F(MiniDBTest, InPlaceUpdatesAreFlushedAndKeepThePosition) {
    struct Case {
        const char* how;
        std::function<void(CKovFile&)> update;
        std::string expected; // the file's bytes after the update
    };
    const WORD word = 0x4241; // "AB"
    const Case cases[] = {
        {"poke", [&](CKovFile& f) { f.Poke(&word, sizeof word); }, "01AB456789"},
        {"poke at", [&](CKovFile& f) { f.PokeAt(&word, sizeof word, 4); }, "012345AB89"},
        {"flags", [](CKovFile& f) { f.ModifyFlags16(0x0030, 0x0101, 4); }, "012345\x07" "789"},
    };
    const std::string path = m_dir.str() + "/store.dat";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        {
            CFile init(path.c_str(), CFile::modeCreate | CFile::modeWrite);
            init.Write("0123456789", 10);
        }
        CKovFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeReadWrite));
        f.Seek(2, CFile::begin);
        g_fileSteps.clear();
        CKovFile::SetWriteHookForTesting([] { g_fileSteps += "write "; });
        CKovFile::SetFlushHookForTesting([] { g_fileSteps += "flush "; });
        c.update(f);
        CKovFile::SetWriteHookForTesting(nullptr);
        CKovFile::SetFlushHookForTesting(nullptr);
        EXPECT_EQ("write flush ", g_fileSteps);
        EXPECT_EQ(2u, f.GetPosition());
        f.Close();
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(c.expected, std::string((std::istreambuf_iterator<char>(in)), {}));
    }
}

// ---- Interrupted writes ------------------------------------------------------------------

class InterruptedWriteTest : public MiniDBTest {
protected:
    void SetUp() override {
        Fill({Payload(0, 100), Payload(1, 2000), Payload(2, 100)});
        m_data = ReadBytes(DataPath());
        m_index = ReadBytes(IndexPath());
    }
    void Restore() {
        WriteBytes(DataPath(), m_data);
        WriteBytes(IndexPath(), m_index);
    }
    // After an interrupted step the files open, the untouched records load, and a new record can
    // still be stored and loaded beside them.
    void ExpectIntactAfter(int step) {
        SCOPED_TRACE(step);
        CMiniDB db;
        ASSERT_TRUE(Open(db));
        EXPECT_EQ(Payload(0, 100), LoadText(db, 0));
        EXPECT_EQ(Payload(2, 100), LoadText(db, 2));
        CheckTouched(db);
        RawRecord r(Payload(50, 700));
        const int id = db.Append(&r);
        ASSERT_NE(-1, id);
        EXPECT_EQ(Payload(50, 700), LoadText(db, id));
        EXPECT_EQ(Payload(0, 100), LoadText(db, 0));
        CheckTouched(db);
    }
    // Runs the step on the database in child processes stopped at each write in turn, until one
    // runs through, checking the files after each; answers the number of runs.
    int CrashAtEveryWrite(const std::function<void(CMiniDB&)>& step) {
        int n = 0;
        for (bool done = false; !done; ++n) {
            Restore();
            done = RunInChildStoppedAt(n, [&] {
                CMiniDB db;
                if (Open(db))
                    step(db);
            });
            ExpectIntactAfter(n);
            if (n >= 20) {
                ADD_FAILURE() << "the step never ran through";
                break;
            }
        }
        return n;
    }
    std::function<void(CMiniDB&)> CheckTouched;
    std::string m_data, m_index;
};

TEST_F(InterruptedWriteTest, CrashDuringAppendLosesNothingStored) {
    CheckTouched = [this](CMiniDB& db) {
        EXPECT_EQ(Payload(1, 2000), LoadText(db, 1));
        // The new record is either wholly there under id 3 or not there at all.
        if (db.GetCount() > 3) {
            EXPECT_TRUE(LoadText(db, 3) == Payload(3, 5000) || LoadText(db, 3) == Payload(50, 700));
        }
    };
    const int runs = CrashAtEveryWrite([](CMiniDB& db) {
        RawRecord r(Payload(3, 5000));
        db.Append(&r);
    });
    EXPECT_GE(runs, 5); // the growth, the block, the data end and the slot were each interrupted
}

TEST_F(InterruptedWriteTest, CrashDuringRewriteLeavesTheOldOrTheNewCopy) {
    CheckTouched = [this](CMiniDB& db) {
        const std::string text = LoadText(db, 1);
        EXPECT_TRUE(text == Payload(1, 2000) || text == Payload(11, 3000)) << text.substr(0, 20);
    };
    const int runs = CrashAtEveryWrite([](CMiniDB& db) {
        RawRecord r(Payload(11, 3000));
        r.SetRecordId(1);
        db.Rewrite(&r);
    });
    EXPECT_GE(runs, 7); // the new copy's four steps, the flag and the zeros
}

TEST_F(InterruptedWriteTest, CrashDuringDeleteLeavesTheOthers) {
    CheckTouched = [this](CMiniDB& db) {
        const std::string text = LoadText(db, 1);
        EXPECT_TRUE(text == Payload(1, 2000) || text == "(none)");
    };
    const int runs = CrashAtEveryWrite([](CMiniDB& db) { db.Delete(1); });
    EXPECT_GE(runs, 4); // the flag, the counter and the zeros
}

// A disk that fills: the failing step reports failure, and the same open database carries on.
TEST_F(InterruptedWriteTest, FailedWritesReportFailureAndTheDatabaseCarriesOn) {
    CheckTouched = [](CMiniDB&) {};
    for (int n = 0; n < 6; ++n) {
        SCOPED_TRACE(n);
        Restore();
        {
            CMiniDB db;
            ASSERT_TRUE(Open(db));
            g_crash = false;
            g_writesLeft = n;
            CKovFile::SetWriteHookForTesting(StopAtWrite);
            RawRecord r(Payload(3, 5000));
            const int appended = db.Append(&r);
            RawRecord again(Payload(11, 3000));
            again.SetRecordId(1);
            g_writesLeft = n;
            const BOOL rewritten = db.Rewrite(&again);
            CKovFile::SetWriteHookForTesting(nullptr);
            if (appended != -1) {
                EXPECT_EQ(Payload(3, 5000), LoadText(db, appended));
            }
            EXPECT_EQ(rewritten ? Payload(11, 3000) : Payload(1, 2000), LoadText(db, 1));
            RawRecord after(Payload(4, 10));
            const int id = db.Append(&after);
            ASSERT_NE(-1, id);
            EXPECT_EQ(Payload(4, 10), LoadText(db, id));
        }
        ExpectIntactAfter(n);
    }
}

} // namespace
