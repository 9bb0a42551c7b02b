#include "core/FieldValue.h"

#include <gtest/gtest.h>

namespace {

// A holder whose every member holds something other than its construction value.
struct FilledHolder : FieldValueHolder {
    FilledHolder(const char* text, int n) {
        strText = text;
        listValues = CXStringList(2);
        CXString value(2);
        value.ElementAt(0) = text;
        value.ElementAt(1) = "手机";
        listValues.AddTail(value);
        listValues.AddTail(value);
        listValues.SetCurrentIndex(1);
        nInt = n;
        date.SetDate(1980 + n, 3, 4);
        time = CTime((__time64_t)1000000 * n);
        SCertificate c;
        c.strNumber = text;
        certificates.AddTail(c);
        nInt7 = n;
        nInt8 = n;
    }
};

TEST(FieldValue, KindSizes) {
    struct Row {
        int kind, size;
    } rows[] = {
        {FIELD_INT, 4},           {FIELD_INT7, 4},  {FIELD_INT8, 4},  {FIELD_FLAGS, 4},
        {FIELD_DATE, 16},         {FIELD_TIME, 8},  {FIELD_TEXT, -1}, {FIELD_MULTI_VALUE, -1},
        {FIELD_CERTIFICATES, -1}, {FIELD_NONE, -1}, {0, -1},          {10, -1}};
    for (const Row& r : rows)
        EXPECT_EQ(GetFieldKindSize(r.kind), r.size) << r.kind;
}

TEST(FieldValue, CopyTakesEveryCopiedKindWhole) {
    FilledHolder src("王五", 7);
    FieldValueHolder dst;
    for (int kind :
         {FIELD_TEXT, FIELD_MULTI_VALUE, FIELD_INT, FIELD_DATE, FIELD_TIME, FIELD_INT8}) {
        FieldValue d = dst.MakeValue(kind);
        EXPECT_TRUE(CopyFieldValue(d, src.MakeValue(kind))) << kind;
        EXPECT_EQ(CompareFieldValues(d, src.MakeValue(kind)), 0) << kind;
    }
    EXPECT_EQ(dst.strText, "王五");
    EXPECT_EQ(dst.listValues.GetItemSize(), 2);
    EXPECT_EQ(dst.listValues.GetCount(), 2);
    EXPECT_EQ(dst.listValues.GetCurrentIndex(), 1);
    EXPECT_EQ(dst.listValues.GetValue(0, 1), "手机");
    EXPECT_EQ(dst.nInt, 7);
    EXPECT_EQ(dst.nInt8, 7);
    EXPECT_EQ(dst.date.GetYear(), 1987);
    EXPECT_EQ(dst.time.GetTime(), 7000000);
}

TEST(FieldValue, KindsNeverCopiedLeaveTheDestination) {
    FilledHolder src("王五", 7);
    FilledHolder dst("赵六", 9);
    for (int kind : {FIELD_CERTIFICATES, FIELD_INT7, FIELD_NONE}) {
        FieldValue d = dst.MakeValue(kind);
        EXPECT_FALSE(CopyFieldValue(d, src.MakeValue(kind))) << kind;
    }
    EXPECT_EQ(dst.certificates.GetHead().strNumber, "赵六");
    EXPECT_EQ(dst.nInt7, 9);
    int flagsA = 1, flagsB = 2;
    FieldValue a{FIELD_FLAGS, &flagsA}, b{FIELD_FLAGS, &flagsB};
    EXPECT_FALSE(CopyFieldValue(a, b));
    EXPECT_EQ(flagsA, 1);
    EXPECT_EQ(CompareFieldValues(a, b), 0) << "two different flag words compare equal";
}

// A value read through another kind's type would be memory used as an object it is not: the
// sanitizer run shows it. Integers 3 and 8 share their storage and do mix.
TEST(FieldValue, ValuesOfDifferentStorageNeitherCopyNorCompare) {
    FilledHolder src("王五", 7);
    FilledHolder dst("赵六", 9);
    const int kinds[] = {FIELD_TEXT, FIELD_MULTI_VALUE, FIELD_INT,
                         FIELD_DATE, FIELD_TIME,        FIELD_CERTIFICATES};
    for (int dk : kinds)
        for (int sk : kinds) {
            if (dk == sk)
                continue;
            FieldValue d = dst.MakeValue(dk);
            EXPECT_EQ(CompareFieldValues(d, src.MakeValue(sk)), 0) << dk << " " << sk;
            EXPECT_FALSE(CopyFieldValue(d, src.MakeValue(sk))) << dk << " " << sk;
        }
    EXPECT_EQ(dst.strText, "赵六");
    EXPECT_EQ(dst.listValues.GetValue(0, 0), "赵六");
    EXPECT_EQ(dst.nInt, 9);
    EXPECT_EQ(dst.date.GetYear(), 1989);
    EXPECT_EQ(dst.time.GetTime(), 9000000);

    FieldValue d8 = dst.MakeValue(FIELD_INT8);
    EXPECT_GT(CompareFieldValues(d8, src.MakeValue(FIELD_INT)), 0);
    EXPECT_TRUE(CopyFieldValue(d8, src.MakeValue(FIELD_INT)));
    EXPECT_EQ(dst.nInt8, 7);

    FieldValue missing{FIELD_TEXT, nullptr};
    EXPECT_FALSE(CopyFieldValue(missing, src.MakeValue(FIELD_TEXT)));
    FieldValue d = dst.MakeValue(FIELD_TEXT);
    EXPECT_FALSE(CopyFieldValue(d, missing));
    EXPECT_EQ(CompareFieldValues(d, missing), 0);
}

} // namespace
