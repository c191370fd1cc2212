#pragma once
// Bounded blocking byte buffer between threads, on boost::circular_buffer.

#include <boost/circular_buffer.hpp>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

class CRingBuffer {
 public:
  explicit CRingBuffer(size_t capacity);

  // Waits while full, then appends and wakes one waiter. Returns false, dropping the byte,
  // when interrupt() was called: a producer must not outlive its session because nobody reads.
  bool push_back(uint8_t byte);
  // Takes the oldest byte, waiting at most timeout; false when none came.
  bool pop_front(uint8_t& byte, std::chrono::milliseconds timeout);

  size_t size() const;
  size_t capacity() const;

  // Releases waiting producers and refuses new bytes until resume().
  void interrupt();
  void resume();

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_cond;
  boost::circular_buffer<uint8_t> m_buffer;
  bool m_interrupted = false;
};
