#include "frames/frames_model.h"

#include <algorithm>
#include <climits>

#include "brv_core/file/capture_info.h"
#include "brv_core/listing/columns.h"
#include "frames/mark_icons.h"

namespace brv::ui {
namespace {

// A Qt model counts rows in an int.
constexpr uint64_t kMaxLignes = INT_MAX;

// Longest absolute date kept in a row.
constexpr size_t kLgDateAbs = 31;

QString Drapeau(bool b) { return b ? QStringLiteral("X") : QString(); }

}  // namespace

CModeleTrames::CModeleTrames(CCacheLignes& cache, const CDateMobile& date, QObject* parent)
    : QAbstractTableModel(parent), cache_(cache), date_(date) {
  lot_.setSingleShot(true);
  lot_.setInterval(kIntervalleLotsMs);
  connect(&lot_, &QTimer::timeout, this, [this] {
    if (cible_ != nbLignes_) {
      AppliqueNombre();
      lot_.start();
    }
  });
}

void CModeleTrames::Attache(const CBrenvaleDoc* doc, const AcqFile* fichier, uint64_t nbLignes) {
  lot_.stop();
  beginResetModel();
  doc_ = doc;
  fichier_ = fichier;
  nbLignes_ = cible_ = doc ? std::min(nbLignes, kMaxLignes) : 0;
  debut_ = 0;
  endResetModel();
  emit NombreChange();
}

void CModeleTrames::Detache() { Attache(nullptr, nullptr, 0); }

void CModeleTrames::DefinitNombreLignes(uint64_t n) {
  if (doc_ == nullptr) return;
  cible_ = std::min(n, kMaxLignes);
  // The timer is the pause after a batch: while it runs, the count only waits for it.
  if (lot_.isActive() || cible_ == nbLignes_) return;
  AppliqueNombre();
  lot_.start();
}

namespace {
// Model rows of a window of `taille` rows from `debut` over `nbLignes` capture rows.
int RangeesDe(uint64_t nbLignes, uint64_t debut, int taille) {
  if (nbLignes <= debut) return 0;
  return static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(taille), nbLignes - debut));
}
}  // namespace

int CModeleTrames::NbFenetre() const { return RangeesDe(nbLignes_, debut_, fenetre_); }

void CModeleTrames::Change(uint64_t nbLignes, uint64_t debut, int taille) {
  const int avant = NbFenetre();
  const int apres = RangeesDe(nbLignes, debut, taille);
  // The view is told of the rows added or removed at the window's end around the change itself.
  const auto applique = [&] {
    nbLignes_ = nbLignes;
    debut_ = debut;
    fenetre_ = taille;
  };
  if (apres > avant) {
    beginInsertRows(QModelIndex(), avant, apres - 1);
    applique();
    endInsertRows();
  } else if (apres < avant) {
    beginRemoveRows(QModelIndex(), apres, avant - 1);
    applique();
    endRemoveRows();
  } else {
    applique();
  }
}

void CModeleTrames::AppliqueNombre() {
  Change(cible_, std::min(debut_, cible_), fenetre_);
  emit NombreChange();
}

void CModeleTrames::DefinitFenetre(uint64_t debut, int taille) {
  taille = std::max(taille, 1);
  debut = std::min(debut, nbLignes_);
  if (debut == debut_ && taille == fenetre_) return;
  Change(nbLignes_, debut, taille);
  // Every row left in the window now shows another capture row.
  const int n = NbFenetre();
  if (n > 0) emit dataChanged(index(0, 0), index(n - 1, static_cast<int>(NB_COLONNES_LISTE) - 1));
}

int CModeleTrames::RangeeFenetre(uint64_t ligne) const {
  if (ligne < debut_ || ligne - debut_ >= static_cast<uint64_t>(NbFenetre())) return -1;
  return static_cast<int>(ligne - debut_);
}

void CModeleTrames::DateChangee(uint64_t ligne) {
  const int r = RangeeFenetre(ligne);
  if (r < 0) return;
  const QModelIndex i = index(r, COL_DATE_ABS);
  emit dataChanged(i, i, {Qt::DisplayRole});
}

int CModeleTrames::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : NbFenetre(); }

int CModeleTrames::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(NB_COLONNES_LISTE);
}

const std::string& CModeleTrames::DateAbsolue(LIGNE_TRAME& l) const {
  // Formatted on first display only: a calendar conversion per row would cost every read. The
  // row says which zone it comes from: the document's pre-trigger count may be growing meanwhile.
  if (l.dateAbs.empty()) {
    const int64_t date = timeline_date(*fichier_, l.ullDate, l.bAvantDeclenchement);
    doc_->Decodeur.FormateDateAbs(static_cast<uint64_t>(date < 0 ? -date : date), date < 0, l.dateAbs);
    if (l.dateAbs.size() > kLgDateAbs) l.dateAbs.resize(kLgDateAbs);
  }
  return l.dateAbs;
}

QString CModeleTrames::Texte(LIGNE_TRAME& l, uint64_t ligne, int colonne) const {
  switch (colonne) {
    case COL_DATE_ABS:
      return date_.Affiche(ligne) ? QString::fromStdString(DateAbsolue(l)) : QString();
    case COL_DATE_REL:
      return QString::fromStdString(l.dateRel);
    case COL_INTER_TRAME:
      return QString::fromStdString(l.interTrame);
    case COL_TRAFIC:
      return Drapeau(l.bInterruptionTrafic);
    case COL_VOIE:
      return l.bVoie2 ? QStringLiteral("2") : QStringLiteral("1");
    case COL_ERR_TX1:
      return Drapeau(l.bErrTx1);
    case COL_ERR_TX2:
      return Drapeau(l.bErrTx2);
    case COL_DONNEES:
      return QString::fromStdString(l.texte);
    case COL_FIPIO:
      return QString::fromStdString(l.annotation);
    default:
      return QString();  // the mark is an image
  }
}

QVariant CModeleTrames::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || doc_ == nullptr || index.row() >= NbFenetre()) return {};
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  const bool image = role == Qt::DecorationRole && index.column() == COL_MARQUE;
  if (role != Qt::DisplayRole && !image) return {};
  const uint64_t ligne = LigneCapture(index.row());
  LIGNE_TRAME* l = cache_.Ligne(ligne);
  if (l == nullptr) return {};
  if (image) return IconeMarque(l->ulMarque);
  return Texte(*l, ligne, index.column());
}

QVariant CModeleTrames::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(NB_COLONNES_LISTE)) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(ColonnesListe()[static_cast<size_t>(section)].entete);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  return {};
}

}  // namespace brv::ui
