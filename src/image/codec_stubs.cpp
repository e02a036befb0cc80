// Placeholders until the codecs land; each is filled in by its own source file.
#include "image/charcodec.h"
#include "image/chcodec.h"
#include "image/ctdcs.h"
#include "image/optcodec.h"

namespace k52 {
void IicDatToChInfo(AppContext&) {}
void ChInfoToIicDat(AppContext&) {}
void OptNowDefSol(AppContext&, int16_t) {}
void OptSelSaveSol(AppContext&, int16_t) {}
void OptSelToSave(AppContext&) {}
void SaveToOptSel(AppContext&) {}
void GenCtdcsList(AppContext&) {}
void QtDqtIndex(AppContext&, const QString&, const QString&) {}
void GetValidCharTbl(AppContext&) {}
void ChNameCharSol(AppContext&, const QString&, int16_t) {}
void ChNameCharShow(AppContext&, int16_t) {}
void ShowPowerOnMsg(AppContext&) {}
}  // namespace k52
