// Number edits: accepting and rejecting texts.
#include "image/NumberEdit.h"

#include <charconv>
#include <cmath>

#include "image/NumberFormat.h"

std::optional<double> TNumberEdit::AcceptNumber(char sep) {
  double v = 0;
  if (!ParseNumber(Text, v, sep)) {
    State = TEditState::Red;
    return std::nullopt;
  }
  State = TEditState::White;
  return v;
}

bool TNumberEdit::AcceptAndRewrite(char sep) {
  const std::optional<double> v = AcceptNumber(sep);
  if (!v) return false;
  Text = FormatGeneral(*v, sep);
  return true;
}

std::optional<double> TNumberEdit::AcceptSingle(char sep) {
  const std::optional<double> v = AcceptNumber(sep);
  if (v && !std::isfinite(static_cast<float>(*v))) {
    State = TEditState::Red;
    return std::nullopt;
  }
  return v;
}

bool TNumberEdit::AcceptAndRewriteSingle(char sep) {
  const std::optional<double> v = AcceptSingle(sep);
  if (!v) return false;
  Text = FormatGeneral(*v, sep);
  return true;
}

std::optional<int> TNumberEdit::AcceptInteger() {
  int v = 0;
  if (!ParseInteger(Text, v)) {
    State = TEditState::Red;
    return std::nullopt;
  }
  State = TEditState::White;
  return v;
}

bool ParseInteger(const std::string& text, int& value) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  // from_chars takes no "+"; a leading plus is as good as none.
  if (b < e && text[b] == '+' && (b + 1 == e || text[b + 1] != '-')) ++b;
  if (b == e) return false;
  int v = 0;
  const auto [end, err] = std::from_chars(text.data() + b, text.data() + e, v);
  if (err != std::errc() || end != text.data() + e) return false;
  value = v;
  return true;
}
