#ifndef VANDREL_VANDREL_H
#define VANDREL_VANDREL_H
/* Vandrel: the acquisition engine. Its message export follows the protocol of
 * KESTRIN_ERROR_MESSAGE: length-only call first, then a call with a buffer of at least *length
 * bytes; a code of the engine family without an entry leaves buffer and *length untouched. */

#define VANDREL_ERROR_INVALID_PARAMETER 0x3FA00001UL
#define VANDREL_ERROR_INSUFFICIENT_RESOURCES 0x3FA00005UL
#define VANDREL_ERROR_INVALID_PARAMETERS 0x3FA00006UL
#define VANDREL_ERROR_BAD_DEVICE_TYPE 0x3FA00007UL
#define VANDREL_ERROR_NO_SUCH_FILE 0x3FA0000AUL

#ifdef __cplusplus
extern "C" {
#endif

__attribute__((visibility("default"))) unsigned long VANDREL_ERROR_MESSAGE(unsigned long code, char* buffer,
                                                                           unsigned long size, unsigned long* length);

#ifdef __cplusplus
}

#include <cstdint>
#include <memory>

#include <kestrin/kestrin.h>

#include "vandrel/acq_file.h"
#include "vandrel/ini_acq.h"

namespace vandrel {
struct VandrelState;
struct TrameMots;
enum class ModeZone;
struct struct_DEF_TRAME_SYNCHRO;
enum TYPE_WRITE_PRETRIG : int { PRETRIG_COMPLET = 0, PRETRIG_TOURNANT = 1 };

// Settings that only tests change; the product keeps the defaults.
struct VandrelReglagesTest {
  int64_t echeance_trafic = -50000000;  // traffic watchdog period, 100 ns units, relative
  uint32_t delai_tache_fichier_ms = 0;  // the file thread sleeps this long in each cycle
  uint64_t intervalle_flush = 50000000; // linear zones: date units between two writes
  uint32_t lgp_buffer_acq = 0;          // buffer unit in pages; 0: from the bus speed
};

}  // namespace vandrel

// The acquisition engine: a card session that runs an acquisition into a file with two threads
// of its own (card data in, file records out).
class CVandrel : public CKestrin {
 public:
  explicit CVandrel(unsigned long kind);
  ~CVandrel() override;

  // Starts an acquisition described by the INI_ACQ block (608 bytes and the data behind them).
  unsigned long start_acquisition(const void* params, unsigned long length);
  // Ends it, waits for both threads, and rewrites the header with the final state.
  unsigned long stop_acquisition();
  // Copies the header as the engine keeps it in memory: 88, or 0 when length is too small.
  unsigned long get_header_file(void* buffer, unsigned long length);
  // How far the last start got (0 to 6).
  uint8_t ucEtatRessource() const;
  // Bytes written into the data zone since the start, every lap of a circular zone counted: what a
  // reader following the ring compares with what it has read.
  uint64_t bytes_written() const;

 protected:
  void stop_fifo_service();
  void stop_file_task();
  void thread_fip_loop();
  void thread_file_loop();
  bool open_file(char mode, uint16_t length, const char* path, int* handle);
  bool write_file(const uint8_t* buffer, uint32_t size);
  bool write_file_tournant(const uint8_t* buffer, uint32_t size, uint64_t* pos_fichier_sous_bloc,
                           uint32_t* pos_buffer_sous_bloc, uint32_t* index_buffer, uint32_t* index_fichier,
                           vandrel::TYPE_WRITE_PRETRIG kind);
  uint8_t create_syn_combinations();
  bool readAndCmpNBitAtPosBit(const vandrel::struct_DEF_TRAME_SYNCHRO* def, const uint8_t* frame, uint16_t n);
  static bool compare_frames(const uint16_t* frame, uint16_t n, const uint16_t* pattern, uint16_t count);
  void recalcule_dateR(uint64_t* date);

  vandrel::VandrelReglagesTest m_reglages_test;
  vandrel::VandrelState* pldi;

 private:
  unsigned long start_sequence(const uint8_t* params, unsigned long length);
  // Card thread: appends word records to the acquisition buffers; false once the acquisition ended.
  bool append_words(const uint16_t* words, size_t count);
  // File thread: gathers the full buffers (and the one being filled when asked) behind the carried frame.
  bool gather(bool with_active);
  // Walks the gathered words into records and writes them; false once the acquisition ended.
  bool record_words(bool final);
  bool record_frame(const vandrel::TrameMots& frame, bool final);
  // The trigger fired on this frame: the post-trigger recording starts with it.
  bool on_trigger(const vandrel::TrameMots& frame, uint64_t date, bool final);
  // The pre-trigger history into its zone, with the bounds that the reader follows.
  bool write_history(uint64_t date_trig);
  vandrel::ModeZone zone_mode() const;
  bool place_record(const uint8_t* bytes, uint16_t n, uint64_t date, uint8_t status, bool final);
  bool flush_records(bool final);
  // Records wait in bufferASauver for a zone the file shows, and the first has waited too long.
  bool records_due() const;
  void fin_acquisition(uint32_t etat);
  void end_file_task();
  unsigned long reset_card();
  // A final state, once set, is kept: later writes of the threads do not undo it.
  void set_etat(uint32_t etat);
  uint32_t etat() const;
};

#endif
#endif
