#include "kestrin/stream_parser.h"

#include <sstream>

#include "brv_platform/trace.h"
#include "hex.h"

using brv::platform::trace;
using kestrin::detail::hex;

namespace IProtocol {

namespace {

const char* const kRule = "--------------------------------------------------\n";
// The longest frame: header, a 16-bit length of data, CRC.
constexpr size_t kMaxFrameBytes = 7 + 0xFFFF + 2;

}  // namespace

bool CStreamParser::parse(const std::vector<uint8_t>& chunk, IFrameSink& sink) {
  if (!m_spanning) {
    m_diag_starts.clear();
    m_diag_cla.clear();
    m_diag_id.clear();
    m_diag_cp.clear();
    m_diag_sw.clear();
    m_diag_len.clear();
    m_last_frame_start = 0;
  }
  m_started_in_chunk = false;
  // Only the recovery case needs a copy, when the unfinished frame's bytes are put in front.
  std::vector<uint8_t> extended;
  const std::vector<uint8_t>* buffer = &chunk;

  size_t i = 0;
  while (i < buffer->size()) {
    const uint8_t byte = (*buffer)[i];
    if (m_bytes_without_context.size() >= 2 * kMaxFrameBytes) {
      m_bytes_without_context.erase(m_bytes_without_context.begin(),
                                    m_bytes_without_context.begin() + static_cast<std::ptrdiff_t>(kMaxFrameBytes));
    }
    m_bytes_without_context.push_back(byte);
    if (m_in_progress == InProgress::None) {
      if (!is_start_marker(byte)) {
        if (buffer != &extended) extended = chunk;
        buffer = &extended;
        const long resync = context_loss(extended, i);
        if (resync < 0) {
          m_tail.clear();
          return false;
        }
        i = static_cast<size_t>(resync);
      }
      start_frame(i, (*buffer)[i]);
    } else {
      take_byte(byte);
    }

    ++i;
    if (i == buffer->size() && !m_complete) m_spanning = true;
    if (m_complete) {
      if (i < buffer->size() && !is_start_marker((*buffer)[i])) {
        trace("Inconsistent Frame detected !! \n");
      } else {
        deliver(sink);
      }
      m_in_progress = InProgress::None;
      m_complete = false;
    }
  }
  keep_tail(*buffer);
  return true;
}

void CStreamParser::keep_tail(const std::vector<uint8_t>& buffer) {
  if (!m_spanning) {
    m_tail.clear();
  } else if (m_started_in_chunk) {
    m_tail.assign(buffer.begin() + static_cast<std::ptrdiff_t>(m_last_frame_start), buffer.end());
  } else {
    // The whole chunk belongs to a frame begun before it.
    m_tail.insert(m_tail.end(), buffer.begin(), buffer.end());
  }
  // Positions now count from the start of the kept bytes.
  if (m_spanning) m_last_frame_start = 0;
}

void CStreamParser::start_frame(size_t position, uint8_t marker) {
  m_last_frame_start = position;
  m_started_in_chunk = true;
  m_diag_starts.push_back(position);
  m_cla = marker;
  if (marker == CLA_REPLY || marker == CLA_REPLY_CRC) {
    m_pos_id = 0;
    m_pos_cp = 0;
    m_pos_sw = 1;
    m_pos_len = 3;
    m_pos_data = 5;
  } else {
    m_pos_id = 1;
    m_pos_cp = 2;
    m_pos_sw = 3;
    m_pos_len = 5;
    m_pos_data = 7;
  }
  m_data.clear();
  m_index = 1;
  m_data_count = 0;
  m_in_progress = (marker & 1) ? InProgress::Crc : InProgress::NoCrc;
  m_spanning = false;
  m_id = 0;
  m_cp = 0xEE;
  m_sw = 0;
  m_len = 0;
  m_crc = 0xEEEE;
}

void CStreamParser::take_byte(uint8_t byte) {
  const bool with_crc = m_in_progress == InProgress::Crc;
  if (m_pos_id && m_index == m_pos_id) {
    m_id = byte;
  } else if (m_pos_cp && m_index == m_pos_cp) {
    m_cp = byte;
  } else if (m_index == m_pos_sw) {
    m_sw = static_cast<uint16_t>((m_sw & 0x00FF) | (byte << 8));
  } else if (m_index == m_pos_sw + 1) {
    m_sw = static_cast<uint16_t>((m_sw & 0xFF00) | byte);
  } else if (m_index == m_pos_len) {
    m_len = static_cast<uint16_t>((m_len & 0x00FF) | (byte << 8));
  } else if (m_index == m_pos_len + 1) {
    m_len = static_cast<uint16_t>((m_len & 0xFF00) | byte);
    if (!with_crc && m_len == 0) m_complete = true;
  } else if (m_data_count < m_len) {
    m_data.push_back(byte);
    ++m_data_count;
    if (!with_crc && m_data_count == m_len) m_complete = true;
  } else if (m_index == m_pos_data + m_len) {
    m_crc = static_cast<uint16_t>((m_crc & 0x00FF) | (byte << 8));
  } else if (m_index == m_pos_data + m_len + 1) {
    m_crc = static_cast<uint16_t>((m_crc & 0xFF00) | byte);
    m_complete = true;
  }
  ++m_index;
}

void CStreamParser::deliver(IFrameSink& sink) {
  if (m_cla == CLA_EVENT || m_cla == CLA_EVENT_CRC) {
    auto frame = std::make_shared<EVENT_FRAME>();
    frame->ucCLA = m_cla;
    frame->ucID = m_id;
    frame->ucCP = m_cp;
    frame->usSW = m_sw;
    frame->usLEN = m_len;
    frame->data = std::move(m_data);
    frame->usCRC = m_crc;
    sink.on_event(std::move(frame));
  } else {
    auto frame = std::make_shared<REPLY_FRAME>();
    frame->ucCLA = m_cla;
    frame->usSW = m_sw;
    frame->usLEN = m_len;
    frame->data = std::move(m_data);
    frame->usCRC = m_crc;
    sink.on_reply(std::move(frame));
  }
  m_data.clear();
  m_bytes_without_context.clear();
  m_diag_cla.push_back(m_cla);
  m_diag_id.push_back(m_id);
  m_diag_cp.push_back(m_cp);
  m_diag_sw.push_back(m_sw);
  m_diag_len.push_back(m_len);
}

long CStreamParser::context_loss(std::vector<uint8_t>& buffer, size_t& position) {
  const bool tracing = brv::platform::trace_enabled();
  std::ostringstream out;
  if (tracing) {
    out << kRule << kRule << "-- Context Loss Block Management --\n"
        << " - last frame start index known: 0x" << hex(m_last_frame_start, 4) << "\n"
        << " - packet size: 0x" << hex(buffer.size(), 4) << "\n"
        << " - context loss index (i): 0x" << hex(position, 4) << "\n";
    for (size_t j = 0; j < m_bytes_without_context.size(); ++j) {
      out << "index: " << hex(j, 4) << " - bytes_without_context[j]   : 0x" << hex(m_bytes_without_context[j]) << "\n";
    }
  }
  if (m_spanning) {
    // The frame start known lies in an earlier chunk: scan its bytes again with this one.
    buffer.insert(buffer.begin(), m_tail.begin(), m_tail.end());
    position += m_tail.size();
    if (tracing) {
      out << " - spanning : true\n";
      for (size_t j = 0; j < m_tail.size(); ++j) {
        out << " - inputBuffer_before[" << hex(j, 4) << "]   : 0x" << hex(m_tail[j]) << "\n";
      }
      out << " - context loss index (with insertion of previous packet): 0x" << hex(position, 4) << "\n";
    }
  }

  long found = -1;
  const size_t n = buffer.size();
  for (size_t i = m_last_frame_start + 1; i + 7 < n; ++i) {
    if ((buffer[i] == CLA_EVENT || buffer[i] == CLA_EVENT_CRC) && buffer[i + 1] == 0x01) {
      const uint16_t sw = static_cast<uint16_t>((buffer[i + 3] << 8) | buffer[i + 4]);
      if (sw == SW_OK || sw == SW_EVENT_OVERFLOW) {
        found = static_cast<long>(i);
        if (tracing) {
          out << "Context Recovery Attempt OK !\n"
              << "Recovery Packet:\n";
          for (size_t k = (i >= 3 ? i - 3 : 0); k < i; ++k) {
            out << " - inputBuffer[i-" << (i - k) << "] : 0x" << hex(buffer[k]) << "\n";
          }
          out << " - inputBuffer[i]   : 0x" << hex(buffer[i]) << "\n";
          for (size_t k = i + 1; k <= i + 7; ++k) {
            out << " - inputBuffer[i+" << (k - i) << "] : 0x" << hex(buffer[k]) << "\n";
          }
        }
        break;
      }
    }
  }
  if (found >= 0) {
    if (tracing) {
      out << kRule << kRule;
      trace(out.str());
    }
    return found;
  }
  if (tracing) trace(out.str());
  trace_state(buffer);
  return -1;
}

void CStreamParser::trace_state(const std::vector<uint8_t>& buffer) const {
  if (!brv::platform::trace_enabled()) return;
  std::ostringstream out;
  out << "bNewFrame : " << (m_in_progress != InProgress::None) << "\n"
      << "bCRCNewFrame : " << (m_in_progress == InProgress::Crc) << "\n"
      << "bParseOK : " << m_complete << "\n"
      << "frames detected before :\n";
  for (size_t s : m_diag_starts) out << " index new frame: 0x" << hex(s, 4) << "\n";
  const auto list8 = [&](const char* name, const std::vector<uint8_t>& v) {
    for (uint8_t x : v) out << name << hex(x);
    out << "\n";
  };
  list8(" , CLA: ", m_diag_cla);
  list8(" , ID: ", m_diag_id);
  list8(" , CP: ", m_diag_cp);
  for (uint16_t x : m_diag_sw) out << " , SW: " << hex(x, 4);
  out << "\n";
  for (uint16_t x : m_diag_len) out << " , LEN: " << hex(x, 4);
  out << "\n"
      << "current context :\n"
      << "ucID :" << hex(m_id) << "\n"
      << "ucCP :" << hex(m_cp) << "\n"
      << "usSW :" << hex(m_sw, 4) << "\n"
      << "usLEN :" << hex(m_len, 4) << "\n"
      << "usCRC :" << hex(m_crc, 4) << "\n";
  for (size_t j = 0; j < buffer.size(); ++j) out << hex(buffer[j]) << (j % 16 == 15 ? "\n" : " ");
  out << "\n";
  trace(out.str());
}

}  // namespace IProtocol
