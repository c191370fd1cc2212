#include "config/duration_fields.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace brv::ui {

QLineEdit* ChampBorne(brv::ChampBorne champ, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,20}")), e));
  QObject::connect(e, &QLineEdit::textEdited, e, [e, champ](const QString& texte) {
    const QString borne = QString::fromStdString(brv::BorneSaisie(champ, texte.toStdString()));
    if (borne != texte) e->setText(borne);
  });
  return e;
}

CChampsDuree::CChampsDuree(QWidget* parent) : QWidget(parent) {
  auto* l = new QHBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  const auto champ = [&](brv::ChampBorne c, const QString& unite) {
    QLineEdit* e = ChampBorne(c, this);
    e->setMaximumWidth(48);
    connect(e, &QLineEdit::textChanged, this, &CChampsDuree::Modifie);
    l->addWidget(e);
    l->addWidget(new QLabel(unite, this));
    return e;
  };
  jours_ = champ(brv::ChampBorne::Jours, tr("days"));
  heures_ = champ(brv::ChampBorne::Heures, tr("h"));
  minutes_ = champ(brv::ChampBorne::Minutes, tr("mn"));
  secondes_ = champ(brv::ChampBorne::Secondes, tr("s"));
  l->addStretch();
}

void CChampsDuree::Definit(const brv::SaisieDuree& d) {
  jours_->setText(QString::fromStdString(d.jours));
  heures_->setText(QString::fromStdString(d.heures));
  minutes_->setText(QString::fromStdString(d.minutes));
  secondes_->setText(QString::fromStdString(d.secondes));
}

brv::SaisieDuree CChampsDuree::Saisie() const {
  return {jours_->text().toStdString(), heures_->text().toStdString(), minutes_->text().toStdString(),
          secondes_->text().toStdString()};
}

}  // namespace brv::ui
