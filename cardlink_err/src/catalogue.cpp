#include "catalogue.h"

#include <algorithm>
#include <iterator>

namespace kestrinerr {
namespace {

struct Entry {
  unsigned long code;
  const char* french;
  const char* english;
};

// Sorted by code.
constexpr Entry kEntries[] = {
    {0x3F100001, "IPROTOCOL - Attention: Opération incomplète.\n", "IPROTOCOL - Warning: Incomplete operation.\n"},
    {0x3F100002, "IPROTOCOL - Attention: Lecture tronquée.\n", "IPROTOCOL - Warning: Read truncated.\n"},
    {0x3F100003, "IPROTOCOL - Opération en echec.\n", "IPROTOCOL - Operation failure.\n"},
    {0x3F100004, "IPROTOCOL - Vide.\n", "IPROTOCOL - Empty.\n"},
    {0x3F100005, "IPROTOCOL - Mauvaise longueur.\n", "IPROTOCOL - Bad length.\n"},
    {0x3F100006, "IPROTOCOL - Non trouvé.\n", "IPROTOCOL - Not found.\n"},
    {0x3F100007, "IPROTOCOL - Requête erronée.\n", "IPROTOCOL - Bad request.\n"},
    {0x3F100008, "IPROTOCOL - Mauvaise classe ('CLA').\n", "IPROTOCOL - Bad 'CLA'.\n"},
    {0x3F100009, "IPROTOCOL - Mauvais contrôle ('CTL').\n", "IPROTOCOL - Bad 'CTL'.\n"},
    {0x3F10000A, "IPROTOCOL - Mauvais paramètre 1 ('P1').\n", "IPROTOCOL - Parameter 1 is bad ('P1').\n"},
    {0x3F10000B, "IPROTOCOL - Mauvais paramètre 2 ('P2').\n", "IPROTOCOL - Parameter 2 is bad ('P2').\n"},
    {0x3F10000C, "IPROTOCOL - Données trop courtes.\n", "IPROTOCOL - Data too short.\n"},
    {0x3F10000D, "IPROTOCOL - Données trop longues.\n", "IPROTOCOL - Data too long.\n"},
    {0x3F10000E, "IPROTOCOL - 'CRC' de la requête incorrect.\n", "IPROTOCOL - Bad request 'CRC' .\n"},
    {0x3F10000F, "IPROTOCOL - Contrôle ('CTL') non supporté.\n", "IPROTOCOL - 'CTL' not supported.\n"},
    {0x3F100010, "IPROTOCOL - Erreur de lecture.\n", "IPROTOCOL - Error reading.\n"},
    {0x3F100011, "IPROTOCOL - Cet 'ID' n'existe pas.\n", "IPROTOCOL - 'ID' doesn't exist.\n"},
    {0x3F200001, "KESTRIN - Aucune communication abstraite associée.\n",
     "KESTRIN - No abstract communcation associated.\n"},
    {0x3F200002, "KESTRIN - Aucune réponse reçue suite à la demande de lecture mémoire.\n",
     "KESTRIN - No reply received to 'read memory' request.\n"},
    {0x3F200003, "KESTRIN - Aucune réponse reçue suite à la demande de lecture par identifiant.\n",
     "KESTRIN - No reply received to 'read by ID' request.\n"},
    {0x3F200004, "KESTRIN - Aucune réponse reçue suite à la demande du numéro de série.\n",
     "KESTRIN - No reply received to 'read serial number' request.\n"},
    {0x3F200005, "KESTRIN - Aucune réponse reçue suite à la demande du dernier status.\n",
     "KESTRIN - No reply received to 'read last sw' request.\n"},
    {0x3F200006, "KESTRIN - Aucune réponse reçue suite à la demande de la structure d'erreurs.\n",
     "KESTRIN - No reply received to 'read error' request.\n"},
    {0x3F200007, "KESTRIN - Aucune réponse reçue suite à la demande d'écriture en mémoire.\n",
     "KESTRIN - No reply received to 'write memory' request.\n"},
    {0x3F200008, "KESTRIN - Aucune réponse reçue suite à la demande d'écriture par identifiant.\n",
     "KESTRIN - No reply received to 'write by ID' request.\n"},
    {0x3F200009, "KESTRIN - Aucune réponse reçue suite à la demande de reset.\n",
     "KESTRIN - No reply received to reset request.\n"},
    {0x3F20000A, "KESTRIN - Aucune réponse reçue suite à la demande d'ecriture du mode.\n",
     "KESTRIN - No reply received to 'set mode' request.\n"},
    {0x3F20000B, "KESTRIN - Aucune réponse reçue suite à la demande de lecture du mode.\n",
     "KESTRIN - No reply received to 'get mode' request.\n"},
    {0x3F20000C, "KESTRIN - Suite à la lecture la taille des données lues ne correspond pas à celle attendue.\n",
     "KESTRIN - Read data size doesn't match.\n"},
    {0x3F20000D, "KESTRIN - Le délai d'attente de l'acquittement est ecoulé.\n",
     "KESTRIN - Timeout for reply has expired.\n"},
    {0x3F20000E, "KESTRIN - Les données lues sur la liaison sont incohérentes avec le protocole interne 'IProtocol'.\n",
     "KESTRIN - Inconsistent frame read with IProtocol.\n"},
    {0x3F20000F, "KESTRIN - Plus d'une trame non notifiées ont été lues dans le même paquet.\n",
     "KESTRIN - More than one frame has been received in the data packet.\n"},
    {0x3F200010, "KESTRIN - Cette méthode n'est pas implémentée.\n", "KESTRIN - Not implemented function.\n"},
    {0x3F200011, "KESTRIN - Le délai d'attente de l'acquittement est ecoulé.\n",
     "KESTRIN - Timeout for event has expired.\n"},
    {0x3F300001, "ABCOM - L'action ne peut pas se réaliser, la communication est fermée.\n",
     "ABCOM - Action not allowed. The communication is closed.\n"},
    {0x3F400001, "USB - Impossible de charger la librairie FTD2xx.\n", "USB - Cannot load ftd2xx library.\n"},
    {0x3F400002, "USB - Impossible de lire toutes les données du buffer.\n", "USB - Cannot read all data from buffer.\n"},
    {0x3F400003, "USB - Impossible d'écrire toutes les données du buffer.\n", "USB - Cannot write all data to buffer.\n"},
    {0x3F40003E, "USB - Le handle est invalide.\n", "USB - Invalid handle.\n"},
    {0x3F40003F, "USB - Le périphérique n'a pas été trouvé.\n", "USB - Cannot found device.\n"},
    {0x3F400040, "USB - Le périphérique n'a pas pu être ouvert.\n", "USB - Cannot open device.\n"},
    {0x3F400041, "USB - Erreur d'entrée/sortie.\n", "USB - IO error.\n"},
    {0x3F400042, "USB - Ressources insuffisantes.\n", "USB - Insufficient resources.\n"},
    {0x3F400043, "USB - Paramètre invalide.\n", "USB - Invalid parameter.\n"},
    {0x3F400044, "USB - Baudrate invalide.\n", "USB - Invalid baudrate.\n"},
    {0x3F400045, "USB - Périphérique non ouvert pour l'effacement.\n", "USB - Device not opened for erase.\n"},
    {0x3F400046, "USB - Périphérique non ouvert pour l'écriture.\n", "USB - Device not opened for write.\n"},
    {0x3F400047, "USB - Erreur d'écriture sur le périphérique.\n", "USB - Failed to write device.\n"},
    {0x3F400048, "USB - Erreur de lecture en eeprom.\n", "USB - Eeprom read failed.\n"},
    {0x3F400049, "USB - Erreur d'écriture en eeprom.\n", "USB - Eeprom write failed.\n"},
    {0x3F40004A, "USB - Erreur d'effacement de l'eeprom.\n", "USB - Eeprom earse failed.\n"},
    {0x3F40004B, "USB - Eeprom non présente.\n", "USB - Eeprom not present.\n"},
    {0x3F40004C, "USB - Eeprom non programmée.\n", "USB - Eeprom not programmed.\n"},
    {0x3F40004D, "USB - Argument(s) invalide(s).\n", "USB - Invalid arguments.\n"},
    {0x3F40004E, "USB - Non supporté.\n", "USB - Not supported.\n"},
    {0x3F40004F, "USB - Autre erreur.\n", "USB - Other error.\n"},
    {0x3F400050, "USB - Liste des périphériques non prête.\n", "USB - Device list not ready.\n"},
    {0x3F500001, "SERIAL - Fermeture du module série.\n", "SERIAL - Closing serial module.\n"},
};

// Codes 0x3F400004 + k: the D2XX entry points that could not be found.
constexpr unsigned long kMissingEntryBase = 0x3F400004;
constexpr const char* kMissingEntries[] = {
    "FTSETVIDPID",        "FTGETVIDPID",       "FTCREATEDEVICEINFOLIST",   "FTGETDEVICEINFOLIST",
    "FTGETDEVICEINFODETAIL", "FTLISTDEVICES",  "FTOPEN",                   "FTOPENEX",
    "FTCLOSE",            "FTREAD",            "FTWRITE",                  "FTSETBAUDRATE",
    "FTSETDIVISOR",       "FTSETDATACHARACTERISTICS", "FTSETTIMEOUTS",     "FTSETFLOWCONTROL",
    "FTSETDTR",           "FTCLRDTR",          "FTSETRTS",                 "FTCLRRTS",
    "FTGETMODEMSTATUS",   "FTGETQUEUESTATUS",  "FTGETDEVICEINFO",          "FTGETDRIVERVERSION",
    "FTGETLIBRARYVERSION", "FTGETCOMPORTNUMBER", "FTGETSTATUS",            "FTSETEVENTNOTIFICATION",
    "FTSETCHARS",         "FTSETBREAKON",      "FTSETBREAKOFF",            "FTPURGE",
    "FTRESETCOM",         "FTRESETPORT",       "FTCYCLEPORT",              "FTRESCAN",
    "FTRELOAD",           "FTSETRESETPIPERETRYCOUNT", "FTSTOPINTASK",      "FTRESTARTINTASK",
    "FTSETDEADMANTIMEOUT", "FTREADEE",         "FTWRITEEE",                "FTERASEEE",
    "FTEEREAD",           "FTEEREADEX",        "FTEEPROGRAM",              "FTEEPROGRAMEX",
    "FTEEUASIZE",         "FTEEUAREAD",        "FTEEUAWRITE",              "FTEEPROMREAD",
    "FTEEPROMPROGRAM",    "FTSETLATENCYTIMER", "FTGETLATENCYTIMER",        "FTSETBITMODE",
    "FTGETBITMODE",       "FTSETUSBPARAMETERS",
};
static_assert(std::size(kMissingEntries) == 58);

}  // namespace

std::optional<Message> find_message(unsigned long code) {
  if (code >= kMissingEntryBase && code < kMissingEntryBase + std::size(kMissingEntries)) {
    const std::string name = kMissingEntries[code - kMissingEntryBase];
    return Message{"USB - Impossible de trouver " + name + ".\n", "USB - Cannot find " + name + ".\n"};
  }
  const auto it = std::lower_bound(std::begin(kEntries), std::end(kEntries), code,
                                   [](const Entry& e, unsigned long c) { return e.code < c; });
  if (it == std::end(kEntries) || it->code != code) return std::nullopt;
  return Message{it->french, it->english};
}

Message unknown_message() { return {"Erreur inconnue.\n", "Unknown error.\n"}; }

}  // namespace kestrinerr
