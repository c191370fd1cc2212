// The "Export to" dialog's rules: availability, the choices shown and kept, the "ExportTxt"
// settings, and the writer's request.

#include <gtest/gtest.h>

#include "brv_core/decode/crc.h"
#include "brv_core/report/desktop_opener.h"
#include "brv_core/report/export_choices.h"
#include "support/quiet_reporter.h"
#include "support/recalculated_capture.h"

namespace brv {
namespace {

PARAM_EXPORT Tout() {
  PARAM_EXPORT p;
  p.bOuvrirTraitementTexte = p.bOuvrirTableur = 1;
  p.ulTrames = TRAMES_SELECTION;
  p.ulContenu = 1;
  return p;
}

DisponibiliteExport Dispo(bool programmes, bool sections, int etat) {
  return {{programmes, programmes}, sections, sections, etat};
}

TEST(ExportChoices, AvailabilityFollowsWhatTheWriterWouldWrite) {
  test::TempDir dir;
  test::RapportSilencieux rapport;
  CBrenvaleDoc vide(rapport, dir.file(""));
  CBrenvaleDoc plein(rapport, dir.file(""));
  AcqFile fichier;
  ResultatTache resultat;
  std::vector<test::TestRecord> recs;
  for (uint8_t i = 0; i < 5; ++i) {
    std::vector<uint8_t> f = {0x03, 0x01, i};
    const uint16_t crc = CrcTrame(true, f.data(), f.size());
    f.push_back(static_cast<uint8_t>(crc >> 8));
    f.push_back(static_cast<uint8_t>(crc));
    recs.push_back({i * 1000ULL, f, 0});
  }
  test::capture_relue(dir.file("c.dat"), recs, vandrel::BT_ZIZA_BI, plein, fichier, resultat);
  const std::vector<PointDebit> aucun;
  const std::vector<PointDebit> un(1);

  struct Cas {
    const CBrenvaleDoc* doc;
    const std::vector<PointDebit>* points;
    bool selection;
    bool reseau, debits;
    int etat;
  } cas[] = {
      {&vide, nullptr, false, false, false, ETAT_SANS_TRAMES},
      {&vide, &un, true, false, true, ETAT_SANS_TRAMES},  // a stray selection without rows
      {&plein, &aucun, false, true, false, ETAT_SANS_SELECTION},
      {&plein, &un, true, true, true, ETAT_AVEC_SELECTION},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(&c - cas);
    const DisponibiliteExport d =
        Disponibilite(SourceExport{*c.doc, fichier, {}, c.points, nullptr}, c.selection, {true, false});
    EXPECT_EQ(d.reseau, c.reseau);
    EXPECT_EQ(d.debits, c.debits);
    EXPECT_EQ(d.etatTrames, c.etat);
    EXPECT_TRUE(d.programmes.traitementTexte);
    EXPECT_FALSE(d.programmes.tableur);
  }
}

TEST(ExportChoices, SavedChoicesAreAdjustedToWhatCanBeHad) {
  struct Cas {
    DisponibiliteExport d;
    uint32_t trames;       // saved
    uint32_t ouvrir;       // both open flags shown
    uint32_t sections;     // network and rates shown
    uint32_t tramesVues;
  } cas[] = {
      {Dispo(true, true, ETAT_AVEC_SELECTION), TRAMES_SELECTION, 1, 1, TRAMES_SELECTION},
      {Dispo(true, true, ETAT_SANS_SELECTION), TRAMES_SELECTION, 1, 1, TRAMES_TOUTES},
      {Dispo(true, true, ETAT_SANS_SELECTION), TRAMES_TOUTES, 1, 1, TRAMES_TOUTES},
      {Dispo(true, true, ETAT_SANS_SELECTION), TRAMES_AUCUNE, 1, 1, TRAMES_AUCUNE},
      {Dispo(false, false, ETAT_SANS_TRAMES), TRAMES_TOUTES, 0, 0, TRAMES_AUCUNE},
      {Dispo(false, false, ETAT_SANS_TRAMES), TRAMES_SELECTION, 0, 0, TRAMES_AUCUNE},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(&c - cas);
    PARAM_EXPORT p = Tout();
    p.ulTrames = c.trames;
    const PARAM_EXPORT v = AjusteExport(p, c.d);
    EXPECT_EQ(v.ulTrames, c.tramesVues);
    EXPECT_EQ(v.bOuvrirTraitementTexte, c.ouvrir);
    EXPECT_EQ(v.bOuvrirTableur, c.ouvrir);
    EXPECT_EQ(v.bReseau, c.sections);
    EXPECT_EQ(v.bDebits, c.sections);
    // Always offered.
    EXPECT_EQ(v.bInformation + v.bErreurs + v.bStatistiques, 3u);
    EXPECT_EQ(v.ulContenu, 1u);

    // What OK keeps: a choice the dialog could not offer stays as it was saved.
    const PARAM_EXPORT k = ExportAMemoriser(v, p, c.d);
    EXPECT_EQ(k.bOuvrirTraitementTexte, 1u);
    EXPECT_EQ(k.bReseau, 1u);
    EXPECT_EQ(k.bDebits, 1u);
    EXPECT_EQ(k.ulTrames, c.d.etatTrames == ETAT_SANS_TRAMES ? c.trames : c.tramesVues);
  }
  // A choice the user could make is kept as made.
  PARAM_EXPORT choisi = Tout();
  choisi.bReseau = 0;
  choisi.bOuvrirTableur = 0;
  const PARAM_EXPORT k = ExportAMemoriser(choisi, Tout(), Dispo(true, true, ETAT_AVEC_SELECTION));
  EXPECT_EQ(k.bReseau, 0u);
  EXPECT_EQ(k.bOuvrirTableur, 0u);
}

TEST(ExportChoices, ControlsFollowTheFormatAndWhatExists) {
  struct Cas {
    uint32_t format, separateur, trames;
    DisponibiliteExport d;
    ControlesExport attendu;
  } cas[] = {
      // Word processor: only its own program, no separator.
      {EXPORT_TRAITEMENT_TEXTE, 1, TRAMES_TOUTES, Dispo(true, true, ETAT_AVEC_SELECTION),
       {true, false, false, false, true, true, true, true, true, true}},
      // Spreadsheet: its program, the separator and its text once checked.
      {EXPORT_TABLEUR, 1, TRAMES_TOUTES, Dispo(true, true, ETAT_AVEC_SELECTION),
       {false, true, true, true, true, true, true, true, true, true}},
      {EXPORT_TABLEUR, 0, TRAMES_TOUTES, Dispo(true, true, ETAT_SANS_SELECTION),
       {false, true, true, false, true, true, true, false, true, true}},
      // Programs missing, sections not computed, no rows.
      {EXPORT_TABLEUR, 1, TRAMES_AUCUNE, Dispo(false, false, ETAT_SANS_TRAMES),
       {false, false, true, true, false, false, false, false, false, false}},
      // "None" leaves nothing to interpret.
      {EXPORT_TRAITEMENT_TEXTE, 0, TRAMES_AUCUNE, Dispo(true, false, ETAT_SANS_SELECTION),
       {true, false, false, false, false, false, true, false, true, false}},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(&c - cas);
    PARAM_EXPORT p;
    p.ulFormat = c.format;
    p.bUtiliseSeparateur = c.separateur;
    p.ulTrames = c.trames;
    const ControlesExport e = Controles(p, c.d);
    const ControlesExport& a = c.attendu;
    EXPECT_EQ(e.ouvrirTraitementTexte, a.ouvrirTraitementTexte);
    EXPECT_EQ(e.ouvrirTableur, a.ouvrirTableur);
    EXPECT_EQ(e.utiliseSeparateur, a.utiliseSeparateur);
    EXPECT_EQ(e.separateur, a.separateur);
    EXPECT_EQ(e.reseau, a.reseau);
    EXPECT_EQ(e.debits, a.debits);
    EXPECT_EQ(e.toutes, a.toutes);
    EXPECT_EQ(e.selection, a.selection);
    EXPECT_EQ(e.aucune, a.aucune);
    EXPECT_EQ(e.contenu, a.contenu);
  }
}

TEST(ExportChoices, SettingsAreWrittenInTheirKeys) {
  PARAM_EXPORT p;
  p.ulFormat = EXPORT_TABLEUR;
  p.bOuvrirTableur = 1;
  p.bUtiliseSeparateur = 1;
  p.separateur = ";";
  p.bErreurs = 0;
  p.bDebits = 0;
  p.ulTrames = TRAMES_SELECTION;
  p.ulContenu = 1;
  p.bTiming = 1;
  const ReglagesExport r = EcritReglagesExport(p);
  EXPECT_EQ(r, (ReglagesExport{{"FileFormat", "1 0 1 1"},
                               {"Separ", ";"},
                               {"Elements", "1 0 1 0 1"},
                               {"Frames", "1 1"},
                               {"Timing", "1"}}));
  const PARAM_EXPORT l = LitReglagesExport(r);
  EXPECT_EQ(EcritReglagesExport(l), r);
  // The defaults: word processor, every section but the timing, all frames, raw, a tabulation.
  EXPECT_EQ(EcritReglagesExport(LitReglagesExport({})), (ReglagesExport{{"FileFormat", "0 0 0 0"},
                                                                       {"Separ", "\t"},
                                                                       {"Elements", "1 1 1 1 1"},
                                                                       {"Frames", "2 0"},
                                                                       {"Timing", "0"}}));
}

TEST(ExportChoices, DamagedSettingsFallBackKeyByKey) {
  struct Cas {
    const char* cle;
    const char* valeur;
    const char* lu;  // the key as read back
  } cas[] = {
      {"FileFormat", " 1  1 0 1 ", "1 1 0 1"},
      {"FileFormat", "1 1 0", "0 0 0 0"},      // too few
      {"FileFormat", "1 1 0 1 1", "0 0 0 0"},  // too many
      {"FileFormat", "2 0 0 0", "0 0 0 0"},    // no such format
      {"FileFormat", "1 -1 0 0", "0 0 0 0"},
      {"FileFormat", "0x1 0 0 0", "0 0 0 0"},
      {"Elements", "0 0 0 0 0", "0 0 0 0 0"},
      {"Elements", "1 1 1 1 7", "1 1 1 1 1"},
      {"Elements", "1 1 a 1 1", "1 1 1 1 1"},
      {"Frames", "0 1", "0 1"},
      {"Frames", "3 0", "2 0"},
      {"Frames", "1 2", "2 0"},
      {"Frames", "", "2 0"},
      {"Separ", "", "\t"},
      {"Separ", " | ", " | "},
      {"Separ", "12345678901234567", "\t"},  // longer than a separator can be typed
      {"Timing", "1", "1"},
      {"Timing", "2", "0"},
      {"Timing", "1 1", "0"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(std::string(c.cle) + " = '" + c.valeur + "'");
    PARAM_EXPORT autre;
    autre.bErreurs = 0;  // the other keys keep what they hold
    ReglagesExport r = EcritReglagesExport(autre);
    r[c.cle] = c.valeur;
    const ReglagesExport lu = EcritReglagesExport(LitReglagesExport(r));
    EXPECT_EQ(lu.at(c.cle), c.lu);
    if (std::string_view(c.cle) != "Elements") {
      EXPECT_EQ(lu.at("Elements"), "1 0 1 1 1");
    }
  }
}

TEST(ExportChoices, SeparatorAsTyped) {
  const struct {
    const char* separateur;
    const char* saisie;
  } cas[] = {{"\t", ""}, {";", ";"}, {" | ", " | "}};
  for (const auto& c : cas) {
    EXPECT_EQ(SaisieDeSeparateur(c.separateur), c.saisie);
    EXPECT_EQ(SeparateurDeSaisie(c.saisie), c.separateur);
  }
  EXPECT_EQ(SeparateurDeSaisie(std::string(40, ',')).size(), kLgMaxSeparateur);
}

TEST(ExportChoices, WriterRequestTakesTheRowsChosen) {
  using Sel = std::optional<std::pair<uint64_t, uint64_t>>;
  struct Cas {
    uint32_t trames;
    int etat;
    uint64_t nbLignes;
    Sel selection;
    uint32_t tramesEcrites;
    uint64_t premiere, derniere;
  } cas[] = {
      {TRAMES_TOUTES, ETAT_AVEC_SELECTION, 100, Sel({10, 12}), TRAMES_TOUTES, 0, 99},
      {TRAMES_SELECTION, ETAT_AVEC_SELECTION, 100, Sel({10, 12}), TRAMES_SELECTION, 10, 12},
      {TRAMES_SELECTION, ETAT_AVEC_SELECTION, 100, Sel({12, 10}), TRAMES_SELECTION, 10, 12},  // made upwards
      {TRAMES_SELECTION, ETAT_AVEC_SELECTION, 100, Sel({90, 500}), TRAMES_SELECTION, 90, 99},
      {TRAMES_SELECTION, ETAT_SANS_SELECTION, 100, Sel(), TRAMES_TOUTES, 0, 99},
      {TRAMES_AUCUNE, ETAT_AVEC_SELECTION, 100, Sel({10, 12}), TRAMES_AUCUNE, 0, 0},
      {TRAMES_TOUTES, ETAT_SANS_TRAMES, 0, Sel(), TRAMES_AUCUNE, 0, 0},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(&c - cas);
    PARAM_EXPORT p;
    p.ulTrames = c.trames;
    const DemandeExport e = DemandeEcriture(p, Dispo(true, false, c.etat), c.nbLignes, c.selection);
    EXPECT_EQ(e.p.ulTrames, c.tramesEcrites);
    EXPECT_EQ(e.premiere, c.premiere);
    EXPECT_EQ(e.derniere, c.derniere);
    // Sections the capture lacks are not asked for.
    EXPECT_EQ(e.p.bReseau + e.p.bDebits, 0u);
    EXPECT_EQ(e.p.bStatistiques, 1u);
  }
}

TEST(ExportChoices, ProgramsFoundOnThePath) {
  const struct {
    const char* gestionnaire;
    const char* tableur;
    bool traitementTexte, tableurTrouve;
  } cas[] = {
      {"true", "/nonexistent/calc", true, false},
      {"/nonexistent/handler", "true", false, true},
      {"/nonexistent/handler", "/nonexistent/calc", false, false},
  };
  for (const auto& c : cas) {
    const ProgrammesExport p = COuvreurBureau(c.gestionnaire, c.tableur).Programmes();
    EXPECT_EQ(p.traitementTexte, c.traitementTexte) << c.gestionnaire;
    EXPECT_EQ(p.tableur, c.tableurTrouve) << c.tableur;
  }
}

}  // namespace
}  // namespace brv
