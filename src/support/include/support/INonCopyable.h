// INonCopyable: a base that forbids copying and assignment.
#pragma once

class INonCopyable {
protected:
  INonCopyable() = default;
  ~INonCopyable() = default;

public:
  INonCopyable(const INonCopyable&) = delete;
  INonCopyable& operator=(const INonCopyable&) = delete;
};
