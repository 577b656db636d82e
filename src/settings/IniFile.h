// The settings file: sections and keys in the usual text layout, integers as decimal
// text, Booleans as "1"/"0". Every write goes to disk at once; a missing, empty,
// unreadable or malformed file simply yields the defaults.
#pragma once

#include <string>
#include <vector>

class TIniFile {
 public:
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  bool ValueExists(const std::string& section, const std::string& key) const;

  // Each returns false when the file could not be written (the value is kept in
  // memory all the same, so the running program still sees it).
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);

  // Reads the file again from disk.
  void Reload();

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Entry* Find(const std::string& section, const std::string& key) const;
  bool Save() const;

  std::string fileName_;
  std::vector<Section> sections_;
};
