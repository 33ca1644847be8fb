#pragma once
// How every operation that can fail reports it: no value on success, otherwise the reason,
// written for the user and naming the file or port concerned.

#include <optional>
#include <string>

namespace rv7342 {

using Failure = std::optional<std::string>;

}  // namespace rv7342
