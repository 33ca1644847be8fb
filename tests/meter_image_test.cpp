#include "tools/meter_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "tests/meter_stream.h"

namespace rv7342 {
namespace {

// The 16 bytes of frame `frame`, counted from the first carriage return, which ends the noise.
std::string FrameText(const Bytes& bytes, int frame) {
    const auto begin = std::find(bytes.begin(), bytes.end(), kMeterCarriageReturn) + 1;
    return std::string(begin + frame * kMeterFrameSize, begin + (frame + 1) * kMeterFrameSize);
}

TEST(MeterImage, NoiseOneBoundaryThenReadingFramesAndTwoClosingFrames) {
    for (int frames : {0, 1, 500}) {
        SCOPED_TRACE(frames);
        const MeterImage image = GenerateMeterImage(frames, 7);
        const Bytes& bytes = image.bytes;
        const auto noise =
            std::find(bytes.begin(), bytes.end(), kMeterCarriageReturn) - bytes.begin();
        EXPECT_GE(noise, 1) << "some noise before the first carriage return";
        ASSERT_EQ(bytes.size() - noise - 1, (frames + 2) * kMeterFrameSize);
        EXPECT_EQ(std::count(bytes.begin() + noise, bytes.end(), kMeterAbandon), 0);
        EXPECT_EQ(image.readings.size(), static_cast<std::size_t>(frames));
        int singleValue = 0;
        for (int frame = 0; frame < frames + 2; ++frame) {
            SCOPED_TRACE(frame);
            const std::string text = FrameText(bytes, frame);
            EXPECT_EQ(text.back(), kMeterCarriageReturn);
            EXPECT_EQ(std::count(text.begin(), text.end(), kMeterEscape), frame < frames ? 0 : 14);
            if (frame < frames) {
                EXPECT_EQ(text.find_first_not_of("0123456789"), kMeterFrameSize - 1) << "digits";
                singleValue += text[1] == '4';
            }
        }
        EXPECT_TRUE(frames < 500 || (singleValue > 50 && singleValue < 450)) << "both layouts";
    }
}

TEST(MeterImage, HandCheckedFrames) {
    const MeterImage image = GenerateMeterImage(6, 3);
    const std::tuple<int, std::string, Reading> expected[] = {
        {0, "905291461964045\r", {0.4045, 29, 619.6, 5}},
        {2, "136154149631736\r", {-173.6, 15, 0.4963, 6}},  // 3 at position 14: negative
        {4, "546290289959130\r", {591.3, 29, 0, 0}},        // single value, 13 and 8..6 unread
    };
    for (const auto& [frame, text, reading] : expected) {
        SCOPED_TRACE(frame);
        EXPECT_EQ(FrameText(image.bytes, frame), text);
        const Reading& got = image.readings[frame];  // each value is one exact division by 10^n
        EXPECT_EQ(std::tie(got.value1, got.unitIndex, got.value2, got.unit2Index),
                  std::tie(reading.value1, reading.unitIndex, reading.value2, reading.unit2Index));
    }
}

}  // namespace
}  // namespace rv7342
