// INonCopyable: a base that forbids copying and assignment.
// Holds no state; whether a derived class may be shared between threads is that class's
// promise.
#pragma once

class INonCopyable {
protected:
  INonCopyable() = default;
  ~INonCopyable() = default;

public:
  INonCopyable(const INonCopyable&) = delete;
  INonCopyable& operator=(const INonCopyable&) = delete;
};
