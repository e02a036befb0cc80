#pragma once
// INI access to the settings file. Reads and writes go through one object that keeps the
// file's layout (comments, order of keys) and replaces the file only when the new text is
// complete, so a crash mid-write never leaves a broken settings file.

#include <QString>
#include <memory>

namespace k52 {

class IniFile {
 public:
  IniFile();
  explicit IniFile(const QString& path);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // (Re)binds the object to a file and loads it; a missing file reads as empty.
  void setPath(const QString& path);
  const QString& path() const { return path_; }

  // The stored text, or defaultText when the section, key or file is missing. Section
  // and key names are matched without regard to case, as the radio's dealers expect of
  // an INI file. A value is returned as stored (callers trim and cut it).
  QString read(const QString& section, const QString& key, const QString& defaultText) const;
  // Stores the text and writes the file at once; returns false when the file could not
  // be written (the old file then stays as it was).
  bool write(const QString& section, const QString& key, const QString& text);
  bool hasSection(const QString& section) const;

  // Holds the writes of a procedure that stores many keys at once and writes the file once
  // when the last batch ends (each write would otherwise rewrite and sync the whole file).
  class Batch {
   public:
    explicit Batch(IniFile& ini) : ini_(ini) { ++ini_.batchDepth_; }
    ~Batch() { commit(); }
    // Ends the batch now; false when the file could not be written.
    bool commit() {
      if (done_) return ok_;
      done_ = true;
      ok_ = --ini_.batchDepth_ > 0 || !ini_.dirty_ || ini_.save();
      return ok_;
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    IniFile& ini_;
    bool done_ = false;
    bool ok_ = true;
  };

 private:
  void load();
  bool save();
  struct Impl;
  std::unique_ptr<Impl> impl_;
  QString path_;
  int batchDepth_ = 0;
  bool dirty_ = false;
};

// The settings file's reading rule: the value cut to the read width, blanks removed
// from both ends.
QString readClean(const IniFile& ini, const QString& section, const QString& key, const QString& defaultText,
                  int width);

}  // namespace k52
