#include "brv_core/acquisition/card_selection.h"

#include <cstdio>

#include <brv_platform/trace.h>
#include <kestrin/usb_ftd2xx_com.h>

namespace brv {

using platform::trace;

namespace {

constexpr const char* kTraceInit = " DEBUG BRV: AttachToCard InitInstance: ";

void trace_init(const std::string& suite) { trace(kTraceInit + suite); }

bool libre(const std::shared_ptr<CUsbComInfo>& c) { return c && !c->m_in_use; }

}  // namespace

ListeCartes CartesPresentes() { return CUsbFtd2xxCom::get_com_info_by_name(kNomPeripheriqueCarte); }

CAttachToCard::CAttachToCard(ListeCartes cartes, IRapportDocument& rapport)
    : cartes_(std::move(cartes)), rapport_(rapport) {}

ResultatSelection CAttachToCard::OnInitDialog() {
  trace_init("OnInitDialog");
  stDeviceName_ = kNomPeripheriqueCarte;
  trace_init("stDeviceName : " + stDeviceName_);
  // The list was read by the caller with get_com_info_by_name(stDeviceName).
  trace_init("get_com_info_by_name done !");

  if (cartes_.empty()) {
    rapport_.BoiteMessage(kTexteAucuneCarteActive, IconeMessage::Erreur);
    resultat_ = ResultatSelection::Abandon;
    return resultat_;
  }

  trace_init("m_ActiveDevicesCount done !");
  size_t nbLibres = 0;
  int firstChoiceIndex = 0;
  for (size_t i = 0; i < cartes_.size(); ++i) {
    if (!libre(cartes_[i])) continue;
    if (nbLibres++ == 0) firstChoiceIndex = static_cast<int>(i);
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(firstChoiceIndex) & 0xFFFFu);
  trace_init(std::string("firstChoiceIndex = 0x") + hex);
  trace_init("m_pActiveDeviceInfo done !");

  if (cartes_.size() == 1 && nbLibres == 1) {
    selection_ = 0;
    OnBnClickedOk();
    trace_init("CAttachToCard::OnBnClickedOk");
    return resultat_;
  }
  trace_init("m_pActiveDeviceInfo 0 or more !");

  if (nbLibres == 0) {
    avertissement_ = true;
    trace_init("availableDevicesCount = 0 ...");
  } else {
    avertissement_ = false;
    for (size_t n = 1; n <= cartes_.size(); ++n) entrees_.push_back("USB #" + std::to_string(n));
    OnSelectionChange(firstChoiceIndex);
  }
  trace_init("end !");
  return resultat_;
}

void CAttachToCard::OnSelectionChange(int position) {
  if (position < 0 || static_cast<size_t>(position) >= cartes_.size() || position == selection_) return;
  selection_ = position;
  okActif_ = true;
  const CUsbComInfo* c = cartes_[static_cast<size_t>(position)].get();
  if (c && !c->m_in_use) {
    caracteristiques_ = true;
    infoOccupee_ = false;
    emplacement_ = std::to_string(c->m_index);
    nom_ = c->m_name;
    numeroSerie_ = c->m_serial_number;
  } else {
    caracteristiques_ = false;
    infoOccupee_ = true;
  }
}

bool CAttachToCard::OnBnClickedOk() {
  trace("OnBnClickedOk: entree\n");
  trace("OnBnClickedOk: AfxGetApp done\n");
  if (selection_ < 0 || static_cast<size_t>(selection_) >= cartes_.size()) return false;
  const std::shared_ptr<CUsbComInfo>& c = cartes_[static_cast<size_t>(selection_)];
  if (!libre(c)) {
    trace("OnBnClickedOk: card is used\n");
    rapport_.BoiteMessage(kTexteAucuneCarteChoisie, IconeMessage::Erreur);
    return false;
  }
  trace("OnBnClickedOk: index copying\n");
  indexChoisi_ = static_cast<uint16_t>(c->m_index & 0xFFFFu);
  trace("OnBnClickedOk: sortie\n");
  resultat_ = ResultatSelection::Ok;
  trace("OnBnClickedOk: sortie 2\n");
  return true;
}

std::optional<uint16_t> ChoisitCarteAuto(const ListeCartes& cartes, IRapportDocument& rapport) {
  if (cartes.empty()) {
    rapport.BoiteMessage(kTexteAucuneCarteActive, IconeMessage::Erreur);
    return std::nullopt;
  }
  for (const auto& c : cartes) {
    if (libre(c)) return static_cast<uint16_t>(c->m_index & 0xFFFFu);
  }
  rapport.BoiteMessage(kTexteAucuneCarteLibre, IconeMessage::Erreur);
  return std::nullopt;
}

}  // namespace brv
