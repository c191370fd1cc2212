#pragma once
// Cuts the received byte stream into reply and event frames, chunk after chunk, and recovers
// from a loss of frame boundaries at the next plausible event frame.

#include <cstdint>
#include <memory>
#include <vector>

#include "kestrin/protocol.h"

namespace IProtocol {

class IFrameSink {
 public:
  virtual ~IFrameSink() = default;
  virtual void on_reply(std::shared_ptr<REPLY_FRAME> frame) = 0;
  virtual void on_event(std::shared_ptr<EVENT_FRAME> frame) = 0;
};

class CStreamParser {
 public:
  // Parses one chunk; frames go to the sink in stream order. False when the frame boundaries
  // are lost for good (no resynchronisation point): the rest of the chunk is skipped.
  bool parse(const std::vector<uint8_t>& chunk, IFrameSink& sink);
  // Bytes kept from earlier chunks for a later recovery: those of the last frame begun while no
  // frame has started since (at most one frame).
  size_t kept_bytes() const { return m_tail.size(); }

 private:
  enum class InProgress { None, NoCrc, Crc };

  void start_frame(size_t position, uint8_t marker);
  void take_byte(uint8_t byte);
  void deliver(IFrameSink& sink);
  // Returns the resynchronisation position in buffer, or -1; may put the unfinished frame's
  // bytes in front.
  long context_loss(std::vector<uint8_t>& buffer, size_t& position);
  // Keeps the bytes of the frame still in progress at the end of buffer, for a recovery that
  // scans it again with the next chunk.
  void keep_tail(const std::vector<uint8_t>& buffer);
  void trace_state(const std::vector<uint8_t>& buffer) const;

  InProgress m_in_progress = InProgress::None;
  uint8_t m_cla = 0;
  // Positions inside the frame; 0 where the layout has no such field.
  size_t m_pos_id = 0, m_pos_cp = 0, m_pos_sw = 0, m_pos_len = 0, m_pos_data = 0;
  size_t m_index = 0;
  size_t m_data_count = 0;
  uint8_t m_id = 0, m_cp = 0xEE;
  uint16_t m_sw = 0, m_len = 0, m_crc = 0xEEEE;
  std::vector<uint8_t> m_data;
  bool m_complete = false;
  bool m_spanning = false;
  bool m_started_in_chunk = false;
  size_t m_last_frame_start = 0;
  // The bytes of the last frame from its start marker on while it spans chunks and no frame has
  // started since (at most one frame: a 16-bit length and its header), never a whole chunk.
  std::vector<uint8_t> m_tail;
  // For the traces: the bytes since the last frame delivered, the newest kept up to one frame.
  std::vector<uint8_t> m_bytes_without_context;

  // Diagnostics of the frames seen in the chunk.
  std::vector<size_t> m_diag_starts;
  std::vector<uint8_t> m_diag_cla, m_diag_id, m_diag_cp;
  std::vector<uint16_t> m_diag_sw, m_diag_len;
};

}  // namespace IProtocol
