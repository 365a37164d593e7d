#include "model/record_status.h"

#include <string>

#include "core/format.h"
#include "core/translate.h"

namespace {
constexpr int64_t kStatusItemSize = 2;
}  // namespace

int32_t ReadStatusAt(DataReader& r, int64_t* position) {
  const int64_t at = r.Position();
  const int32_t status = r.ReadInteger();
  *position = at;
  if (r.Position() - at != kStatusItemSize) {
    r.SetPosition(at);
    r.Fail(FormatMsg(tr("Ungültiger Status %d"), {std::to_string(status)}));
  }
  return status;
}
