#pragma once
// INI access to the settings file. Reads come from the copy loaded at start; every write
// reads the file again and changes only the keys written, leaving every other line as it
// stands (what a user or a second running copy changed meanwhile stays). The file is
// replaced only when the new text is complete, so a crash mid-write never leaves a broken
// settings file, and a file that could not be read whole is never written over.

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace k52 {

class IniFile {
 public:
  IniFile();
  explicit IniFile(const QString& path);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // (Re)binds the object to a file and loads it; a missing file reads as empty. Only a
  // regular file is opened (a FIFO in its place would block the start).
  void setPath(const QString& path);
  const QString& path() const { return path_; }

  // The stored text, or defaultText when the section, key or file is missing. Section
  // and key names are matched without regard to case, as the radio's dealers expect of
  // an INI file. A value is returned as stored (callers trim and cut it).
  QString read(const QString& section, const QString& key, const QString& defaultText) const;
  // Stores the text and writes it into the file at once; returns false when the file could
  // not take it (the file then stays as it was, and the value holds for this run).
  bool write(const QString& section, const QString& key, const QString& text);
  bool hasSection(const QString& section) const;
  // A settings file only read (the command-line companion): writes hold for this run and
  // never reach the file.
  void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // Raises the failure of the last write that returned false: its error number, with the
  // settings file as the error point.
  [[noreturn]] void raiseWriteFailure() const;

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
      ok_ = --ini_.batchDepth_ > 0 || ini_.pending_.empty() || ini_.save();
      return ok_;
    }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    IniFile& ini_;
    bool done_ = false;
    bool ok_ = true;
  };

  struct Change {
    QByteArray section, key, value;
  };

 private:
  void load();
  bool save();
  void fail(int number, const QString& why);
  struct Impl;
  std::unique_ptr<Impl> impl_;
  QString path_;
  QByteArray text_;  // the file as last read whole or written
  int batchDepth_ = 0;
  bool readOnly_ = false;
  std::vector<Change> pending_;  // written since the file was last written
  std::vector<Change> kept_;     // what the file did not take: it holds for this run only
  int failure_ = 0;
  QString failureWhy_;
};

// The settings file's reading rule: the value cut to the read width, blanks removed
// from both ends.
QString readClean(const IniFile& ini, const QString& section, const QString& key, const QString& defaultText,
                  int width);

// The text of an INI file with one key set: the key's last line in the section gets the
// new value (the rest of the line up to the value kept), a missing key is added at the end
// of the section, a missing section at the end of the file. Every other byte stays.
QByteArray withIniValue(const QByteArray& text, const IniFile::Change& change);

}  // namespace k52
