// The message exports of KestrinErr and Vandrel, and the program's error-text rule.

#include <gtest/gtest.h>

#include <kestrinerr/kestrinerr.h>
#include <vandrel/vandrel.h>

#include <cstring>
#include <string>
#include <vector>

#include "brv_core/errors/error_text.h"

namespace {

using MessageFn = unsigned long (*)(unsigned long, char*, unsigned long, unsigned long*);

// The two-call protocol; the text without its terminating zero.
std::string text_of(MessageFn fn, unsigned long code) {
  unsigned long length = 0;
  EXPECT_EQ(fn(code, nullptr, 0, &length), 0u) << std::hex << code;
  if (length == 0) return "<none>";
  std::vector<char> buffer(length, '#');
  unsigned long second = 0;
  EXPECT_EQ(fn(code, buffer.data(), length, &second), 0u);
  EXPECT_EQ(second, length);
  EXPECT_EQ(buffer[length - 1], '\0');
  EXPECT_EQ(std::strlen(buffer.data()) + 1, length);
  return std::string(buffer.data());
}

struct Expected {
  unsigned long code;
  const char* text;
};

const Expected kKestrin[] = {
    {0x3F100001, "IPROTOCOL - Attention: Opération incomplète.\n"},
    {0x3F100002, "IPROTOCOL - Attention: Lecture tronquée.\n"},
    {0x3F100003, "IPROTOCOL - Opération en echec.\n"},
    {0x3F100004, "IPROTOCOL - Vide.\n"},
    {0x3F100005, "IPROTOCOL - Mauvaise longueur.\n"},
    {0x3F100006, "IPROTOCOL - Non trouvé.\n"},
    {0x3F100007, "IPROTOCOL - Requête erronée.\n"},
    {0x3F100008, "IPROTOCOL - Mauvaise classe ('CLA').\n"},
    {0x3F100009, "IPROTOCOL - Mauvais contrôle ('CTL').\n"},
    {0x3F10000A, "IPROTOCOL - Mauvais paramètre 1 ('P1').\n"},
    {0x3F10000B, "IPROTOCOL - Mauvais paramètre 2 ('P2').\n"},
    {0x3F10000C, "IPROTOCOL - Données trop courtes.\n"},
    {0x3F10000D, "IPROTOCOL - Données trop longues.\n"},
    {0x3F10000E, "IPROTOCOL - 'CRC' de la requête incorrect.\n"},
    {0x3F10000F, "IPROTOCOL - Contrôle ('CTL') non supporté.\n"},
    {0x3F100010, "IPROTOCOL - Erreur de lecture.\n"},
    {0x3F100011, "IPROTOCOL - Cet 'ID' n'existe pas.\n"},
    {0x3F200001, "KESTRIN - Aucune communication abstraite associée.\n"},
    {0x3F200002, "KESTRIN - Aucune réponse reçue suite à la demande de lecture mémoire.\n"},
    {0x3F200003, "KESTRIN - Aucune réponse reçue suite à la demande de lecture par identifiant.\n"},
    {0x3F200004, "KESTRIN - Aucune réponse reçue suite à la demande du numéro de série.\n"},
    {0x3F200005, "KESTRIN - Aucune réponse reçue suite à la demande du dernier status.\n"},
    {0x3F200006, "KESTRIN - Aucune réponse reçue suite à la demande de la structure d'erreurs.\n"},
    {0x3F200007, "KESTRIN - Aucune réponse reçue suite à la demande d'écriture en mémoire.\n"},
    {0x3F200008, "KESTRIN - Aucune réponse reçue suite à la demande d'écriture par identifiant.\n"},
    {0x3F200009, "KESTRIN - Aucune réponse reçue suite à la demande de reset.\n"},
    {0x3F20000A, "KESTRIN - Aucune réponse reçue suite à la demande d'ecriture du mode.\n"},
    {0x3F20000B, "KESTRIN - Aucune réponse reçue suite à la demande de lecture du mode.\n"},
    {0x3F20000C, "KESTRIN - Suite à la lecture la taille des données lues ne correspond pas à celle attendue.\n"},
    {0x3F20000D, "KESTRIN - Le délai d'attente de l'acquittement est ecoulé.\n"},
    {0x3F20000E, "KESTRIN - Les données lues sur la liaison sont incohérentes avec le protocole interne 'IProtocol'.\n"},
    {0x3F20000F, "KESTRIN - Plus d'une trame non notifiées ont été lues dans le même paquet.\n"},
    {0x3F200010, "KESTRIN - Cette méthode n'est pas implémentée.\n"},
    {0x3F200011, "KESTRIN - Le délai d'attente de l'acquittement est ecoulé.\n"},
    {0x3F300001, "ABCOM - L'action ne peut pas se réaliser, la communication est fermée.\n"},
    {0x3F400001, "USB - Impossible de charger la librairie FTD2xx.\n"},
    {0x3F400002, "USB - Impossible de lire toutes les données du buffer.\n"},
    {0x3F400003, "USB - Impossible d'écrire toutes les données du buffer.\n"},
    {0x3F400004, "USB - Impossible de trouver FTSETVIDPID.\n"},
    {0x3F40000A, "USB - Impossible de trouver FTOPEN.\n"},
    {0x3F400029, "USB - Impossible de trouver FTSETRESETPIPERETRYCOUNT.\n"},
    {0x3F40003D, "USB - Impossible de trouver FTSETUSBPARAMETERS.\n"},
    {0x3F40003E, "USB - Le handle est invalide.\n"},
    {0x3F40003F, "USB - Le périphérique n'a pas été trouvé.\n"},
    {0x3F400040, "USB - Le périphérique n'a pas pu être ouvert.\n"},
    {0x3F400041, "USB - Erreur d'entrée/sortie.\n"},
    {0x3F400042, "USB - Ressources insuffisantes.\n"},
    {0x3F400043, "USB - Paramètre invalide.\n"},
    {0x3F400044, "USB - Baudrate invalide.\n"},
    {0x3F400045, "USB - Périphérique non ouvert pour l'effacement.\n"},
    {0x3F400046, "USB - Périphérique non ouvert pour l'écriture.\n"},
    {0x3F400047, "USB - Erreur d'écriture sur le périphérique.\n"},
    {0x3F400048, "USB - Erreur de lecture en eeprom.\n"},
    {0x3F400049, "USB - Erreur d'écriture en eeprom.\n"},
    {0x3F40004A, "USB - Erreur d'effacement de l'eeprom.\n"},
    {0x3F40004B, "USB - Eeprom non présente.\n"},
    {0x3F40004C, "USB - Eeprom non programmée.\n"},
    {0x3F40004D, "USB - Argument(s) invalide(s).\n"},
    {0x3F40004E, "USB - Non supporté.\n"},
    {0x3F40004F, "USB - Autre erreur.\n"},
    {0x3F400050, "USB - Liste des périphériques non prête.\n"},
    {0x3F500001, "SERIAL - Fermeture du module série.\n"},
};

const Expected kVandrel[] = {
    {0x3FA00001, "Vandrel - Handle non valide.\n"},
    {0x3FA00002, "Vandrel - Périphérique non trouvé.\n"},
    {0x3FA00003, "Vandrel - Périphérique non ouvert.\n"},
    {0x3FA00004, "Vandrel - Erreur entrées/sorties.\n"},
    {0x3FA00005, "Vandrel - Ressources insuffisantes.\n"},
    {0x3FA00006, "Vandrel - Paramètre(s) non valide(s).\n"},
    {0x3FA00007, "Vandrel - Impossible de lire la vitesse du réseau.\n"},
    {0x3FA00008, "Vandrel - Non bloqué.\n"},
    {0x3FA00009, "Vandrel - Violation d'accés.\n"},
    {0x3FA0000A,
     "Vandrel - Impossible d'ouvrir le fichier. Assurez-vous que la destination que vous avez spécifiée est en "
     "lecture / écriture.\n"},
    {0x3FA0000B, "Vandrel - Impossible de charger Kestrin.dll.\n"},
    {0x3FA0000C, "Vandrel - Plus d'un périphérique trouvé.\n"},
};

TEST(KestrinErrorMessage, EveryCatalogueCodeHasItsText) {
  for (const auto& e : kKestrin) EXPECT_EQ(text_of(KESTRIN_ERROR_MESSAGE, e.code), e.text) << std::hex << e.code;
}

TEST(KestrinErrorMessage, All58MissingEntryCodesFollowTheRule) {
  const char* names[] = {
      "FTSETVIDPID", "FTGETVIDPID", "FTCREATEDEVICEINFOLIST", "FTGETDEVICEINFOLIST", "FTGETDEVICEINFODETAIL",
      "FTLISTDEVICES", "FTOPEN", "FTOPENEX", "FTCLOSE", "FTREAD", "FTWRITE", "FTSETBAUDRATE", "FTSETDIVISOR",
      "FTSETDATACHARACTERISTICS", "FTSETTIMEOUTS", "FTSETFLOWCONTROL", "FTSETDTR", "FTCLRDTR", "FTSETRTS",
      "FTCLRRTS", "FTGETMODEMSTATUS", "FTGETQUEUESTATUS", "FTGETDEVICEINFO", "FTGETDRIVERVERSION",
      "FTGETLIBRARYVERSION", "FTGETCOMPORTNUMBER", "FTGETSTATUS", "FTSETEVENTNOTIFICATION", "FTSETCHARS",
      "FTSETBREAKON", "FTSETBREAKOFF", "FTPURGE", "FTRESETCOM", "FTRESETPORT", "FTCYCLEPORT", "FTRESCAN",
      "FTRELOAD", "FTSETRESETPIPERETRYCOUNT", "FTSTOPINTASK", "FTRESTARTINTASK", "FTSETDEADMANTIMEOUT",
      "FTREADEE", "FTWRITEEE", "FTERASEEE", "FTEEREAD", "FTEEREADEX", "FTEEPROGRAM", "FTEEPROGRAMEX",
      "FTEEUASIZE", "FTEEUAREAD", "FTEEUAWRITE", "FTEEPROMREAD", "FTEEPROMPROGRAM", "FTSETLATENCYTIMER",
      "FTGETLATENCYTIMER", "FTSETBITMODE", "FTGETBITMODE", "FTSETUSBPARAMETERS",
  };
  static_assert(std::size(names) == 58);
  for (unsigned long k = 0; k < 58; ++k) {
    EXPECT_EQ(text_of(KESTRIN_ERROR_MESSAGE, 0x3F400004 + k), std::string("USB - Impossible de trouver ") + names[k] + ".\n");
  }
}

TEST(VandrelErrorMessage, EveryCatalogueCodeHasItsText) {
  for (const auto& e : kVandrel) EXPECT_EQ(text_of(VANDREL_ERROR_MESSAGE, e.code), e.text) << std::hex << e.code;
}

TEST(ErrorMessages, LengthProtocol) {
  const std::string expected = "KESTRIN - Le délai d'attente de l'acquittement est ecoulé.\n";
  unsigned long length = 0;
  ASSERT_EQ(KESTRIN_ERROR_MESSAGE(0x3F20000D, nullptr, 0, &length), 0u);
  // Bytes of the UTF-8 text (é is two), terminating zero included.
  EXPECT_EQ(length, expected.size() + 1);

  // A buffer one byte short is left untouched, with the length still reported and result 0.
  std::vector<char> small(length - 1, '#');
  unsigned long again = 0;
  EXPECT_EQ(KESTRIN_ERROR_MESSAGE(0x3F20000D, small.data(), small.size(), &again), 0u);
  EXPECT_EQ(again, length);
  EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](char c) { return c == '#'; }));

  std::vector<char> exact(length, '#');
  EXPECT_EQ(KESTRIN_ERROR_MESSAGE(0x3F20000D, exact.data(), exact.size(), &again), 0u);
  EXPECT_EQ(std::string(exact.data()), expected);
}

