#include "frames/frames_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>

#include <algorithm>

#include "brv_core/listing/goto_search.h"
#include "frames/frames_model.h"
#include "frames/mark_icons.h"

namespace brv::ui {
namespace {

// A stored width beyond this is not a width the user gave.
constexpr int kLargeurMax = 10000;

ColonneListe Colonne(size_t c) { return static_cast<ColonneListe>(c); }

}  // namespace

CListViewAcq::CListViewAcq(QWidget* parent)
    : QTableView(parent), modele_(new CModeleTrames(cache_, date_, this)) {
  setModel(modele_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setShowGrid(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setIconSize(QSize(kTailleIconeMarque, kTailleIconeMarque));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(0);
  AppliqueHauteurLignes();
  AjusteLargeursDefaut();
  AppliqueColonnes();

  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int largeur) {
    if (!ajusteColonnes_ && c >= 0 && c < static_cast<int>(NB_COLONNES_LISTE))
      colonnes_.DefinitLargeur(Colonne(static_cast<size_t>(c)), largeur);
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { PrepareLignesVisibles(); });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.isValid()) emit DetailDemande(static_cast<quint64>(i.row()));
  });
}

CListViewAcq::~CListViewAcq() {
  // The model reads the cache, which goes before the view's children do.
  setModel(nullptr);
  delete modele_;
}

void CListViewAcq::AttacheCapture(const CBrenvaleDoc* doc, const AcqFile* fichier, uint64_t nbLignes) {
  if (doc == nullptr || fichier == nullptr) {
    Detache();
    return;
  }
  auto lecteur = std::make_unique<CLecteurLignes>(*doc, *fichier);
  auto source = std::make_unique<CSourceDocument>(*lecteur);
  cache_.ChangeSource(*source);
  source_ = std::move(source);
  lecteur_ = std::move(lecteur);
  doc_ = doc;
  date_.Oublie();
  modele_->Attache(doc, fichier, nbLignes);
  AppliqueColonnes();
}

void CListViewAcq::Detache() {
  cache_.ChangeSource(vide_);
  date_.Oublie();
  modele_->Detache();
  source_.reset();
  lecteur_.reset();
  doc_ = nullptr;
  AppliqueColonnes();
}

void CListViewAcq::DefinitNombreLignes(uint64_t n) { modele_->DefinitNombreLignes(n); }

void CListViewAcq::MetAJourColonnesVoies(bool voie1, bool voie2) {
  colonnes_.MetAJourVoies(voie1, voie2);
  AppliqueColonnes();
}

void CListViewAcq::AppliqueColonnes() {
  ajusteColonnes_ = true;
  for (size_t c = 0; c < NB_COLONNES_LISTE; ++c) {
    const bool visible = colonnes_.Visible(Colonne(c));
    setColumnHidden(static_cast<int>(c), !visible);
    if (visible) setColumnWidth(static_cast<int>(c), colonnes_.Largeur(Colonne(c)));
  }
  ajusteColonnes_ = false;
}

void CListViewAcq::AjusteLargeursDefaut() {
  // The default widths suit a small dialog font: in this one, widen them so that every header
  // and the longest absolute date can be read before the user sizes anything. Stored widths
  // read afterwards take precedence.
  const int marge = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
  const int margeEntete = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader()) + 4;
  for (size_t c = 0; c < NB_COLONNES_LISTE; ++c) {
    const DefColonneListe& d = ColonnesListe()[c];
    int largeur = std::max(d.largeurDefaut, horizontalHeader()->fontMetrics().horizontalAdvance(d.entete) + margeEntete);
    if (c == COL_MARQUE) largeur = std::max(largeur, kTailleIconeMarque + marge);
    if (c == COL_DATE_ABS)
      largeur = std::max(largeur, fontMetrics().horizontalAdvance(QStringLiteral("00h00mn00s the 00/00/0000")) + marge);
    colonnes_.RestaureLargeur(Colonne(c), largeur);
  }
}

void CListViewAcq::AppliqueHauteurLignes() {
  // One height for every row: the view never asks a row its size, whatever the row count.
  verticalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height() + 4, kTailleIconeMarque + 2));
}

