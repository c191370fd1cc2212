#include "frames/mark_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

#include "brv_core/document/row_reader.h"

namespace brv::ui {
namespace {

constexpr int T = kTailleIconeMarque;

// A blue flag: an event is something the user asked to see.
void DessineDrapeau(QPainter& p, const QRectF& r) {
  const QColor bleu(0x1E, 0x5A, 0xC8);
  p.setPen(QPen(bleu.darker(140), 1.2));
  p.drawLine(QPointF(r.left() + 1.5, r.top() + 1), QPointF(r.left() + 1.5, r.bottom()));
  QPainterPath drapeau;
  drapeau.moveTo(r.left() + 2, r.top() + 1);
  drapeau.lineTo(r.right(), r.top() + r.height() * 0.3);
  drapeau.lineTo(r.left() + 2, r.top() + r.height() * 0.6);
  drapeau.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(bleu);
  p.drawPath(drapeau);
}

// A red disc with a white "!": the frame did not decode cleanly.
void DessineErreur(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(0x90, 0x10, 0x10), 1));
  p.setBrush(QColor(0xD8, 0x20, 0x20));
  p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
  p.setPen(QPen(Qt::white, r.width() / 6.5, Qt::SolidLine, Qt::RoundCap));
  const qreal x = r.center().x();
  p.drawLine(QPointF(x, r.top() + r.height() * 0.22), QPointF(x, r.top() + r.height() * 0.56));
  p.drawPoint(QPointF(x, r.top() + r.height() * 0.78));
}

QIcon Dessine(uint32_t marque) {
  QPixmap image(T, T);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  switch (marque) {
    case MARQUE_EVENEMENT:
      DessineDrapeau(p, QRectF(2, 1, 12, 14));
      break;
    case MARQUE_ERREUR:
      DessineErreur(p, QRectF(1, 1, 14, 14));
      break;
    case MARQUE_ERREUR_EVENEMENT:
      // The flag with a smaller error disc over its foot: both read at a glance.
      DessineDrapeau(p, QRectF(0, 0, 10, 15));
      DessineErreur(p, QRectF(5, 5, 11, 11));
      break;
    default:
      break;
  }
  p.end();
  return QIcon(image);
}

}  // namespace

const QIcon& IconeMarque(uint32_t marque) {
  static const std::array<QIcon, 4> icones{Dessine(MARQUE_AUCUNE), Dessine(MARQUE_EVENEMENT), Dessine(MARQUE_ERREUR),
                                           Dessine(MARQUE_ERREUR_EVENEMENT)};
  return icones[marque < icones.size() ? marque : MARQUE_AUCUNE];
}

}  // namespace brv::ui
