// The table and array types the TOML parser (toml11 3.7) builds a scenario
// with: std::unordered_map and std::vector, with two additions that keep a
// hostile text from taking the process down.
//
// - Depth of the parse. The parser descends one level of the call stack
//   (a few hundred bytes, several kilobytes under the sanitizers) for each
//   array or inline table nested in another, and for each level of a deep
//   copy; it makes one of these containers on entering each level. Their
//   constructors check how much stack the parse has used since it began
//   (TomlParseStack), and end it with TomlNestingTooDeep beyond
//   kMaxTomlParseStack, long before the stack's end.
// - Depth of the tree. A value holds its table or array through a pointer
//   and the library's destructor descends the tree recursively; a dotted key
//   of many parts (a.a.a...) makes a tree as deep as it has parts. Here a
//   container being destroyed hands its nested tables and arrays to a list
//   that the outermost destructor empties one by one: destruction is a loop,
//   not a descent, however deep a tree the parse let through.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sim {

// [bytes] The stack a parse may use: a fraction of the smallest stack it
// runs on (2 MiB, a Windows program's main thread), and in every build
// room for a hundred levels or more of nesting, where a scenario needs four.
constexpr uintptr_t kMaxTomlParseStack = uintptr_t(512) << 10;

class TomlNestingTooDeep : public std::exception {
 public:
  const char* what() const noexcept override { return "nested too deeply"; }
};

// Marks where the stack stood when a parse began, for the parse's duration.
class TomlParseStack {
 public:
  TomlParseStack() : previous_(base()) { base() = here(); }
  ~TomlParseStack() { base() = previous_; }
  TomlParseStack(const TomlParseStack&) = delete;
  TomlParseStack& operator=(const TomlParseStack&) = delete;

  // Throws TomlNestingTooDeep when the parse under way has used more than
  // kMaxTomlParseStack; does nothing outside a parse. The stack grows
  // towards lower addresses on every platform built for.
  static void check() {
    const uintptr_t start = base();
    if (start == 0) return;
    const uintptr_t now = here();
    if (now < start && start - now > kMaxTomlParseStack) throw TomlNestingTooDeep();
  }

 private:
  // The frame's address, not a local's: under the address sanitizer locals
  // may live on a stack of its own elsewhere.
  static uintptr_t here() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }
  static uintptr_t& base() {
    thread_local uintptr_t start = 0;  // 0 = no parse under way
    return start;
  }
  uintptr_t previous_;
};

// Destroys nested tables and arrays one at a time (see above). V is the
// library's value type.
template <class V>
class TomlReleased {
 public:
  // Takes value's table or array, if it holds one, to be destroyed later.
  static void take(V& value) {
    if (value.is_table() || value.is_array()) pending().push_back(std::move(value));
  }
  // Destroys what was taken, and what that holds in turn, unless a
  // destructor further out is doing so already.
  static void drain() {
    bool& draining = busy();
    if (draining) return;
    draining = true;
    std::deque<V>& list = pending();
    while (!list.empty()) {
      V last = std::move(list.back());
      list.pop_back();
    }  // each `last` is destroyed here, handing its own nested values to the list
    draining = false;
  }

 private:
  // A deque: it never moves what it holds as it grows (a vector would copy
  // and destroy its values, and so come back into take() while it grows).
  static std::deque<V>& pending() {
    thread_local std::deque<V> list;
    return list;
  }
  static bool& busy() {
    thread_local bool draining = false;
    return draining;
  }
};

template <class... T>
class TomlArray : public std::vector<T...> {
  using Base = std::vector<T...>;
  using Value = typename Base::value_type;

 public:
  using Base::Base;
  TomlArray() { TomlParseStack::check(); }
  TomlArray(const TomlArray& other) : Base((TomlParseStack::check(), other)) {}
  TomlArray(TomlArray&&) = default;
  TomlArray& operator=(const TomlArray&) = default;
  TomlArray& operator=(TomlArray&&) = default;
  ~TomlArray() {
    for (Value& v : *this) TomlReleased<Value>::take(v);
    TomlReleased<Value>::drain();
  }
};

template <class... T>
class TomlTable : public std::unordered_map<T...> {
  using Base = std::unordered_map<T...>;
  using Value = typename Base::mapped_type;

 public:
  using Base::Base;
  TomlTable() { TomlParseStack::check(); }
  TomlTable(const TomlTable& other) : Base((TomlParseStack::check(), other)) {}
  TomlTable(TomlTable&&) = default;
  TomlTable& operator=(const TomlTable&) = default;
  TomlTable& operator=(TomlTable&&) = default;
  ~TomlTable() {
    for (auto& entry : *this) TomlReleased<Value>::take(entry.second);
    TomlReleased<Value>::drain();
  }
};

}  // namespace sim
