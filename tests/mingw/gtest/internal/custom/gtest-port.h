// GoogleTest's hook for platform adjustments, used by the Windows cross builds.
// Their compilers use the win32 thread model, whose C++ library has no
// std::mutex or std::condition_variable; GoogleTest needs them only for
// Notification (a latch for its own thread tests), given here on a Win32 event
// instead. Everything else GoogleTest does on Windows uses Win32
// directly.
#ifndef TOOLBOX_TESTS_MINGW_GTEST_PORT_H
#define TOOLBOX_TESTS_MINGW_GTEST_PORT_H

#if defined(_WIN32)
#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Defined in tests/mingw/notification.cpp, part of the gtest library.
class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;  // a manual-reset Win32 event
};

}  // namespace internal
}  // namespace testing
#endif

#endif
