// What a call throws, so that error texts compare in one line.
#pragma once

#include <exception>
#include <string>

namespace kw::test {

// what() of the E that fn throws; "" when it returns. Other exceptions pass through.
template <class E = std::exception, class Fn>
std::string ThrownText(Fn&& fn) {
  try {
    fn();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}

}  // namespace kw::test
