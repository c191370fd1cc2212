#include "frames/frames_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
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
  // One range: the selection is kept in capture rows, beyond the rows on screen.
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setAutoScroll(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
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
  connect(modele_, &CModeleTrames::NombreChange, this, [this] {
    MetAJourBarre();
    ProjetteSelection();
  });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionQtChangee(); });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.isValid()) emit DetailDemande(static_cast<quint64>(modele_->LigneCapture(i.row())));
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
  doc_ = doc;
  fichier_ = fichier;
  NouveauLecteur();
  date_.Oublie();
  selection_ = false;
  modele_->Attache(doc, fichier, nbLignes);
  MetAJourFenetre();
  AppliqueColonnes();
}

void CListViewAcq::Detache() {
  cache_.ChangeSource(vide_);
  date_.Oublie();
  selection_ = false;
  modele_->Detache();
  source_.reset();
  lecteur_.reset();
  doc_ = nullptr;
  fichier_ = nullptr;
  AppliqueColonnes();
}

void CListViewAcq::DefinitNombreLignes(uint64_t n) { modele_->DefinitNombreLignes(n); }

void CListViewAcq::NouveauLecteur() {
  auto lecteur = std::make_unique<CLecteurLignes>(*doc_, *fichier_);
  auto source = std::make_unique<CSourceDocument>(*lecteur);
  cache_.ChangeSource(*source);
  source_ = std::move(source);
  lecteur_ = std::move(lecteur);
}

void CListViewAcq::Relit() {
  // A reader takes the file's zones when it is made: the grown file needs a new one.
  if (doc_ == nullptr || fichier_ == nullptr) return;
  NouveauLecteur();
  viewport()->update();
}

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

uint64_t CListViewAcq::NombreLignes() const { return modele_->NombreLignes(); }

std::optional<uint64_t> CListViewAcq::PremiereLigneSelectionnee() const {
  if (!selection_) return std::nullopt;
  return std::min(ancre_, courante_);
}

std::optional<std::pair<uint64_t, uint64_t>> CListViewAcq::LignesSelectionnees() const {
  if (!selection_) return std::nullopt;
  return std::pair{std::min(ancre_, courante_), std::max(ancre_, courante_)};
}

uint64_t CListViewAcq::LigneDuHaut() const { return modele_->DebutFenetre(); }

void CListViewAcq::SelectionneLigne(uint64_t ligne) {
  if (ligne >= modele_->NombreLignes()) return;
  AmeneEnVue(ligne);
  Selectionne(ligne, ligne);
  setFocus();
}

bool CListViewAcq::MontreEnregistrement(const RecordPos& position) {
  if (!lecteur_) return false;
  const auto ligne = lecteur_->LigneDe(position);
  if (!ligne || *ligne >= modele_->NombreLignes()) return false;
  SelectionneLigne(*ligne);
  return true;
}

int CListViewAcq::LignesPleines() const {
  const int hauteur = std::max(verticalHeader()->defaultSectionSize(), 1);
  return std::max(viewport()->height() / hauteur, 1);
}

void CListViewAcq::MetAJourFenetre() {
  modele_->DefinitFenetre(modele_->DebutFenetre(), LignesPleines() + 1);
  MetAJourBarre();
  ProjetteSelection();
}

void CListViewAcq::MetAJourBarre() {
  const uint64_t total = modele_->NombreLignes();
  const auto pleines = static_cast<uint64_t>(LignesPleines());
  const uint64_t max = total > pleines ? total - pleines : 0;
  QScrollBar* barre = verticalScrollBar();
  const bool avant = ignoreDefilement_;
  ignoreDefilement_ = true;
  barre->setRange(0, static_cast<int>(max));
  barre->setPageStep(static_cast<int>(pleines));
  barre->setSingleStep(1);
  ignoreDefilement_ = avant;
  // The window never starts past the last page.
  if (modele_->DebutFenetre() > max) {
    DeplaceFenetre(max);
  } else {
    ignoreDefilement_ = true;
    barre->setValue(static_cast<int>(modele_->DebutFenetre()));
    ignoreDefilement_ = avant;
  }
}

void CListViewAcq::DeplaceFenetre(uint64_t debut) {
  if (debut == modele_->DebutFenetre()) return;
  modele_->DefinitFenetre(debut, LignesPleines() + 1);
  const bool avant = ignoreDefilement_;
  ignoreDefilement_ = true;
  verticalScrollBar()->setValue(static_cast<int>(modele_->DebutFenetre()));
  ignoreDefilement_ = avant;
  ProjetteSelection();
  viewport()->update();
}

void CListViewAcq::AmeneEnVue(uint64_t ligne) {
  const uint64_t debut = modele_->DebutFenetre();
  const auto pleines = static_cast<uint64_t>(LignesPleines());
  if (ligne < debut) {
    DeplaceFenetre(ligne);
  } else if (ligne >= debut + pleines) {
    DeplaceFenetre(ligne + 1 - pleines);
  }
}

void CListViewAcq::Selectionne(uint64_t ancre, uint64_t courante) {
  selection_ = true;
  ancre_ = ancre;
  courante_ = courante;
  ProjetteSelection();
}

