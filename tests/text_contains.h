#pragma once
// Checks that a message holds a text, showing the whole message where it does not.

#include <gtest/gtest.h>

#include <string>

namespace rv7342 {

inline testing::AssertionResult Contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "\"" << part << "\" is not in:\n" << text;
}

}  // namespace rv7342