// Inside a family without an entry: result 0, buffer and length untouched.
TEST(ErrorMessages, UnknownCodesInsideAFamilyWriteNothing) {
  struct Case {
    MessageFn fn;
    unsigned long code;
  };
  const Case cases[] = {
      {KESTRIN_ERROR_MESSAGE, 0x3F200012}, {KESTRIN_ERROR_MESSAGE, 0x3FA00001}, {KESTRIN_ERROR_MESSAGE, 0x3F400051},
      {KESTRIN_ERROR_MESSAGE, 0x3F000000}, {VANDREL_ERROR_MESSAGE, 0x3FA0000D}, {VANDREL_ERROR_MESSAGE, 0x3FA00000},
  };
  for (const auto& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    unsigned long length = 777;
    EXPECT_EQ(c.fn(c.code, buffer, sizeof buffer, &length), 0u) << std::hex << c.code;
    EXPECT_EQ(length, 777u) << std::hex << c.code;
    EXPECT_EQ(buffer[0], '#');
  }
}

TEST(ErrorMessages, OutsideBothFamiliesAndSystemNumbers) {
  EXPECT_EQ(text_of(KESTRIN_ERROR_MESSAGE, 0x2000ABCD), "Erreur inconnue.\n");
  EXPECT_EQ(text_of(VANDREL_ERROR_MESSAGE, 0x2000ABCD), "Vandrel - Erreur inconnue.\n");
  // Card-link codes are outside the engine family.
  EXPECT_EQ(text_of(VANDREL_ERROR_MESSAGE, 0x3F20000D), "Vandrel - Erreur inconnue.\n");
  // System error numbers: the platform's text, from either function.
  const std::string eio = std::strerror(5);
  EXPECT_EQ(text_of(KESTRIN_ERROR_MESSAGE, 5), eio);
  EXPECT_EQ(text_of(VANDREL_ERROR_MESSAGE, 5), eio);
}

TEST(ErrorText, PicksTheCatalogueByTheEngineMask) {
  EXPECT_EQ(brv::error_text(0x3F40003E), "USB - Le handle est invalide.\n");
  EXPECT_EQ(brv::error_text(0x3FA00007), "Vandrel - Impossible de lire la vitesse du réseau.\n");
  EXPECT_EQ(brv::error_text(0x3FA0000A).size(), std::strlen(kVandrel[9].text));
  EXPECT_EQ(brv::error_text(0x2000ABCD), "Erreur inconnue.\n");
  EXPECT_EQ(brv::error_text(5), std::strerror(5));
  // No entry: no text.
  EXPECT_EQ(brv::error_text(0x3F200012), "");
  EXPECT_EQ(brv::error_text(0x3FA000FF), "");
}

}  // namespace
