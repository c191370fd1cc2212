#include "kestrin/ring_buffer.h"

CRingBuffer::CRingBuffer(size_t capacity) : m_buffer(capacity) {}

bool CRingBuffer::push_back(uint8_t byte) {
  std::unique_lock lock(m_mutex);
  m_cond.wait(lock, [this] { return m_interrupted || !m_buffer.full(); });
  if (m_interrupted) return false;
  m_buffer.push_back(byte);
  m_cond.notify_one();
  return true;
}

bool CRingBuffer::pop_front(uint8_t& byte, std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_mutex);
  if (!m_cond.wait_for(lock, timeout, [this] { return !m_buffer.empty(); })) return false;
  byte = m_buffer.front();
  m_buffer.pop_front();
  // Producers and consumers share the condition: wake them all so that a producer is not missed.
  m_cond.notify_all();
  return true;
}

size_t CRingBuffer::size() const {
  std::lock_guard lock(m_mutex);
  return m_buffer.size();
}

size_t CRingBuffer::capacity() const {
  std::lock_guard lock(m_mutex);
  return m_buffer.capacity();
}

void CRingBuffer::interrupt() {
  std::lock_guard lock(m_mutex);
  m_interrupted = true;
  m_cond.notify_all();
}

void CRingBuffer::resume() {
  std::lock_guard lock(m_mutex);
  m_interrupted = false;
}
