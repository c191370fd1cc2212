#include "shell/command_line.h"

#include <cstdio>
#include <string>

#include "brv_core/about/version_text.h"

namespace brv::ui {

LigneCommande AnalyseLigneCommande(const QStringList& arguments) {
  LigneCommande l;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--simulate")) {
      l.simulation = QStringLiteral("demo");
    } else if (a.startsWith(QLatin1String("--simulate="))) {
      const QString v = a.mid(11);
      l.simulation = v.isEmpty() ? QStringLiteral("demo") : v;
    } else if (a == QLatin1String("--start=free") || a == QLatin1String("--start=triggered")) {
      l.demarrage = a.endsWith(QLatin1String("triggered"));
    } else if (a == QLatin1String("--start") && i + 1 < arguments.size() &&
               (arguments[i + 1] == QLatin1String("free") || arguments[i + 1] == QLatin1String("triggered"))) {
      l.demarrage = arguments[++i] == QLatin1String("triggered");
    } else if (a == QLatin1String("--offline")) {
      l.horsLigne = true;
    } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      l.aide = true;
    } else if (a == QLatin1String("--version")) {
      l.version = true;
    } else if (a == QLatin1String("--")) {
      if (i + 1 < arguments.size() && l.fichier.isEmpty()) l.fichier = arguments[i + 1];
      break;
    } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
      l.erreur = QStringLiteral("Unknown option: %1").arg(a);
    } else if (a.endsWith(QLatin1String(".cfg"), Qt::CaseInsensitive)) {
      if (!l.configuration.isEmpty()) l.erreur = QStringLiteral("Only one configuration can be loaded: %1").arg(a);
      l.configuration = a;
    } else if (l.fichier.isEmpty()) {
      l.fichier = a;
    } else {
      l.erreur = QStringLiteral("Only one capture can be opened: %1").arg(a);
    }
  }
  return l;
}

QString TexteAide() {
  return QStringLiteral(
      "Usage: brenvale [--simulate[=PRESET|FILE]] [--offline] [--start free|triggered] [setup.cfg] [capture.dat]\n"
      "\n"
      "  --simulate[=PRESET|FILE]  drive the simulated probe card (preset or scenario file; default demo)\n"
      "  --offline                 no card: read captures only\n"
      "  --start free|triggered    start a free-run or triggered acquisition once the window shows\n"
      "  setup.cfg                 load this configuration after start-up\n"
      "  capture.dat               open this capture after start-up\n"
      "  --version                 print the versions of the program and its libraries\n"
      "  -h, --help                print this help\n");
}

std::optional<int> RepondSansFenetre(const LigneCommande& ligne) {
  if (!ligne.erreur.isEmpty() && !ligne.aide) {
    std::fprintf(stderr, "%s\n", qPrintable(ligne.erreur));
    std::fputs(qPrintable(TexteAide()), stderr);
    return 2;
  }
  if (!ligne.aide && !ligne.version) return std::nullopt;
  const std::string texte = ligne.aide ? TexteAide().toStdString() : brv::TexteVersion("brenvale") + '\n';
  // A full disk or a closed pipe is a failure, not a silent success.
  const bool ecrit = std::fwrite(texte.data(), 1, texte.size(), stdout) == texte.size();
  return ecrit && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace brv::ui
