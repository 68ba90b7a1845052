// CbNodeLinked<T, 1>: one node of a doubly linked CbList.
// Not synchronised: a node belongs to its list, whose owner serialises access between
// threads.
#pragma once

#include <utility>

template <class T, int Links = 1>
struct CbNodeLinked {
  static_assert(Links == 1, "only doubly linked nodes are used");

  template <class U>
  explicit CbNodeLinked(U&& v) : value(std::forward<U>(v)) {}

  CbNodeLinked* next = nullptr;
  CbNodeLinked* previous = nullptr;
  T value;
};