void CListViewAcq::ProjetteSelection() {
  projette_ = true;
  QItemSelectionModel* sm = selectionModel();
  const int n = modele_->rowCount();
  const uint64_t debut = modele_->DebutFenetre();
  QItemSelection sel;
  if (selection_ && n > 0) {
    const uint64_t de = std::min(ancre_, courante_);
    const uint64_t a = std::max(ancre_, courante_);
    const uint64_t fin = debut + static_cast<uint64_t>(n) - 1;
    if (a >= debut && de <= fin) {
      const int haut = static_cast<int>(std::max(de, debut) - debut);
      const int bas = static_cast<int>(std::min(a, fin) - debut);
      sel.select(modele_->index(haut, 0), modele_->index(bas, static_cast<int>(NB_COLONNES_LISTE) - 1));
    }
  }
  sm->select(sel, QItemSelectionModel::ClearAndSelect);
  const int r = selection_ ? modele_->RangeeFenetre(courante_) : -1;
  const int colonne = std::max(columnAt(0), 0);
  sm->setCurrentIndex(r >= 0 ? modele_->index(r, colonne) : QModelIndex(), QItemSelectionModel::NoUpdate);
  projette_ = false;
}

void CListViewAcq::SelectionQtChangee() {
  if (projette_) return;
  // A click or a drag in the rows on screen: the capture selection follows Qt's.
  const QItemSelection sel = selectionModel()->selection();
  if (sel.isEmpty()) {
    selection_ = false;
    return;
  }
  int haut = sel.first().top();
  int bas = sel.first().bottom();
  for (const QItemSelectionRange& r : sel) {
    haut = std::min(haut, r.top());
    bas = std::max(bas, r.bottom());
  }
  const QModelIndex courant = selectionModel()->currentIndex();
  const uint64_t de = modele_->LigneCapture(haut);
  const uint64_t a = modele_->LigneCapture(bas);
  selection_ = true;
  if (courant.isValid() && modele_->LigneCapture(courant.row()) == de && de != a) {
    ancre_ = a;
    courante_ = de;
  } else {
    ancre_ = de;
    courante_ = a;
  }
}

void CListViewAcq::updateGeometries() {
  // Qt sizes the scroll bar to the window's rows: the capture's range replaces it.
  const bool avant = ignoreDefilement_;
  ignoreDefilement_ = true;
  QTableView::updateGeometries();
  ignoreDefilement_ = avant;
  MetAJourBarre();
}

void CListViewAcq::scrollContentsBy(int dx, int dy) {
  // Vertical scrolling moves the window over the capture; the rows stay in place.
  if (dy != 0 && !ignoreDefilement_) DeplaceFenetre(static_cast<uint64_t>(std::max(verticalScrollBar()->value(), 0)));
  QTableView::scrollContentsBy(dx, 0);
}

void CListViewAcq::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid()) return;
  // Horizontally as Qt does; vertically the row is already in the window.
  const QModelIndex meme = modele_->index(0, index.column());
  QTableView::scrollTo(meme, hint == PositionAtCenter ? EnsureVisible : hint);
}

void CListViewAcq::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  MetAJourFenetre();
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
  const uint64_t total = modele_->NombreLignes();
  if (!modele_->EstAttache() || total == 0) return;
  const uint64_t haut = modele_->DebutFenetre();
  const uint64_t page = static_cast<uint64_t>(LignesPleines()) + 1;
  const uint64_t bas = std::min(haut + page - 1, total - 1);
  const uint64_t marge = page / 2;
  cache_.Indique(haut > marge ? haut - marge : 0, std::min(bas + marge, total - 1));

  const RedessinDateMobile r = date_.Deplace(haut, static_cast<uint32_t>(page));
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
  const uint64_t total = modele_->NombreLignes();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (const auto ligne = PremiereLigneSelectionnee()) {
      emit DetailDemande(static_cast<quint64>(*ligne));
      event->accept();
      return;
    }
  }
  // Moves over the whole capture, not only the rows on screen.
  const auto pleines = static_cast<uint64_t>(LignesPleines());
  const uint64_t depart = selection_ ? courante_ : modele_->DebutFenetre();
  std::optional<uint64_t> cible;
  switch (event->key()) {
    case Qt::Key_Up: cible = selection_ && depart > 0 ? depart - 1 : depart; break;
    case Qt::Key_Down: cible = selection_ ? depart + 1 : depart; break;
    case Qt::Key_PageUp: cible = depart > pleines ? depart - pleines : 0; break;
    case Qt::Key_PageDown: cible = depart + pleines; break;
    case Qt::Key_Home: cible = 0; break;
    case Qt::Key_End: cible = total > 0 ? total - 1 : 0; break;
    default: break;
  }
  if (!cible || total == 0) {
    QTableView::keyPressEvent(event);
    return;
  }
  const uint64_t ligne = std::min(*cible, total - 1);
  AmeneEnVue(ligne);
  const bool etend = (event->modifiers() & Qt::ShiftModifier) != 0 && selection_;
  Selectionne(etend ? ancre_ : ligne, ligne);
  event->accept();
}

void CListViewAcq::mousePressEvent(QMouseEvent* event) {
  // Shift-click from a row that has left the screen: the range is made in capture rows.
  const QModelIndex i = indexAt(event->position().toPoint());
  if (i.isValid() && selection_ && (event->modifiers() & Qt::ShiftModifier) && event->button() == Qt::LeftButton &&
      modele_->RangeeFenetre(ancre_) < 0) {
    Selectionne(ancre_, modele_->LigneCapture(i.row()));
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

}  // namespace brv::ui