void CListViewAcq::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) AppliqueHauteurLignes();
  QTableView::changeEvent(event);
}

std::optional<uint64_t> CListViewAcq::PremiereLigneSelectionnee() const {
  // The selection's ranges, not its rows: a selection may span millions of rows.
  std::optional<uint64_t> premiere;
  for (const QItemSelectionRange& r : selectionModel()->selection()) {
    if (r.top() >= 0 && (!premiere || static_cast<uint64_t>(r.top()) < *premiere))
      premiere = static_cast<uint64_t>(r.top());
  }
  return premiere;
}

uint64_t CListViewAcq::LigneDuHaut() const {
  const int haut = rowAt(0);
  return haut < 0 ? 0 : static_cast<uint64_t>(haut);
}

void CListViewAcq::SelectionneLigne(uint64_t ligne) {
  if (ligne >= modele_->NombreLignes()) return;
  // The column on screen, so that bringing the row into view does not scroll sideways.
  const int colonne = std::max(columnAt(0), 0);
  const QModelIndex i = modele_->index(static_cast<int>(ligne), colonne);
  selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(i);
  setFocus();
}

void CListViewAcq::LitLargeurs(QSettings& s) {
  s.beginGroup(kSectionLargeursListe);
  for (size_t c = 0; c < NB_COLONNES_LISTE; ++c) {
    const QVariant v = s.value(ColonnesListe()[c].cle);
    bool ok = false;
    const int largeur = v.toInt(&ok);
    if (ok && largeur >= 0 && largeur <= kLargeurMax) colonnes_.RestaureLargeur(Colonne(c), largeur);
  }
  s.endGroup();
  AppliqueColonnes();
}

void CListViewAcq::EcritLargeurs(QSettings& s) const {
  s.beginGroup(kSectionLargeursListe);
  for (size_t c = 0; c < NB_COLONNES_LISTE; ++c) s.setValue(ColonnesListe()[c].cle, colonnes_.Largeur(Colonne(c)));
  s.endGroup();
}

bool CListViewAcq::Cherche(const OptionsGoto& options) {
  if (doc_ == nullptr || !lecteur_) return false;
  CarteLignes carte = CarteDuDocument(*doc_);
  // The rows the list shows: a live capture may have more that wait for their batch.
  carte.nbLignes = std::min(carte.nbLignes, modele_->NombreLignes());
  const uint64_t depart = PremiereLigneSelectionnee().value_or(LigneDuHaut());
  const auto trouvee = ChercheGoto(carte, depart, options, [this](uint64_t p, size_t n, std::vector<LIGNE_TRAME>& l) {
    return lecteur_->Lit(p, n, false, l);
  });
  if (!trouvee || *trouvee >= modele_->NombreLignes()) return false;
  SelectionneLigne(*trouvee);
  return true;
}

void CListViewAcq::PrepareLignesVisibles() {
  const int n = modele_->rowCount();
  if (!modele_->EstAttache() || n == 0) return;
  const int haut = std::max(rowAt(0), 0);
  int bas = rowAt(std::max(viewport()->height() - 1, 0));
  if (bas < 0) bas = n - 1;
  const int page = std::max(bas - haut + 1, 1);
  const int marge = page / 2;
  cache_.Indique(static_cast<uint64_t>(std::max(haut - marge, 0)), static_cast<uint64_t>(std::min(bas + marge, n - 1)));

  const RedessinDateMobile r = date_.Deplace(static_cast<uint64_t>(haut), static_cast<uint32_t>(page));
  date_.DebutRedessin();
  if (r.nouveauHaut) modele_->DateChangee(*r.nouveauHaut);
  if (r.ancienHaut) modele_->DateChangee(*r.ancienHaut);
  date_.FinRedessin();
}

void CListViewAcq::paintEvent(QPaintEvent* event) {
  // Qt has no cache hint: the rows about to be drawn are read here, before any cell is asked.
  PrepareLignesVisibles();
  QTableView::paintEvent(event);
}

void CListViewAcq::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (const auto ligne = PremiereLigneSelectionnee()) {
      emit DetailDemande(static_cast<quint64>(*ligne));
      event->accept();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

}  // namespace brv::ui
