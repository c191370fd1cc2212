// CVandrel: construction, the header copy for the caller, and the small services the threads share.

#include "vandrel/vandrel.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <brv_platform/filetime.h>
#include <brv_platform/keep_awake.h>
#include <brv_platform/trace.h>

#include "engine_state.h"
#include "trace_format.h"

using brv::platform::trace;
using namespace vandrel;

CVandrel::CVandrel(unsigned long kind) : CKestrin(kind), pldi(new VandrelState) {}

CVandrel::~CVandrel() {
  // A caller that forgot stop_acquisition must not leave threads running on a freed state.
  if (pldi->tache_carte.joinable() || pldi->tache_fichier.joinable()) stop_acquisition();
  delete pldi;
}

unsigned long CVandrel::get_header_file(void* buffer, unsigned long length) {
  if (buffer == nullptr || length < kTailleEntete) return 0;
  std::lock_guard lock(pldi->mutex_entete);
  ecrire_entete(pldi->stEnteteF, static_cast<uint8_t*>(buffer));
  return kTailleEntete;
}

uint8_t CVandrel::ucEtatRessource() const { return pldi->ucEtatRessource.load(); }

uint64_t CVandrel::bytes_written() const { return pldi->octets_total.load(); }

void CVandrel::set_etat(uint32_t e) {
  std::lock_guard lock(pldi->mutex_entete);
  if (etat_final(pldi->stEnteteF.enEtatAcq)) return;
  pldi->stEnteteF.enEtatAcq = e;
}

uint32_t CVandrel::etat() const {
  std::lock_guard lock(pldi->mutex_entete);
  return pldi->stEnteteF.enEtatAcq;
}

unsigned long CVandrel::reset_card() {
  std::lock_guard lock(pldi->mutex_requetes);
  const unsigned long rc = rq_reset(1, 2, false);
  get_last_reply_frame();
  return rc;
}

void CVandrel::stop_fifo_service() {
  if (pldi->flag_err_buffers) return;
  if (pldi->debordement) {
    pldi->flag_err_buffers = true;
    pldi->evtErrBuffers.set();
  } else {
    pldi->flag_svg = true;
    pldi->evtSvgBuffer.set();
  }
}

void CVandrel::stop_file_task() {
  pldi->flag_stop = true;
  pldi->evtStopTache.set();
}

void CVandrel::recalcule_dateR(uint64_t* date) {
  const uint64_t now = brv::platform::local_filetime_now();
  uint64_t detect;
  uint32_t vitesse;
  {
    std::lock_guard lock(pldi->mutex_entete);
    detect = pldi->stEnteteF.uliDateDetect;
    vitesse = pldi->stEnteteF.enVitesse;
  }
  const uint64_t d = now - detect;
  switch (vitesse) {
    case VITESSE_31K25: *date = d >> 5; break;
    case VITESSE_1M: *date = d; break;
    case VITESSE_2M5: *date = d * 25 / 10; break;
    case VITESSE_5M: *date = d * 5; break;
    default: break;
  }
  if (brv::platform::trace_enabled()) {
    trace("recalcule_dateR: maintenant " + std::to_string(now) + " detection " + std::to_string(detect) + "\n");
  }
}

bool CVandrel::open_file(char mode, uint16_t length, const char* path, int* handle) {
  const std::string name(path, length);
  int flags;
  switch (mode) {
    case 0: flags = O_RDWR | O_CREAT | O_TRUNC; break;
    case 1: flags = O_WRONLY | O_APPEND; break;
    case 2: flags = O_RDWR; break;
    default: *handle = -1; return false;
  }
  *handle = ::open(name.c_str(), flags | O_CLOEXEC, 0644);
  if (*handle < 0) {
    char text[128];
    trace("open_file error : file: " + name + " ,GetLastError : 0x" + hex(static_cast<unsigned>(errno)) + " (" +
          brv::platform::system_error_text(errno, text, sizeof text) + ")\n");
    return false;
  }
  return true;
}
