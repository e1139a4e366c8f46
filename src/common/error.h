// The exception type of the program: its what() is the text the user is shown.
#pragma once

#include <stdexcept>
#include <string>

namespace kw {

class EKempwellError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace kw
