#pragma once
// A configuration with every field away from its default, so round trips catch a field that
// is written and not read, read into the wrong place, or dropped.

#include "brv_core/config/config_fields.h"
#include "brv_core/config/configuration.h"

namespace brv::test {

inline DEFINITION_TRAME definition(const std::string& nom, uint8_t type, uint16_t id, size_t champs, uint32_t graine) {
  DEFINITION_TRAME d;
  DefinitNom(d, nom);
  d.ucTypeTrame = type;
  d.usIdentifiant = id;
  d.ulOrdreOctets = graine % 3;
  for (size_t i = 0; i < champs; ++i) {
    CHAMP_BITS c;
    c.usPosition = static_cast<uint16_t>(8 + 16 * i + graine);
    c.ucLongueur = static_cast<uint8_t>(1 + (i + graine) % 64);
    c.ucReserve = static_cast<uint8_t>(0xA0 + i);
    c.ulOperation = static_cast<uint32_t>((i + graine) % 10);
    c.ullValeur = 0x0123456789ABCDEFULL ^ (graine * 7919ULL + i);
    c.ulInterpretation = static_cast<uint32_t>(i % 5);
    c.bSigne = static_cast<uint32_t>(i & 1);
    c.ulOrdre = static_cast<uint32_t>((i >> 1) & 1);
    c.ulNonInterprete = 0xDEAD0000u + static_cast<uint32_t>(i);
    d.champs.push_back(c);
  }
  return d;
}

inline Configuration configuration_complete() {
  Configuration c;
  c.cheminFichierAcq = "/data/captures/line 4/bus1.dat";
  c.ulActionDebut = ACTION_INCREMENTER;
  c.postTrig = {1, 0, 250, UNITE_GO, {1, 2, 3}, 1, {5, 6, 7, 8}, {9, 10, 11, 12}};
  c.preTrig.bPreTrig = 1;
  c.preTrig.ucMethode = PRETRIG_TRAMES;
  c.preTrig.ucPourcentage = 77;
  c.preTrig.reserve = {0x11, 0x22};
  c.preTrig.ulNbTrames = 100;
  c.preTrig.duree = {1, 2, 3, 4};
  c.preTrig.ullTailleEquivalente = 10574;
  c.declenchement.nb = 3;
  c.declenchement.defs[0] = definition("Trigger one", 0x03, 0x9002, 0, 1);
  c.declenchement.defs[1] = definition("Trigger two", 0x02, 0x0100, 4, 2);
  c.declenchement.defs[2] = definition("Trigger three", 0x14, 0, 1, 3);
  for (int i = 0; i < 3; ++i) c.declenchement.defs[i].bUtilisee = 1;  // trigger definitions are in use
  c.ucMethodeDeclenchement = 5;
  c.bFiltrageTrames = 1;
  c.differe = {1, {30, 15, 2, 1}};
  c.bourrageAcq = {1, 0x9080, 1};
  c.ulVoie = VOIE_2;
  c.vues.configReseau = {250, 0, {4, 5, 6}, 250000000};
  c.vues.debitInstantane = {3, 2, {7, 8, 9}, 180000000000ULL};
  c.vues.usNbPointsMemorises = 5000;
  c.vues.reserve = {0x33, 0x44};
  c.vues.bOuvertureAuto = 1;
  c.filtre.nb = 20;
  for (size_t i = 0; i < 20; ++i) {
    c.filtre.defs[i] = definition("Filter " + std::to_string(i), 0x03, static_cast<uint16_t>(0x0100 + i), i % 4,
                                  static_cast<uint32_t>(10 + i));
    c.filtre.defs[i].bNePasDissocierRP = static_cast<uint32_t>(i & 1);
    c.filtre.defs[i].bUtilisee = static_cast<uint32_t>(i % 3 != 0);
  }
  c.ulModeFiltre = 2;
  c.evenements.nb = 2;
  c.evenements.defs[0] = definition(std::string(50, 'E'), 0, 0x1234, 2, 40);
  c.evenements.defs[1] = definition("Glitch watch", 0x05, 0x0D03, 0, 41);
  c.evenements.defs[0].bUtilisee = 1;
  c.bourrageAffichage = {1, 0x9081, 0};
  return c;
}

// The configuration as the form without identifiers reads it back.
inline Configuration sans_identifiants(Configuration c) {
  for (auto* t : {&c.declenchement, &c.filtre, &c.evenements}) {
    for (auto& d : t->defs) d.usIdentifiant = 0;
  }
  return c;
}

}  // namespace brv::test
