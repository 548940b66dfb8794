// Line lists with a change hook.
#include "platform/vcl/Strings.h"

void TStrings::Add(std::string line) {
  items_.push_back(std::move(line));
  Changed();
}
void TStrings::Insert(int index, std::string line) {
  items_.insert(items_.begin() + index, std::move(line));
  Changed();
}
void TStrings::Set(int index, std::string line) {
  items_.at(index) = std::move(line);
  Changed();
}
void TStrings::Delete(int index) {
  items_.erase(items_.begin() + index);
  Changed();
}
void TStrings::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}
void TStrings::Assign(std::vector<std::string> lines) {
  items_ = std::move(lines);
  Changed();
}
std::string TStrings::Text() const {
  std::string text;
  for (const auto& line : items_) text += line + "\r\n";
  return text;
}
void TStrings::Changed() {
  if (OnChange) OnChange();
}
