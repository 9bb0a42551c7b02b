// Compares two rich texts paragraph by paragraph and run by run, naming where they differ.
#pragma once

#include "platform/gui/RtfFormat.h"

#include <gtest/gtest.h>

inline void ExpectSame(const RichTextDoc& a, const RichTextDoc& b) {
    ASSERT_EQ(a.paragraphs.size(), b.paragraphs.size());
    for (size_t i = 0; i < a.paragraphs.size(); ++i) {
        const auto& pa = a.paragraphs[i];
        const auto& pb = b.paragraphs[i];
        EXPECT_EQ(pa.align, pb.align) << i;
        EXPECT_EQ(pa.leftIndentTwips, pb.leftIndentTwips) << i;
        EXPECT_EQ(pa.firstIndentTwips, pb.firstIndentTwips) << i;
        EXPECT_EQ(pa.rightIndentTwips, pb.rightIndentTwips) << i;
        EXPECT_EQ(pa.bullet, pb.bullet) << i;
        ASSERT_EQ(pa.runs.size(), pb.runs.size()) << i;
        for (size_t r = 0; r < pa.runs.size(); ++r) {
            EXPECT_EQ(pa.runs[r].text, pb.runs[r].text) << i << "/" << r;
            EXPECT_TRUE(pa.runs[r].format == pb.runs[r].format) << i << "/" << r;
        }
    }
}
