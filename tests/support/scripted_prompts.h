#pragma once
// Prompts for tests: answers come from queues the test fills; everything asked is recorded.
// An unexpected question fails the test instead of blocking.

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "formcore/prompts.h"

namespace zk::test {

class ScriptedPrompts : public form::Prompts {
 public:
  struct Message {
    std::string text;
    form::MsgDlgType type;
    unsigned buttons;
  };
  struct Query {
    std::string caption, prompt, initial;
  };

  // Answers, used front first.
  std::deque<form::ModalResult> message_answers;
  // nullopt: the user cancels; else the chosen files (the first is file_name).
  std::deque<std::optional<std::vector<std::string>>> open_answers;
  std::deque<std::optional<std::string>> directory_answers;
  std::deque<std::optional<std::string>> input_answers;
  std::string now_text = "11.12.2026 10:00:00";
  int char_width = 6;

  // What was asked.
  std::vector<Message> messages;
  std::vector<form::OpenDialog> open_dialogs;  // as they were when shown
  std::vector<std::pair<std::string, unsigned>> directory_requests;  // start folder, options
  std::vector<Query> queries;
  std::vector<std::string> opened_urls;
  std::vector<unsigned> beeps;
  std::vector<std::string> exceptions;

  form::ModalResult MessageDlg(const std::string& text, form::MsgDlgType type,
                               unsigned buttons) override {
    messages.push_back({text, type, buttons});
    if (message_answers.empty()) {
      ADD_FAILURE() << "unexpected message: " << text;
      return form::ModalResult::Cancel;
    }
    auto answer = message_answers.front();
    message_answers.pop_front();
    return answer;
  }

  bool ExecuteOpenDialog(form::OpenDialog& dialog) override {
    open_dialogs.push_back(dialog);
    if (open_answers.empty()) {
      ADD_FAILURE() << "unexpected file dialog: " << dialog.filter;
      return false;
    }
    auto answer = open_answers.front();
    open_answers.pop_front();
    if (!answer) return false;
    dialog.files = *answer;
    dialog.file_name = answer->empty() ? std::string() : answer->front();
    return true;
  }

  bool SelectDirectory(std::string& directory, unsigned options) override {
    directory_requests.emplace_back(directory, options);
    if (directory_answers.empty()) {
      ADD_FAILURE() << "unexpected folder choice from " << directory;
      return false;
    }
    auto answer = directory_answers.front();
    directory_answers.pop_front();
    if (!answer) return false;
    directory = *answer;
    return true;
  }

  bool InputQuery(const std::string& caption, const std::string& prompt,
                  std::string& value) override {
    queries.push_back({caption, prompt, value});
    if (input_answers.empty()) {
      ADD_FAILURE() << "unexpected input query: " << prompt;
      return false;
    }
    auto answer = input_answers.front();
    input_answers.pop_front();
    if (!answer) return false;
    value = *answer;
    return true;
  }

  void ShellOpen(const std::string& url) override { opened_urls.push_back(url); }
  void MessageBeep(unsigned type) override { beeps.push_back(type); }
  std::string NowText() override { return now_text; }
  int TextWidth(const std::string& text) override {
    return static_cast<int>(text.size()) * char_width;
  }
  void ShowException(const std::string& message) override { exceptions.push_back(message); }
};

}  // namespace zk::test
