#pragma once
// The capture command on a terminal: stop signals, messages and questions, the live line, and the
// supervisor that draws it and turns Ctrl-C into a user stop.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <signal.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>

#include <brv_core/acquisition/acquisition_controller.h>
#include <brv_core/acquisition/progress_texts.h>

namespace brv::cli {

// Set by Ctrl-C and SIGTERM while a StopSignals lives.
extern std::atomic<bool> g_stop;
extern "C" void on_stop_signal(int);

using Clock = std::chrono::steady_clock;

// Ctrl-C and SIGTERM become a user stop for as long as it lives.
class StopSignals {
 public:
  StopSignals() {
    g_stop.store(false);
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    // The engine's threads are not written for interrupted system calls.
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &old_int_);
    sigaction(SIGTERM, &sa, &old_term_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &old_int_, nullptr);
    sigaction(SIGTERM, &old_term_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
};

// What the start procedure and the monitor task tell the user, from the main thread and the task's
// thread. Messages and questions go to stderr at once; information lines are kept for the summary;
// the live line is drawn by the supervisor through Draw().
class Terminal : public IRapportDocument, public IObservateurTache {
 public:
  Terminal() : tty_(::isatty(STDERR_FILENO) == 1), stdin_tty_(::isatty(STDIN_FILENO) == 1) {}
  void Attach(const CBrenvaleDoc& doc) { doc_ = &doc; }

  // IRapportDocument
  void BoiteMessage(std::string_view text, IconeMessage icon) override {
    std::lock_guard lock(m_);
    if (icon == IconeMessage::Erreur) ++error_messages_;
    Print(text);
  }
  bool QuestionOuiNon(std::string_view text) override {
    std::lock_guard lock(m_);
    ClearLine();
    std::fprintf(stderr, "%.*s", static_cast<int>(text.size()), text.data());
    if (!stdin_tty_) {
      std::fputs("\nNo (standard input is not a terminal).\n", stderr);
      return false;
    }
    std::fputs(" [y/N] ", stderr);
    std::fflush(stderr);
    const bool yes = ReadAnswer();
    if (g_stop.load()) std::fputc('\n', stderr);
    return yes;
  }
  // Both interfaces: the start checks' lines and the task's.
  void LigneInformation(std::string_view text) override {
    std::lock_guard lock(m_);
    lines_.emplace_back(text);
  }

  // IObservateurTache
  void Etat(int state) override {
    std::lock_guard lock(m_);
    live_.state = state;
    live_.percent = -1;
    // Short states would be missed between two draws.
    if (!tty_) states_.push_back(state);
  }
  void Pourcentage(int percent) override {
    std::lock_guard lock(m_);
    live_.percent = percent;
  }
  void Ecoule(uint64_t ms) override {
    std::lock_guard lock(m_);
    live_.elapsed_ms = ms;
  }
  // The document's counters are written by the task: copied here, on its thread.
  void NbLignes(uint32_t) override { TakeCounts(); }
  void Rafraichit() override { TakeCounts(); }
  void BoiteErreur(std::string_view text) override {
    std::lock_guard lock(m_);
    ++error_boxes_;
    Print(text);
  }

  // On a terminal, the line rewritten in place; elsewhere, one line per state so that logs stay short.
  void Draw(bool last) {
    std::lock_guard lock(m_);
    if (live_.state < 0) return;
    if (!tty_) {
      for (const int state : states_) std::fprintf(stderr, "%s\n", LineText(state).c_str());
      if (last && states_.empty()) std::fprintf(stderr, "%s\n", LineText(live_.state).c_str());
      states_.clear();
      std::fflush(stderr);
      return;
    }
    std::string text = LineText(live_.state);
    if (text == drawn_text_ && !last) return;
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
    if (last) std::fputc('\n', stderr);
    std::fflush(stderr);
    line_shown_ = !last;
    drawn_text_ = std::move(text);
  }

