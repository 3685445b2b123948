#pragma once
// Modal questions and messages to the user. The dialog shows message boxes; tests
// and the console companion record or answer them.

#include <string>

namespace pendrix {

class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual void showInfo(const std::u16string& caption, const std::u16string& text) = 0;
  virtual bool askYesNo(const std::u16string& caption, const std::u16string& text) = 0;
};

// Says nothing and answers every question with the given answer.
class SilentNotifier : public Notifier {
 public:
  explicit SilentNotifier(bool answer = true) : answer_(answer) {}
  void showInfo(const std::u16string&, const std::u16string&) override {}
  bool askYesNo(const std::u16string&, const std::u16string&) override { return answer_; }

 private:
  bool answer_;
};

}  // namespace pendrix
