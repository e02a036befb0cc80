// Channel plans as CSV: the mapping both ways row by row, files as other programs write
// them, and every refusal, with the rules the program gives (delivered settings, English).

#include "core/channelcsv.h"
#include "core/channelclip.h"
#include "app/session.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace k52;

namespace {

class ChannelCsv : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installProgram(3);
    session.startWithoutWindows(3);
    session.prepareTransfers();  // the language texts
  }
  CsvRules rules(int32_t lower = 40000000, int32_t upper = 46999500) const {
    CsvRules r = session.csvRules();
    r.band = {lower, upper};
    return r;
  }
  test::TestEnv env;
  Session session{*env.ctx};
};

// "AB1" as display codes.
NameCodes name(std::initializer_list<uint8_t> codes) {
  NameCodes n{255, 255, 255, 255, 255};
  std::copy(codes.begin(), codes.end(), n.begin());
  return n;
}

const QByteArray kHeader = QByteArray(kCsvHeader) + "\r\n";

}  // namespace

// Each channel exports as exactly its row, and the row imports as exactly the channel.
// Tone indices: 9 = 88.5 Hz, 13 = 100.0 Hz, 51 = D023N, 52 = D025N, 156 = D023I, 260 = D754I.
TEST_F(ChannelCsv, EachChannelMapsToItsRowAndBack) {
  struct Case {
    Channel ch;
    const char* row;  // after "n," of the location
  };
  const NameCodes ab1 = name({10, 11, 1});
  const Case cases[] = {
      {{43001250, 43001250, 0, 0, false, true, Power::High, ab1},
       "AB1,430.012500,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,"},
      {{43000000, 43500000, 0, 9, true, false, Power::Low, name({})},
       ",430.000000,+,5.000000,Tone,88.5,88.5,023,NN,023,Tone->Tone,NFM,5.00,S,Low,,,,,"},
      {{43500000, 43000000, 13, 13, false, true, Power::Middle, name({36, 44})},
       " _,435.000000,-,5.000000,TSQL,100.0,100.0,023,NN,023,Tone->Tone,FM,5.00,,Middle,,,,,"},
      {{14500000, 43500000, 0, 0, false, true, Power::High, name({})},
       ",145.000000,split,435.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,"},
      {{44000000, -1, 13, 0, false, true, Power::High, name({})},
       ",440.000000,off,0.000000,Cross,88.5,100.0,023,NN,023,->Tone,FM,5.00,,High,,,,,"},
      {{44000000, 44000000, 156, 51, false, true, Power::High, name({})},
       ",440.000000,,0.000000,DTCS,88.5,88.5,023,NR,023,Tone->Tone,FM,5.00,,High,,,,,"},
      {{44000000, 44000000, 9, 13, false, true, Power::High, name({})},
       ",440.000000,,0.000000,Cross,100.0,88.5,023,NN,023,Tone->Tone,FM,5.00,,High,,,,,"},
      {{44000000, 44000000, 260, 9, false, true, Power::High, name({})},
       ",440.000000,,0.000000,Cross,88.5,88.5,023,NR,754,Tone->DTCS,FM,5.00,,High,,,,,"},
      {{44000000, 44000000, 9, 156, false, true, Power::High, name({})},
       ",440.000000,,0.000000,Cross,88.5,88.5,023,RN,023,DTCS->Tone,FM,5.00,,High,,,,,"},
      {{44000000, 44000000, 52, 0, false, true, Power::High, name({})},
       ",440.000000,,0.000000,Cross,88.5,88.5,023,NN,025,->DTCS,FM,5.00,,High,,,,,"},
      {{44000000, 44000000, 0, 156, false, true, Power::High, name({})},
       ",440.000000,,0.000000,Cross,88.5,88.5,023,RN,023,DTCS->,FM,5.00,,High,,,,,"},
      {{44000000, 44000000, 52, 51, false, true, Power::High, name({})},
       ",440.000000,,0.000000,Cross,88.5,88.5,023,NN,025,DTCS->DTCS,FM,5.00,,High,,,,,"},
  };
  const CsvRules r = rules(12000000, 51999500);  // 120 - 520 MHz: the split's TX is in the band
  for (const Case& c : cases) {
    std::vector<Channel> plan(3);
    plan[1] = c.ch;  // channel 2: the location is the channel's number
    const QByteArray file = kHeader + "2," + c.row + "\r\n";
    EXPECT_EQ(exportChannelsCsv(plan, r), file);
    const CsvImport in = importChannelsCsv(file, r);
    EXPECT_TRUE(in.readable && in.rows.empty()) << c.row;
    ASSERT_EQ(in.channels.size(), 199u);
    EXPECT_EQ(in.channels[1], c.ch) << c.row;
    EXPECT_TRUE(in.channels[0].empty() && in.channels[2].empty()) << "channels the file does not name stay empty";
  }
}

