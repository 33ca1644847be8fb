#include "tools/meter_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "transfer/meter_protocol.h"

namespace rv7342 {
namespace {

// Where the frames begin: after the first carriage return.
std::size_t FramesStart(const Bytes& bytes) {
    return std::find(bytes.begin(), bytes.end(), kCarriageReturn) - bytes.begin() + 1;
}

// The first 15 bytes of a frame, positions 15 down to 1.
std::string FrameText(const Bytes& bytes, int frame) {
    const auto begin = bytes.begin() + FramesStart(bytes) + frame * kFrameSize;
    return std::string(begin, begin + kFrameSize - 1);
}

bool IsDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

TEST(MeterImage, NoiseOneBoundaryThenReadingFramesAndTwoClosingFrames) {
    for (int frames : {0, 1, 500}) {
        SCOPED_TRACE(frames);
        const MeterImage image = GenerateMeterImage(frames, 7);
        const Bytes& bytes = image.bytes;
        const std::size_t start = FramesStart(bytes);
        ASSERT_LE(start, bytes.size());
        EXPECT_GE(start, 2u) << "some noise before the first carriage return";
        ASSERT_EQ(bytes.size() - start, (frames + 2) * kFrameSize);
        EXPECT_EQ(std::count(bytes.begin() + start, bytes.end(), kAbandonFrame), 0);
        EXPECT_EQ(image.readings.size(), static_cast<std::size_t>(frames));
        int singleValue = 0;
        for (int frame = 0; frame < frames + 2; ++frame) {
            const auto begin = bytes.begin() + start + frame * kFrameSize;
            EXPECT_EQ(begin[kFrameSize - 1], kCarriageReturn) << "frame " << frame;
            EXPECT_EQ(std::count(begin, begin + kFrameSize, kEscape), frame < frames ? 0 : 14)
                << "frame " << frame;
            if (frame < frames) {
                EXPECT_TRUE(IsDigits(FrameText(bytes, frame))) << "frame " << frame;
                singleValue += FrameText(bytes, frame)[1] == '4';
            }
        }
        if (frames == 500) {
            EXPECT_GT(singleValue, 50) << "both layouts";
            EXPECT_LT(singleValue, 450) << "both layouts";
        }
    }
}

TEST(MeterImage, HandCheckedFrames) {
    const MeterImage image = GenerateMeterImage(6, 3);
    struct Expected {
        int frame;
        std::string text;
        Reading reading;
    };
    const Expected expected[] = {
        {0, "905291461964045", {0.4045, 29, 619.6, 5}},
        {2, "136154149631736", {-173.6, 15, 0.4963, 6}},  // 3 at position 14: negative
        {4, "546290289959130", {591.3, 29, 0, 0}},        // single value, 13 and 8..6 unread
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.frame);
        EXPECT_EQ(FrameText(image.bytes, e.frame), e.text);
        const Reading& reading = image.readings[e.frame];
        EXPECT_DOUBLE_EQ(reading.value1, e.reading.value1);
        EXPECT_EQ(reading.unitIndex, e.reading.unitIndex);
        EXPECT_DOUBLE_EQ(reading.value2, e.reading.value2);
        EXPECT_EQ(reading.unit2Index, e.reading.unit2Index);
    }
}

}  // namespace
}  // namespace rv7342
