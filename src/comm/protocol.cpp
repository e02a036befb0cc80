#include "comm/protocol.h"

#include "shell/appcontext.h"

namespace k52 {

void InitProtocol(AppContext&) {}

}  // namespace k52
