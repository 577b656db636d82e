// TIniFile: parsing is forgiving (unknown lines are skipped), names compare without
// regard to case, the file is rewritten whole and atomically on every change.
#include "settings/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n'))
    --e;
  return s.substr(b, e - b);
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  Reload();
}

void TIniFile::Reload() {
  sections_.clear();
  std::ifstream in(fileName_, std::ios::binary);
  if (!in) return;
  std::string line;
  Section* current = nullptr;
  while (std::getline(in, line)) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t.front() == '[') {
      const size_t close = t.find(']');
      if (close == std::string::npos) {
        current = nullptr;  // malformed header: skip its entries
        continue;
      }
      const std::string name = Trim(t.substr(1, close - 1));
      current = nullptr;
      for (auto& s : sections_)
        if (SameText(s.name, name)) current = &s;
      if (!current) {
        sections_.push_back({name, {}});
        current = &sections_.back();
      }
      continue;
    }
    const size_t eq = t.find('=');
    if (!current || eq == std::string::npos || eq == 0) continue;
    const std::string key = Trim(t.substr(0, eq));
    const std::string value = Trim(t.substr(eq + 1));
    bool replaced = false;
    for (auto& e : current->entries)
      if (SameText(e.key, key)) {
        e.value = value;
        replaced = true;
      }
    if (!replaced) current->entries.push_back({key, value});
  }
}

const TIniFile::Entry* TIniFile::Find(const std::string& section, const std::string& key) const {
  for (const auto& s : sections_) {
    if (!SameText(s.name, section)) continue;
    for (const auto& e : s.entries)
      if (SameText(e.key, key)) return &e;
  }
  return nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return Find(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  const Entry* e = Find(section, key);
  return e ? e->value : def;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const Entry* e = Find(section, key);
  if (!e || e->value.empty()) return def;
  const std::string& v = e->value;
  errno = 0;
  char* end = nullptr;
  long n;
  // Decimal, or hexadecimal written as 0x.. / $.. as colour values sometimes are.
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X'))
    n = std::strtol(v.c_str() + 2, &end, 16);
  else if (v.size() > 1 && v[0] == '$')
    n = std::strtol(v.c_str() + 1, &end, 16);
  else
    n = std::strtol(v.c_str(), &end, 10);
  if (errno == ERANGE || *end != '\0' || n < INT_MIN || n > INT_MAX) return def;
  return static_cast<int>(n);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  // Line breaks cannot be stored in a line-based file: keep the value on one line.
  std::string v;
  for (char ch : value)
    if (ch != '\r' && ch != '\n') v += ch;
  Section* sec = nullptr;
  for (auto& s : sections_)
    if (SameText(s.name, section)) sec = &s;
  if (!sec) {
    sections_.push_back({section, {}});
    sec = &sections_.back();
  }
  bool found = false;
  for (auto& e : sec->entries)
    if (SameText(e.key, key)) {
      e.value = v;
      found = true;
    }
  if (!found) sec->entries.push_back({key, v});
  return Save();
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  return WriteString(section, key, std::to_string(value));
}

bool TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  return WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::Save() const {
  std::ostringstream out;
  bool first = true;
  for (const auto& s : sections_) {
    if (!first) out << "\n";
    first = false;
    out << "[" << s.name << "]\n";
    for (const auto& e : s.entries) out << e.key << "=" << e.value << "\n";
  }
  // Write a temporary file and rename it over the old one, so that a failing disk
  // never leaves a half-written settings file.
  const std::string tmp = fileName_ + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f << out.str();
    f.flush();
    if (!f) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), fileName_.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}
