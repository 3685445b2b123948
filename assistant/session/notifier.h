#pragma once
// Modal questions and messages to the user. The dialog shows message boxes; tests
// and the console companion record or answer them.

#include <string>
#include <vector>

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

// Keeps the text of every message and answers every question with yes, for the
// console companion and tests.
class RecordingNotifier : public Notifier {
 public:
  void showInfo(const std::u16string&, const std::u16string& text) override { messages.push_back(text); }
  bool askYesNo(const std::u16string&, const std::u16string&) override { return true; }
  std::vector<std::u16string> messages;
};

}  // namespace pendrix