// A file another program wrote: byte-order mark, CRLF, columns in another order, optional
// columns left out (the grid's column defaults then), quoted fields, blank lines, locations
// from 0 (shifted as a whole, and said); LF alone reads the same.
TEST_F(ChannelCsv, FilesInOtherLayoutsRead) {
  const QByteArray crlf =
      "\xEF\xBB\xBF" "Frequency,Tone,cToneFreq,Name,Location,Duplex,Offset,Comment\r\n"
      "439.500000,TSQL,100.0,\"R1\",0,-,7.600000,\"a, quoted \"\"note\"\"\"\r\n"
      "440.000000,Cross,67.0,,3,,,\r\n"  // no CrossMode column: tone to tone
      "\r\n"
      "446.012500,,,,1,,,\r\n";
  for (const QByteArray& file : {crlf, QByteArray(crlf).replace("\r\n", "\n")}) {
    const CsvImport in = importChannelsCsv(file, rules());
    ASSERT_TRUE(in.readable && in.shifted && in.rows.empty());
    EXPECT_EQ(in.channels[0], (Channel{43950000, 43190000, 13, 13, false, true, Power::High, name({27, 1})}));
    EXPECT_EQ(in.channels[1], (Channel{44601250, 44601250, 0, 0, false, true, Power::High, name({})}));
    EXPECT_EQ(in.channels[3], (Channel{44000000, 44000000, 1, 1, false, true, Power::High, name({})}));
    EXPECT_TRUE(in.channels[2].empty());
  }
  EXPECT_FALSE(importChannelsCsv("Location,Name\r\n1,A\r\n", rules()).readable) << "no Frequency column";
  EXPECT_EQ(csvImportReport(*env.ctx, importChannelsCsv(crlf, rules())),
            QStringList{"The file counts its channels from 0: every channel is moved up by one."});
}

