#include "views/network_view.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>
#include <new>

namespace brv::ui {
namespace {

constexpr int kTaille = 16;

// The state's disc: a green tick answered, a red cross unanswered, a grey bar when not called.
void DessineEtat(QPainter& p, const QRectF& r, EtatReseau etat) {
  static const QColor couleurs[] = {QColor(0x2E, 0x9E, 0x3E), QColor(0xD0, 0x2A, 0x2A), QColor(0x9A, 0x9A, 0x9A)};
  const QColor c = couleurs[static_cast<int>(etat)];
  p.setPen(QPen(c.darker(150), 1));
  p.setBrush(c);
  p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
  p.setPen(QPen(Qt::white, r.width() / 6.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  const auto at = [&r](qreal fx, qreal fy) { return QPointF(r.left() + r.width() * fx, r.top() + r.height() * fy); };
  switch (etat) {
    case EtatReseau::Present: {
      QPainterPath coche;
      coche.moveTo(at(0.27, 0.52));
      coche.lineTo(at(0.44, 0.70));
      coche.lineTo(at(0.74, 0.32));
      p.drawPath(coche);
      break;
    }
    case EtatReseau::Manquant:
      p.drawLine(at(0.32, 0.32), at(0.68, 0.68));
      p.drawLine(at(0.68, 0.32), at(0.32, 0.68));
      break;
    case EtatReseau::NonAppele:
      p.drawLine(at(0.28, 0.5), at(0.72, 0.5));
      break;
  }
}

// A small amber warning triangle at the bottom right: at least one call went unanswered.
void DessineRupture(QPainter& p) {
  QPainterPath triangle;
  triangle.moveTo(11.5, 6.8);
  triangle.lineTo(15.4, 15.3);
  triangle.lineTo(7.6, 15.3);
  triangle.closeSubpath();
  p.setPen(QPen(QColor(0x60, 0x40, 0x00), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0xF5, 0xB8, 0x00));
  p.drawPath(triangle);
  p.setPen(QPen(QColor(0x30, 0x20, 0x00), 1.4, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(11.5, 9.3), QPointF(11.5, 12.6));
  p.drawPoint(QPointF(11.5, 14.2));
}

QIcon Dessine(int image) {
  const auto etat = static_cast<EtatReseau>((image - 1) / 2);
  const bool rupture = (image - 1) % 2 == 1;
  QPixmap pixmap(kTaille, kTaille);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // With a break the disc shrinks to the top left to leave the triangle room.
  DessineEtat(p, rupture ? QRectF(0, 0, 12.5, 12.5) : QRectF(1, 1, 14, 14), etat);
  if (rupture) DessineRupture(p);
  p.end();
  return QIcon(pixmap);
}

QString TexteBulle(const IDENTIFIANT_RESEAU& r, EtatReseau etat) {
  return QStringLiteral("%1 - %2 calls, %3 answers")
      .arg(QString::fromLatin1(NomEtat(etat)))
      .arg(r.ullAppels)
      .arg(r.ullReponses);
}

}  // namespace

CTreeViewConfigRes::CTreeViewConfigRes(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  setHeaderHidden(true);
  setIconSize(QSize(kTaille, kTaille));
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
}

QIcon CTreeViewConfigRes::IconeEtat(int image) {
  static const std::array<QIcon, 6> icones{Dessine(1), Dessine(2), Dessine(3), Dessine(4), Dessine(5), Dessine(6)};
  return image >= 1 && image <= 6 ? icones[static_cast<size_t>(image - 1)] : QIcon();
}

void CTreeViewConfigRes::Affiche(const InstantaneVues& v) {
  try {
    // Copied aside first: a failed copy leaves the view's table as it was.
    std::vector<IDENTIFIANT_RESEAU> copie(v.reseau);
    table_.swap(copie);
  } catch (const std::bad_alloc&) {
    if (racine_ == nullptr) racine_ = new QTreeWidgetItem(this);
    racine_->setText(0, tr("Insufficient memory space."));
    return;
  }
  referenceNs_ = v.referenceReseauNs;
  delaiPresenceNs_ = v.ullDelaiPresenceNs;
  Redessine();
}

void CTreeViewConfigRes::Vide() {
  table_.clear();
  clear();
  racine_ = nullptr;
}

void CTreeViewConfigRes::Redessine() {
  if (racine_ == nullptr) racine_ = new QTreeWidgetItem(this);
  const bool avaitEnfants = racine_->childCount() > 0;
  racine_->setText(0, QString::fromStdString(TexteRacineReseau(referenceNs_)));

  // Both lists ascend by identifier: an item whose identifier left the table goes, a matching
  // one is updated in place, a new identifier gets its item at its place.
  int k = 0;
  for (const IDENTIFIANT_RESEAU& r : table_) {
    QTreeWidgetItem* item = nullptr;
    while (k < racine_->childCount()) {
      QTreeWidgetItem* enfant = racine_->child(k);
      const uint id = enfant->data(0, kRoleIdentifiant).toUInt();
      if (id >= r.usIdentifiant) {
        if (id == r.usIdentifiant) item = enfant;
        break;
      }
      delete racine_->takeChild(k);
    }
    if (item == nullptr) {
      item = new QTreeWidgetItem;
      item->setData(0, kRoleIdentifiant, static_cast<uint>(r.usIdentifiant));
      racine_->insertChild(k, item);
    }
    ++k;
    const QString texte = QString::fromStdString(TexteIdentifiant(r));
    if (item->text(0) != texte) item->setText(0, texte);
    const int image = ImageEtat(r, referenceNs_, delaiPresenceNs_);
    if (item->data(0, kRoleImage).toInt() != image) {
      item->setData(0, kRoleImage, image);
      item->setIcon(0, IconeEtat(image));
    }
    item->setToolTip(0, TexteBulle(r, EtatIdentifiant(r, referenceNs_, delaiPresenceNs_)));
  }
  while (racine_->childCount() > k) delete racine_->takeChild(k);

  // Opened once when it first gets identifiers; after that the user decides.
  if (!avaitEnfants && racine_->childCount() > 0) racine_->setExpanded(true);
}

}  // namespace brv::ui
