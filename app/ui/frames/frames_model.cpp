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
  endResetModel();
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

void CModeleTrames::AppliqueNombre() {
  const uint64_t n = cible_;
  if (n > nbLignes_) {
    beginInsertRows(QModelIndex(), static_cast<int>(nbLignes_), static_cast<int>(n - 1));
    nbLignes_ = n;
    endInsertRows();
  } else if (n < nbLignes_) {
    beginRemoveRows(QModelIndex(), static_cast<int>(n), static_cast<int>(nbLignes_ - 1));
    nbLignes_ = n;
    endRemoveRows();
  }
}

void CModeleTrames::DateChangee(uint64_t ligne) {
  if (ligne >= nbLignes_) return;
  const QModelIndex i = index(static_cast<int>(ligne), COL_DATE_ABS);
  emit dataChanged(i, i, {Qt::DisplayRole});
}

int CModeleTrames::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(nbLignes_);
}

int CModeleTrames::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(NB_COLONNES_LISTE);
}

const std::string& CModeleTrames::DateAbsolue(LIGNE_TRAME& l, uint64_t ligne) const {
  // Formatted on first display only: a calendar conversion per row would cost every read.
  if (l.dateAbs.empty()) {
    const uint32_t derniere = doc_->Resultats.ulDerniereLignePreTrig;
    const bool avant = derniere != kAucuneLignePreTrig && ligne <= derniere;
    const int64_t date = timeline_date(*fichier_, l.ullDate, avant);
    doc_->Decodeur.FormateDateAbs(static_cast<uint64_t>(date < 0 ? -date : date), date < 0, l.dateAbs);
    if (l.dateAbs.size() > kLgDateAbs) l.dateAbs.resize(kLgDateAbs);
  }
  return l.dateAbs;
}

QString CModeleTrames::Texte(LIGNE_TRAME& l, uint64_t ligne, int colonne) const {
  switch (colonne) {
    case COL_DATE_ABS:
      return date_.Affiche(ligne) ? QString::fromStdString(DateAbsolue(l, ligne)) : QString();
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
  if (!index.isValid() || doc_ == nullptr || static_cast<uint64_t>(index.row()) >= nbLignes_) return {};
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  const bool image = role == Qt::DecorationRole && index.column() == COL_MARQUE;
  if (role != Qt::DisplayRole && !image) return {};
  const auto ligne = static_cast<uint64_t>(index.row());
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