// What the radio cannot hold is refused per row, with the value; names keep what the radio
// can show and say what went; the rows around stay.
TEST_F(ChannelCsv, RowsTheRadioCannotHoldAreReported) {
  const QByteArray file = kHeader.left(kHeader.indexOf(",Comment")) + "\n"
      "1,,430.001000,,,,,,,,,,,,,\n"        // off both rasters
      "2,,480.000000,,,,,,,,,,,,,\n"        // outside 400 - 470
      "3,,430.000000,+,45.000000,,,,,,,,,,,\n"  // TX outside
      "4,,430.000000,,,Tone,69.4,,,,,,,,,\n"    // no such tone
      "5,,430.000000,,,DTCS,,,024,NN,,,,,,\n"   // no such code
      "6,,430.000000,,,Cross,,,,,,Tone->Tone->,AM,,P,5.0W\n"
      "7,,430.000000,,,DTCS,,,023,NX,,,,,,\n"
      "200,,430.000000,,,,,,,,,,,,,\n"
      "8,x#y\xC3\xA9,430.000000,,,,,,,,,,,,,\n"
      "8,,430.000000,,,,,,,,,,,,,\n"
      "9,TOOLONG,430.000000,bad,,,,,,,,,,,,\n"
      "10,,430.000000,,,,,,,,,,,,,\n";
  const CsvImport in = importChannelsCsv(file, rules());
  auto issues = [&](int line) {
    QStringList out;
    for (const CsvRowReport& r : in.rows)
      if (r.line == line)
        for (const CsvRowIssue& i : r.issues)
          out << QStringLiteral("%1%2 %3=%4").arg(r.taken ? "+" : "-").arg(int(i.issue)).arg(i.column, i.value);
    return out.join(QLatin1Char(' '));
  };
  EXPECT_EQ(issues(2), "-0 Frequency=430.001000");
  EXPECT_EQ(issues(3), "-1 Frequency=480.000000");
  EXPECT_EQ(issues(4), "-1 Offset=475.000000");
  EXPECT_EQ(issues(5), "-2 rToneFreq=69.4");
  EXPECT_EQ(issues(6), "-2 DtcsCode=024");
  EXPECT_EQ(issues(7), "-3 CrossMode=Tone->Tone-> -3 Mode=AM -3 Skip=P -3 Power=5.0W");
  EXPECT_EQ(issues(8), "-3 DtcsPolarity=NX");
  EXPECT_EQ(issues(9), "-4 Location=200");
  EXPECT_EQ(issues(10), "+6 Name=#\xC3\xA9");
  EXPECT_EQ(issues(11), "-5 Location=8");
  EXPECT_EQ(issues(12), "-3 Duplex=bad -7 Name=NG");
  EXPECT_EQ(in.rows.size(), 11u);
  EXPECT_TRUE(in.anyRefused());
  for (int n = 1; n <= 7; ++n) EXPECT_TRUE(in.channels[static_cast<size_t>(n - 1)].empty()) << n;
  EXPECT_EQ(in.channels[7].name, name({33, 34}));  // "XY": the first row naming 8 is taken
  EXPECT_TRUE(in.channels[8].empty());
  EXPECT_EQ(in.channels[9].rx, 43000000);
  EXPECT_EQ(csvImportReport(*env.ctx, in).at(0),
            "Line 2, channel 1, not imported: frequency off the 5 kHz and 12.5 kHz rasters: \"430.001000\"");
}

// The clipboard: the export's rows tab-separated and back, a spreadsheet's rows without a
// header line, and the program's own lossless form.
TEST_F(ChannelCsv, ClipboardRowsBothWays) {
  const std::vector<std::pair<int, Channel>> channels = {
      {3, {14500000, 43500000, 156, 52, true, false, Power::Low, name({10, 11, 1})}},
      {4, {}},
      {5, {44000000, -1, 13, 0, false, true, Power::Middle, name({})}}};
  const QString text = channelRowsText(channels, rules(14400000, 46999500), QLatin1Char('\t'), QStringLiteral("\n"));
  EXPECT_TRUE(text.startsWith(QString::fromLatin1(kCsvHeader).replace(QLatin1Char(','), QLatin1Char('\t')) + "\n"));
  const std::vector<CsvRow> back = readChannelRows(text, rules(14400000, 46999500), QLatin1Char('\t'));
  ASSERT_EQ(back.size(), 2u) << "the empty channel is left out";
  for (size_t i = 0; i < back.size(); ++i) {
    const auto& [number, ch] = channels[i * 2];
    EXPECT_EQ(back[i].report.location, number);
    ASSERT_TRUE(back[i].channel) << number;
    EXPECT_EQ(*back[i].channel, ch) << number;
  }
  const std::vector<CsvRow> sheet =
      readChannelRows(QStringLiteral("1\tAB#C\t440.0033\n\t\t440\t\t\tTone\t69.9\n\tab#c\t440.0125\n"), rules(), QLatin1Char('\t'));
  QStringList seen;
  for (const CsvRow& r : sheet)
    for (const CsvRowIssue& i : r.report.issues)
      seen << QStringLiteral("%1 %2=%3 %4").arg(r.report.location).arg(i.column, i.value).arg(r.channel.has_value());
  EXPECT_EQ(seen, QStringList({"1 Frequency=440.003300 0", "1 Name=# 0", "0 rToneFreq=69.9 0", "0 Name=# 1"}));
  EXPECT_EQ(channelsFromOwnText(channelsToOwnText(channels)), channels);
}
