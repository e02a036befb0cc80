#pragma once
// A program set up as the codecs find it after start-up: an erased 8 KB image, the tone
// list and the character table built, a channel table of eight columns with defaults.

#include "image/addressmap.h"
#include "image/charcodec.h"
#include "image/ctdcs.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace k52::test {

class CodecTest : public ::testing::Test {
 protected:
  CodecTest() : ctx(*env.ctx) {
    ctx.IicDat.allocate(addr::kMemorySize - 1);
    ctx.IicDat.fill(0xFF);
    ctx.ch.ChNameCode.fill(255);
    ctx.ch.ChCount = 4;
    ctx.ch.ColCount = 8;
    // Column defaults: fields 5 and 6 off, field 7 on its second value, name column 0.
    ctx.ch.ColItems(5, 2) = QStringLiteral("0");
    ctx.ch.ColItems(6, 2) = QStringLiteral("1");
    ctx.ch.ColItems(7, 2) = QStringLiteral("2");
    ctx.ch.ColItems(8, 2) = QStringLiteral("0");
    ctx.band.LowerLimit = 13600000;
    ctx.band.UpperLimit = 17399500;
    GenCtdcsList(ctx);
    GetValidCharTbl(ctx);
    ctx.gridCh().setRows(addr::kMaxChannels + 1);
    ctx.gridCh().setCols(9);
  }

  // Writes bytes into the image from address a on, as values or as hex digits.
  void put(int a, std::initializer_list<int> bytes) {
    for (int b : bytes) ctx.IicDat.at(a++) = static_cast<uint8_t>(b);
  }
  void put(int a, const char* hex) {
    for (char b : QByteArray::fromHex(hex)) ctx.IicDat.at(a++) = static_cast<uint8_t>(b);
  }
  std::vector<int> get(int a, int count) const {
    std::vector<int> v;
    for (int i = 0; i < count; ++i) v.push_back(ctx.IicDat.at(a + i));
    return v;
  }
  // The image's bytes from a on as upper-case hex digits.
  std::string hex(int a, int count) const { return ctx.IicDat.toByteArray().mid(a, count).toHex().toUpper().toStdString(); }

  TestEnv env;
  AppContext& ctx;
};

}  // namespace k52::test
