#pragma once
// The session: the configuration being edited (the image, the channel and option tables
// decoded from it, the band) and what is done to it as a whole: start over from the
// default image, open a data file, save, decode and encode, read and write a radio. The
// main window's file commands and the command-line companion both go through it. Qt Core
// only: what a window shows of it goes through AppViews and the Dialogs seam.

#include "core/imagetransfer.h"
#include "core/configdiff.h"
#include "core/writeverify.h"
#include "core/channelcsv.h"
#include "core/unitrun.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace k52 {

struct AppContext;
struct TransferPort;
class TransferView;
enum class TransferEnd;

class Session {
 public:
  explicit Session(AppContext& ctx) : ctx_(ctx) {}
  AppContext& context() const { return ctx_; }

  // A start without windows (the command-line companion): the settings file read and
  // never written, the tables built, the default band selected, the default image loaded
  // and its channels decoded, the options at their defaults. lang replaces "Language".
  void startWithoutWindows(std::optional<int16_t> lang);
  // What a transfer without windows needs beyond that start: the language texts (its
  // messages) and the band list (a read image selects its band as in the program).
  void prepareTransfers();

  // The default image of the program folder replaces the image (an erased memory where
  // it is missing or short).
  void loadDefaultImage();
  // New: the default image, its channels decoded, the options reset to their defaults
  // (and stored in the settings file) and encoded into the image.
  void newConfiguration();
  // The data file at path replaces the image. Raises K52Error when the file cannot be used;
  // the image is then as it was.
  void loadImageFile(const QString& path);
  // Open: loadImageFile, then the band follows the image and the tables are decoded.
  void openFile(const QString& path);

  // The band list selects the band the image's band bytes name (a range of its own: the
  // custom range, accepted unchanged).
  void selectBandFromImage();
  // Channels and options from the image into the tables.
  void decodeImage();
  // The tables (an edit still being typed included) into the image, as it is saved.
  QByteArray encodeForSave();
  // encodeForSave, written atomically to path. Raises K52Error when it cannot be written;
  // any earlier file is then as it was.
  void saveFile(const QString& path);

  // Channel n's name as the grid shows it.
  QString channelName(int16_t n) const;

  // The channel table as values, channel 1 first.
  std::vector<Channel> channels() const;
  // The channels (channel 1 first; past the end, empty) replace the table's; the image
  // follows when the tables are encoded.
  void replaceChannels(const std::vector<Channel>& channels);
  // What the CSV mapping takes from the program: the band, the tone list, the display
  // characters, the channel count, the power names of the grid (this language's first,
  // the other languages' read too), the columns' defaults and the grid's frequency raster.
  CsvRules csvRules() const;
  // The channel table as a CSV file, written atomically to path. Raises K52Error when it
  // cannot be written; any earlier file is then as it was.
  void exportCsv(const QString& path);
  // The CSV file at path read against the program's rules. Raises K52Error when the file
  // cannot be read.
  CsvImport readCsv(const QString& path) const;

  // The radio read into the image, or the configuration (encoded as a write stamps it)
  // written into the radio, through the communication window's transfers.
  TransferEnd readRadio(TransferView& view, TransferPort* port);
  TransferEnd writeRadio(TransferView& view, TransferPort* port);

  // Comparing configurations. The image as a save would write it, and as a write would
  // send it (also the limited byte and today's date); the program's image stays as it was.
  MemoryImage imageAsSaved();
  MemoryImage imageForWrite();
  // An image as a configuration, decoded with the program's tables (no problem is logged).
  Configuration configurationOf(const MemoryImage& image) const;
  // A data file as a configuration; raises K52Error when the file cannot be used.
  Configuration configurationOfFile(const QString& path) const;
  // Tones and names in the words of the program's tables.
  DiffWords diffWords() const;
  // The radio on the device: the write range read back and compared with what a write of
  // the configuration would have left there (the programming date is listed apart).
  struct Verified {
    ReadBack readBack;
    ConfigComparison comparison;
  };
  Verified verifyRadio(const QString& device, TransferProgress& progress);
  // For a unit of the many-radios run: the first decoded field in which what a radio gave
  // back differs from what was written to it (the programming date is none), in the words
  // of the program's tables. Keeps a reference to the session.
  FirstDifference firstDifference() const;

 private:
  AppContext& ctx_;
};

// The CSV import's report in the interface language: the shift of the locations first,
// then a line per row with something to say (refused: not imported; else imported changed).
QStringList csvImportReport(const AppContext& ctx, const CsvImport& import);

// The file commands of the main window (menu File, the toolbar), over the session.

// Creates the data folder when missing and points CurDataFile at the default file.
void GenerateDatFolder(AppContext& ctx);
// Asks, then starts over from the default image.
void NewFile(AppContext& ctx);
// Reloads the default image and rebuilds the tables and displays from it.
void NewFileSol(AppContext& ctx);
void OpenFile(AppContext& ctx);
// Open Recent: a file of the list, opened as Open does once the question about unsaved
// changes is settled. A file that no longer exists is reported and taken off the list.
void OpenRecentFile(AppContext& ctx, const QString& path);
// Asks, then saves through the save dialog.
void SaveFile(AppContext& ctx);
void SaveAsFile(AppContext& ctx);
// The channel table into a CSV file the save dialog names.
void ExportCsv(AppContext& ctx);
// A CSV file the open dialog names replaces the channel table; what it cannot take as it
// stands is listed, and the user imports the rest or nothing.
void ImportCsv(AppContext& ctx);
// Encodes the tables into the image and writes it to CurDataFile.
void SaveDatFile(AppContext& ctx);
// The status bar's file panel: "File Name:" followed by CurDataFile.
void ShowCurDataFile(AppContext& ctx);

// The configuration as it stands now counts as opened, saved or read.
void MarkConfigSaved(AppContext& ctx);
// The same after it was opened, read or started anew: nothing before it can be undone.
void MarkConfigReplaced(AppContext& ctx);
// True when the channels, names, options or band differ from what was last opened, saved
// or read (an edit still being typed included).
bool ConfigChanged(AppContext& ctx);
// The same without finishing an edit still being typed.
bool ConfigDiffersFromSaved(const AppContext& ctx);
// Before the configuration is replaced or the program ends: when it has changed, asks
// whether to save it first (Yes: the save dialog, No: discard, Cancel). True when the
// caller may go on; false when the user cancelled, or the save did not happen.
bool AskToSaveChanges(AppContext& ctx);

}  // namespace k52