  // Read once the task has ended.
  std::vector<std::string> lines() {
    std::lock_guard lock(m_);
    return lines_;
  }
  bool ErrorShown() {
    std::lock_guard lock(m_);
    return error_boxes_ + error_messages_ != 0;
  }
  void ForgetErrors() {
    std::lock_guard lock(m_);
    error_boxes_ = error_messages_ = 0;
  }

 private:
  struct Live {
    int state = -1;
    int percent = -1;
    uint64_t elapsed_ms = 0;
    uint64_t acquired = 0;
    uint32_t displayable = 0;
    uint64_t erroneous = 0;
  };

  std::string LineText(int state) const {
    std::string text = TexteEtatProgression(state);
    if (live_.percent >= 0) text += "  " + std::to_string(live_.percent) + " %";
    if (state != PROG_ATTENTE_DIFFERE) text += "  " + TexteTempsEcoule(live_.elapsed_ms);
    return text + "  frames: " + std::to_string(live_.acquired) + " acquired, " + std::to_string(live_.displayable) +
           " displayable, " + std::to_string(live_.erroneous) + " erroneous";
  }
  void TakeCounts() {
    if (!doc_) return;
    std::lock_guard lock(m_);
    live_.acquired = doc_->Resultats.ullNbTramesAcquises;
    live_.displayable = doc_->Resultats.ulNbTramesAffichables;
    live_.erroneous = doc_->Resultats.ullNbLignesErreur;
  }
  void ClearLine() {
    if (line_shown_) std::fputs("\r\033[K", stderr);
    line_shown_ = false;
    drawn_text_.clear();
  }
  void Print(std::string_view text) {
    ClearLine();
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
  }
  // A line from the terminal, given up on Ctrl-C (the answer is then No).
  static bool ReadAnswer() {
    std::string answer;
    for (;;) {
      if (g_stop.load()) return false;
      pollfd p{STDIN_FILENO, POLLIN, 0};
      const int n = ::poll(&p, 1, 100);
      if (n <= 0) continue;
      char c = 0;
      if (::read(STDIN_FILENO, &c, 1) != 1) return false;
      if (c == '\n') break;
      answer.push_back(c);
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
  }

  std::mutex m_;
  const bool tty_;
  const bool stdin_tty_;
  const CBrenvaleDoc* doc_ = nullptr;
  Live live_;
  std::vector<int> states_;
  std::string drawn_text_;
  bool line_shown_ = false;
  std::vector<std::string> lines_;
  int error_boxes_ = 0;
  int error_messages_ = 0;
};

// Watches the stop signals and draws the live line while the main thread waits for the deferred
// start or for the task.
class Supervisor {
 public:
  Supervisor(CControleurAcquisition& ctl, Terminal& term) : ctl_(ctl), term_(term) {
    deferred_ = ctl.DiffereEnAttente();
    thread_ = std::thread([this] { Run(); });
  }
  ~Supervisor() { Stop(); }
  Supervisor(const Supervisor&) = delete;
  Supervisor& operator=(const Supervisor&) = delete;

  // Once the deferred wait is over, whatever its outcome.
  void DeferredOver() { deferred_.store(false); }
  void Stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  bool Cancelled() const { return cancelled_.load(); }

 private:
  void Run() {
    using namespace std::chrono_literals;
    bool asked = false;
    while (!done_.load()) {
      if (g_stop.load() && !asked) {
        asked = true;
        // A deferred start not yet begun is cancelled; one that has begun gets a user stop.
        if (deferred_.load() && ctl_.AnnuleDiffere()) {
          cancelled_.store(true);
        } else {
          ctl_.Demande(RequeteTache::ArretUtilisateur);
        }
      }
      term_.Draw(false);
      std::this_thread::sleep_for(100ms);
    }
  }

  CControleurAcquisition& ctl_;
  Terminal& term_;
  std::atomic<bool> deferred_{false};
  std::atomic<bool> done_{false};
  std::atomic<bool> cancelled_{false};
  std::thread thread_;
};

}  // namespace brv::cli
