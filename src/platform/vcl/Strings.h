// A list of text lines that tells its owner when it changes (memo lines, list items).
#pragma once

#include <functional>
#include <string>
#include <vector>

class TStrings {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& operator[](int index) const { return items_.at(index); }
  const std::vector<std::string>& Items() const { return items_; }
  void Add(std::string line);
  void Insert(int index, std::string line);
  void Set(int index, std::string line);
  void Delete(int index);
  void Clear();
  void Assign(std::vector<std::string> lines);
  // Lines joined with CR LF, the way a memo's text reads.
  std::string Text() const;

  std::function<void()> OnChange;  // raised for code and user changes alike

 private:
  void Changed();
  std::vector<std::string> items_;
};
